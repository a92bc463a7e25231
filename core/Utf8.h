#pragma once

#include <cstddef>
#include <string_view>

// Decodes the UTF-8 character that begins at text[pos] (pos < text.size())
// into cp and returns its length in bytes. Returns 0 and leaves cp undefined
// when the bytes there are not a valid character: a stray continuation byte,
// an overlong form, a surrogate, a value beyond U+10FFFF, or a sequence cut
// short by the end of the text or by a byte that does not continue it.
std::size_t decodeUtf8(std::string_view text, std::size_t pos, char32_t& cp);
