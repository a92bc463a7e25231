#include "tools/ToolInput.h"

#include "Component/TDBMower.h"
#include "core/BoundedFile.h"
#include "core/TVXStringTable.h"
#include "tools/ToolFailure.h"

#include <charconv>
#include <system_error>

std::optional<std::uint8_t> languageArgument(const std::string& value)
{
    if (value.size() != 1 || value[0] < '0' || value[0] >= '0' + TVXStringTable::LanguageCount)
        return std::nullopt;
    return static_cast<std::uint8_t>(value[0] - '0');
}

std::optional<std::uint64_t> parseNumber(const std::string& text)
{
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* first = text.data() + (hex ? 2 : 0);
    const char* last = text.data() + text.size();
    std::uint64_t value = 0;
    const auto [end, error] = std::from_chars(first, last, value, hex ? 16 : 10);
    if (error != std::errc() || end != last || first == last)
        return std::nullopt;
    return value;
}

std::optional<std::string> readInputFile(const std::string& path)
{
    std::string bytes;
    std::string error;
    if (readBoundedFile(path, TDBMower::MaxRecordFileBytes, bytes, error) != ReadStatus::Ok) {
        toolFailure(error);
        return std::nullopt;
    }
    return bytes;
}
