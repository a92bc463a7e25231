#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the commands take in, checked the same way by all of them.

// A --lang value: one digit, 0 English ... 4 German.
std::optional<std::uint8_t> languageArgument(const std::string& value);

// A decimal number, or a hexadecimal one after 0x.
std::optional<std::uint64_t> parseNumber(const std::string& text);

// A record or history file, bounded as a record file is; on failure the
// reason is printed (toolFailure) and there is no value.
std::optional<std::string> readInputFile(const std::string& path);
