#include "Component/NameCollation.h"

#include "core/Utf8.h"

#include <cwchar>
#include <cwctype>
#include <vector>

namespace {

// Each byte that does not begin a valid character becomes U+FFFD, so that
// any name sorts somewhere.
std::wstring toWide(std::string_view text)
{
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(text, pos, cp);
        out.push_back(length == 0 ? L'\xFFFD' : static_cast<wchar_t>(cp));
        pos += length == 0 ? 1 : length;
    }
    return out;
}

}  // namespace

std::wstring nameSortKey(const std::string& utf8Name)
{
    std::wstring lower = toWide(utf8Name);
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
