// Feeds arbitrary bytes to the two text files the application reads at
// start: the settings file and the trace log. Both must read without fault,
// and the numbers of settings written back must read again the same.
#include "fuzz/FuzzFolder.h"

#include "core/AppSettings.h"
#include "core/CLogger.h"
#include "core/IniFile.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

const std::string& folder()
{
    return fuzzfolder::make("fuzz-settings");
}

bool sameSettings(const AppSettings& a, const AppSettings& b)
{
    return a.height == b.height && a.width == b.width && a.top == b.top && a.left == b.left
           && a.language == b.language && a.port == b.port && a.autoScan == b.autoScan
           && a.sortByName == b.sortByName;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = folder() + "/input";
    const std::string copy = folder() + "/copy.INI";
    std::ofstream(input, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));

    try {
        CLogger::instance().open(input);
    } catch (const CLoggerError&) {
    }
    for (const CLogger::event& e : CLogger::instance().entries()) {
        CLogger::event again;
        if (!CLogger::parseLine(CLogger::formatLine(e), again) || again.text != e.text)
            std::abort();
    }

    IniFile ini;
    std::string error;
    if (!ini.open(input, error))
        return 0;
    AppSettings settings;
    settings.readFrom(ini);
    std::ofstream(copy, std::ios::binary | std::ios::trunc) << "";
    IniFile written;
    if (!written.open(copy, error))
        std::abort();
    settings.writeTo(written);
    if (!written.save())
        std::abort();
    IniFile reread;
    if (!reread.open(copy, error))
        std::abort();
    AppSettings back;
    back.readFrom(reread);
    // The numbers and switches always survive; a port name need not (a line
    // break cannot stand in an INI value).
    back.port = settings.port;
    if (!sameSettings(settings, back))
        std::abort();
    return 0;
}
