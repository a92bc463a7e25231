// Any bytes as the database checker, in a folder of record files: sound ones
// (one under a lower-case name), one that fails its checksum, one that holds
// no record, and a write leftover. The folder check and the loader's reader
// refuse exactly a checker whose size is not a multiple of 6, and both list
// exactly the entries with a right sum whose record file is there.
#include "fuzz/CheckerFolder.h"
#include "fuzz/FuzzFolder.h"

#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Class/TVXMowerLog.h"
#include "Component/DatabaseCheck.h"
#include "Component/RecordFileName.h"
#include "Component/TVXCheckDir.h"
#include "core/AtomicFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace checkerfolder;

std::string soundRecord(std::uint32_t serial)
{
    TVXMowerLog record;
    record.getOwner().setName("Dupr\xC3\xA9");
    record.getOwner().setAddress("1 rue des Lilas\n");
    record.setIdNumber(serial & 0xFFFF);
    return writeRecordFile(record);
}

const std::string& folder()
{
    static const std::string dir = [] {
        const std::string d = fuzzfolder::make("fuzz-checker");
        std::string damaged = soundRecord(BadChecksum);
        damaged.back() ^= 0x55;
        const bool written =
            writeFileAtomically(joinPath(d, recordFileName(Sound)), soundRecord(Sound)).ok &&
            writeFileAtomically(joinPath(d, recordFileName(BadChecksum)), damaged).ok &&
            writeFileAtomically(joinPath(d, "0400abcd.dat"), soundRecord(LowerCase)).ok &&
            writeFileAtomically(joinPath(d, recordFileName(SoundOrphan)), soundRecord(SoundOrphan)).ok &&
            writeFileAtomically(joinPath(d, recordFileName(NotARecord)), "not a record").ok &&
            writeFileAtomically(joinPath(d, recordFileName(Sound) + ".tmpAbC123"), "half").ok;
        if (!written)
            std::abort();
        return d;
    }();
    return dir;
}

void fail(const char* what)
{
    std::fprintf(stderr, "checker: %s\n", what);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::set<std::uint32_t> present = {Sound, BadChecksum, LowerCase, SoundOrphan, NotARecord};
    const std::string& dir = folder();
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    fuzzfolder::writeInput(joinPath(dir, TVXCheckDir::DefaultFileName), bytes);

    // What both must list: each entry with a right sum whose file is there,
    // the loader every time it comes, the check once.
    std::vector<std::uint32_t> listed;
    std::vector<std::uint32_t> kept;
    for (const TVXCheckDir::Entry& entry : TVXCheckDir::DecodeEntries(bytes)) {
        if (!entry.valid() || !present.count(entry.serial))
            continue;
        listed.push_back(entry.serial);
        if (std::find(kept.begin(), kept.end(), entry.serial) == kept.end())
            kept.push_back(entry.serial);
    }
    const bool whole = size % TVXCheckDir::EntrySize == 0;

    const DatabaseCheckReport report = checkDatabase(dir);
    if (report.sound())
        fail("a folder with a damaged record and a leftover is called sound");
    if (report.keptSerials != kept)
        fail("the check keeps other entries than the ones with a right sum and a file");
    if (!whole && !report.checkerNeedsRewrite)
        fail("a checker of a size that is not a multiple of 6 is not to be rewritten");

    TVXCheckDir checker;
    checker.SetDataDir(dir);
    checker.SetCheckDir(dir);
    checker.SetCheckFileName(TVXCheckDir::DefaultFileName);
    try {
        const std::vector<std::string> files = checker.GetFileList();
        if (!whole)
            fail("a checker of a size that is not a multiple of 6 is read");
        if (files.size() != listed.size())
            fail("the loader lists other files than the entries with a right sum and a file");
        for (std::size_t i = 0; i < files.size(); ++i)
            if (serialOfRecordFileName(files[i].substr(dir.size() + 1)) != listed[i])
                fail("the loader lists a file under another entry's serial");
    } catch (const TVXDBFC_error&) {
        if (whole)
            fail("a checker whose size is a multiple of 6 is refused");
    }
    return 0;
}
