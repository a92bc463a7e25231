// Feeds arbitrary bytes to the database checker reader and to the folder
// check, in a folder holding a few record files.
#include "Class/TVXException.h"
#include "Component/DatabaseCheck.h"
#include "Component/TVXCheckDir.h"
#include "core/AtomicFile.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::string& folder()
{
    static const std::string path = [] {
        char tmpl[] = "/tmp/quorvane-fuzz-checker-XXXXXX";
        const char* made = ::mkdtemp(tmpl);
        if (!made)
            std::abort();
        const std::string dir = made;
        for (const char* name : {"00000001.dat", "0000ABCD.dat", "ffffffff.dat"})
            writeFileAtomically(dir + "/" + name, "not a record");
        return dir;
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string dir = folder();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::ofstream(dir + "/dbtisl.chk", std::ios::binary | std::ios::trunc) << bytes;

    const DatabaseCheckReport report = checkDatabase(dir);
    if (report.sound() && size % TVXCheckDir::EntrySize != 0)
        std::abort();

    TVXCheckDir checker;
    checker.SetDataDir(dir);
    checker.SetCheckDir(dir);
    checker.SetCheckFileName("dbtisl.chk");
    try {
        const auto files = checker.GetFileList();
        if (files.size() > size / TVXCheckDir::EntrySize)
            std::abort();
    } catch (const TVXDBFC_error&) {
        if (size % TVXCheckDir::EntrySize == 0)
            std::abort();
    }
    return 0;
}
