#include "link/TVFFile.h"

#include "core/BoundedFile.h"

#include <array>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr std::array<McuSection, 3> Sections {{
    {"[MAIN]", 0x50, "MAIN", "start main section"},
    {"[FIR]", 0x51, "FIR", "start fir section"},
    {"[EXT]", 0x52, "EXT", "start ext section"},
}};

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::string lineFault(std::size_t lineNumber, const char* what)
{
    char text[96];
    std::snprintf(text, sizeof text, "Corrupted data line %zu : %s", lineNumber, what);
    return text;
}

}  // namespace

TVFFile TVFFile::read(const std::string& path)
{
    std::string bytes;
    std::string error;
    if (readBoundedFile(path, MaxFileBytes, bytes, error) != ReadStatus::Ok)
        throw std::runtime_error(error);
    return fromBytes(bytes);
}

TVFFile TVFFile::fromBytes(std::string_view bytes)
{
    TVFFile file;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        file.lines_.emplace_back(bytes.substr(start, i - start));
        i += (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < bytes.size())
        file.lines_.emplace_back(bytes.substr(start));
    return file;
}

const McuSection* TVFFile::sectionOf(std::string_view line)
{
    for (const McuSection& section : Sections)
        if (line == section.tag)
            return &section;
    return nullptr;
}

TVFCheck TVFFile::check() const
{
    if (lines_.empty() || lines_[0].compare(0, 5, "[TAG]") != 0)
        return {false, "NO [TAG]"};
    if (lines_.size() < 2 || !sectionOf(lines_[1]))
        return {false, "No MCU tag on first row"};
    for (std::size_t i = 2; i < lines_.size(); ++i) {
        const std::string& line = lines_[i];
        if (sectionOf(line))
            continue;
        if (line.size() % 2 != 0)
            return {false, lineFault(i + 1, "odd number of characters")};
        if (line.size() > MaxDataLineChars)
            return {false, lineFault(i + 1, "more than 606 characters")};
    }
    return {};
}

std::string TVFFile::versionText() const
{
    if (lines_.empty() || lines_[0].size() < 5)
        return {};
    return lines_[0].substr(5);
}

std::vector<std::uint8_t> TVFFile::decodeDataLine(std::string_view line)
{
    std::vector<std::uint8_t> bytes;
    bytes.reserve(line.size() / 2);
    for (std::size_t i = 0; i + 1 < line.size(); i += 2) {
        const int high = hexValue(line[i]);
        const int low = hexValue(line[i + 1]);
        bytes.push_back(high < 0 || low < 0 ? 0xFF : static_cast<std::uint8_t>(high * 16 + low));
    }
    return bytes;
}
