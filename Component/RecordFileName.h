#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A record file is named after its mower's serial number: exactly 8 upper-case
// hexadecimal digits and ".dat" ("0012ABCD.dat").

std::string serialHex(std::uint32_t serial);
std::string recordFileName(std::uint32_t serial);

// The serial number of a record file name; digits and extension in either
// case ("0012abcd.DAT" too). Nothing for any other name.
std::optional<std::uint32_t> serialOfRecordFileName(std::string_view name);

// Hexadecimal digits in either case, without prefix, at most 8: the serial
// number they spell. Nothing for an empty or longer text or another character.
std::optional<std::uint32_t> parseSerialHex(std::string_view digits);

// The folder and the name joined by the path separator; an empty folder gives
// a path that begins with the separator.
std::string joinPath(const std::string& folder, const std::string& name);

// Folders copied from a system with case-insensitive names may hold
// "0012abcd.dat" where "0012ABCD.dat" is looked for.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);
