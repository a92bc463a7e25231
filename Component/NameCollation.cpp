#include "Component/NameCollation.h"

#include <cwchar>
#include <cwctype>
#include <vector>

namespace {

// Invalid bytes become U+FFFD, so that any name sorts somewhere.
std::wstring decodeUtf8(const std::string& text)
{
    std::wstring out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        unsigned length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        char32_t code = length == 1 ? c : length == 2 ? (c & 0x1F) : length == 3 ? (c & 0x0F) : (c & 0x07);
        bool valid = length != 0 && i + length <= text.size();
        for (unsigned k = 1; valid && k < length; ++k) {
            const unsigned char next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                valid = false;
            else
                code = (code << 6) | (next & 0x3F);
        }
        if (!valid) {
            out.push_back(L'\xFFFD');
            ++i;
            continue;
        }
        out.push_back(static_cast<wchar_t>(code));
        i += length;
    }
    return out;
}

}  // namespace

std::wstring nameSortKey(const std::string& utf8Name)
{
    std::wstring lower = decodeUtf8(utf8Name);
    for (wchar_t& c : lower)
        c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    // wcsxfrm stops at a NUL; a name never holds one, but a damaged file may.
    for (wchar_t& c : lower)
        if (c == L'\0')
            c = L' ';
    const std::size_t needed = std::wcsxfrm(nullptr, lower.c_str(), 0);
    if (needed == static_cast<std::size_t>(-1))
        return lower;
    std::vector<wchar_t> key(needed + 1);
    std::wcsxfrm(key.data(), lower.c_str(), key.size());
    return std::wstring(key.data(), needed);
}
