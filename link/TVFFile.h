#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One MCU tag of an upgrade file and what it selects.
struct McuSection {
    const char* tag;          // "[MAIN]"
    std::uint8_t commandByte; // sent before every data line under the tag
    const char* name;         // shown in the progress window
    const char* traceLine;    // written to the trace log
};

// The result of checking a whole upgrade file: the trace line says why it was refused.
struct TVFCheck {
    bool ok = true;
    std::string traceLine;
};

// A TVF upgrade file read as lines: "[TAG]" and the version on line 1, an MCU
// tag on line 2, then MCU tags and data lines of hexadecimal digit pairs.
class TVFFile {
public:
    static constexpr std::size_t MaxDataLineChars = 606;  // one record holds at most 303 bytes
    static constexpr std::size_t MaxFileBytes = 16u * 1024u * 1024u;

    // Reads the file; throws std::runtime_error with the reason when it is
    // missing, unreadable or larger than MaxFileBytes.
    static TVFFile read(const std::string& path);
    static TVFFile fromBytes(std::string_view bytes);

    const std::vector<std::string>& lines() const { return lines_; }

    // Checks every line before anything is sent: at least two lines, "[TAG]"
    // first, an MCU tag second, data lines of even length within the record size.
    TVFCheck check() const;

    // The version text that follows "[TAG]" on line 1 (empty when there is none).
    std::string versionText() const;

    // The section a line opens, or nullptr when it is not exactly an MCU tag.
    static const McuSection* sectionOf(std::string_view line);

    // Decodes pairs of hexadecimal digits (either case); a pair holding any
    // other character gives 0xFF. An odd last character is ignored.
    static std::vector<std::uint8_t> decodeDataLine(std::string_view line);

private:
    std::vector<std::string> lines_;
};
