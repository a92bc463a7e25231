// Any bytes as an upgrade file: splitting, checking and decoding must stay in bounds.
#include "link/TVFFile.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const TVFFile file = TVFFile::fromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    const TVFCheck check = file.check();
    (void)file.versionText();
    // Line 1 is the version tag, never sent; the upgrade sends from line 2 on.
    const std::vector<std::string>& lines = file.lines();
    for (std::size_t index = 1; index < lines.size(); ++index) {
        const std::string& line = lines[index];
        if (TVFFile::sectionOf(line))
            continue;
        const std::vector<std::uint8_t> record = TVFFile::decodeDataLine(line);
        if (check.ok && record.size() > TVFFile::MaxDataLineChars / 2)
            __builtin_trap();  // a checked file never holds a record larger than the mower's buffer
    }
    return 0;
}
