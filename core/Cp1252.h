#pragma once

#include <optional>
#include <string>
#include <string_view>

// Windows-1252 at the file boundary. Every byte maps to one character and back:
// the five bytes the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the C1 controls of the same number, so any stored text survives a
// read and a write unchanged.

// Never fails.
std::string cp1252ToUtf8(std::string_view bytes);
// Nothing when the text is not valid UTF-8 or holds a character that
// Windows-1252 cannot hold.
std::optional<std::string> utf8ToCp1252(std::string_view utf8);
// The first character (its UTF-8 bytes) that Windows-1252 cannot hold, or the
// first invalid UTF-8 byte; empty when the whole text can be stored.
std::string_view firstUnencodable(std::string_view utf8);
