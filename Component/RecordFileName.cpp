#include "Component/RecordFileName.h"

#include <cstdio>

std::string serialHex(std::uint32_t serial)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(serial));
    return text;
}

std::string recordFileName(std::uint32_t serial)
{
    return serialHex(serial) + ".dat";
}

std::optional<std::uint32_t> parseSerialHex(std::string_view digits)
{
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : digits) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else
            return std::nullopt;
        value = (value << 4) | digit;
    }
    return value;
}

std::optional<std::uint32_t> serialOfRecordFileName(std::string_view name)
{
    if (name.size() != 12 || !sameNameIgnoringCase(name.substr(8), ".dat"))
        return std::nullopt;
    return parseSerialHex(name.substr(0, 8));
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    return folder + "/" + name;
}

bool sameNameIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}
