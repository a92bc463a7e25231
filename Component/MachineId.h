#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The two-letter prefix of a mower type code; empty for a code without one.
std::string typePrefix(std::uint8_t typeCode);

// The machine identifier text by which the database lists, sorts and compares
// machines: prefix, then "-YY-NNN-SS" (at least 2, 3 and 2 digits), for
// example TX-07-123-00.
std::string buildMachineId(std::uint8_t typeCode, std::uint8_t idYear, std::uint32_t idNumber,
                           std::uint8_t idSuffix);

// A part of the machine identifier as the dealer typed it (the year, the
// number), read as a decimal integer. The blanks of a field that was not
// filled to its last place (spaces, or the input mask's '_') are no part of
// the value: "12_" and " 12" are 12, "07" is 7. Nothing for a part without a
// digit ("", "__"), with a blank or another character between its digits
// ("1_3", "+5"), or with a value past 2^32 - 1.
std::optional<std::uint32_t> readIdPart(std::string_view text);
