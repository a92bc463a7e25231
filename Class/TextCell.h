#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A UTF-8 text cut or padded with blanks on the right to exactly `width`
// characters, as "%-N.Ns" did when every character was one byte. Characters
// are counted, never bytes, and a character is never cut in two.
std::string fitToWidth(std::string_view text, std::size_t width);
