#pragma once

#include <cstdint>
#include <string>

// The two-letter prefix of a mower type code; empty for a code without one.
std::string typePrefix(std::uint8_t typeCode);

// The machine identifier text by which the database lists, sorts and compares
// machines: prefix, then "-YY-NNN-SS" (at least 2, 3 and 2 digits), for
// example TX-07-123-00.
std::string buildMachineId(std::uint8_t typeCode, std::uint8_t idYear, std::uint32_t idNumber,
                           std::uint8_t idSuffix);
