#include "tools/ToolCommands.h"

#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/MachineId.h"
#include "Component/RecordFileName.h"
#include "Component/RecordImport.h"
#include "Component/RecordWindows.h"
#include "Component/StoreChoice.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "core/BoundedFile.h"
#include "core/Clock.h"
#include "core/TVXStringTable.h"
#include "tools/LinkTerminal.h"
#include "tools/ToolFailure.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <tuple>

namespace {

constexpr std::size_t BinFileSize = std::tuple_size_v<InfoFrameBuffer> + std::tuple_size_v<HistoryImageBuffer>;

int usageError()
{
    std::fputs("usage: quorvane-tool import DB FILE...   (DB a database folder or a postgresql:// URI;\n"
               "       each FILE a .bin history or a .dat/.thf record file)\n",
               stderr);
    return 2;
}

// The tool shows no window: what the window would show is in the store already.
class NoWindows : public RecordWindowFactory {
public:
    RecordWindow* openRecordWindow(TDBMower&) override { return nullptr; }
};

std::string lowerExtension(const std::string& path)
{
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

// readBoundedFile names the path before its reason; the line names it already.
std::string withoutPath(const std::string& error, const std::string& path)
{
    const std::string prefix = path + ": ";
    return error.compare(0, prefix.size(), prefix) == 0 ? error.substr(prefix.size()) : error;
}

std::string dateText(const TVXLogTime& date)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", unsigned(date.year), unsigned(date.month),
                  unsigned(date.day), unsigned(date.hour), unsigned(date.minute), unsigned(date.second));
    return text;
}

// What became of one file: its line on standard output, and whether it was filed.
struct Outcome {
    bool filed = false;
    std::string text;
};

Outcome filed(std::string text)
{
    return {true, std::move(text)};
}

Outcome skipped(std::string text)
{
    return {false, "skipped: " + std::move(text)};
}

// A history file, checked as the window's history import checks it, dated now
// and filed into the record of its serial number. A mower without a record is
// left alone: the tool asks nobody which record it belongs to.
Outcome importBin(const std::string& path, TDBMowerList& list)
{
    std::string bytes;
    std::string error;
    const ReadStatus status = readBoundedFile(path, BinFileSize, bytes, error);
    if (status == ReadStatus::TooLarge)
        return skipped("not a history file: it holds more than " + std::to_string(BinFileSize) + " bytes");
    if (status != ReadStatus::Ok)
        return skipped(withoutPath(error, path));
    if (const std::optional<std::string> defect = binHistoryDefect(bytes))
        return skipped("not a history file: " + *defect);

    InfoFrameBuffer frame;
    HistoryImageBuffer image;
    std::copy_n(bytes.begin(), frame.size(), frame.begin());
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(frame.size()), image.size(), image.begin());
    auto history = std::make_unique<TVXLog>(std::span<const std::uint8_t, TVXLog::ImageSize>(image));
    history->fillFromInfoFrame(std::span<const std::uint8_t, TVXLog::InfoFrameSize>(frame));
    history->setDate(TVXLogTime(SystemClock::instance().now()));
    const std::string serial = serialHex(history->getSerialNumber());
    const TVXLogTime date = history->getDate();

    switch (list.InsertLog(history)) {
    case InsertResult::Inserted:
        return filed("filed into " + serial);
    case InsertResult::NoRecord:
        return skipped("no record of mower " + serial);
    case InsertResult::DateExists:
        return skipped("the record of " + serial + " already holds a history dated " + dateText(date));
    case InsertResult::WriteFailed:
        break;
    }
    return {false, "not filed: the record of " + serial + " could not be read or written"};
}

bool sameIdentity(const TDBMower& mower, const TVXMowerLog& record)
{
    return mower.GetTypeCode() == record.getTypeCode() && mower.GetIdYear() == record.getIdYear()
           && mower.GetIdNumber() == record.getIdNumber() && mower.GetIdSuffix() == record.getIdSuffix();
}

// A record file imported as the window's database import does it. The file is
// read here too, only to say on the line what became of it: importDatFile
// decides.
Outcome importDat(const std::string& path, TDBMowerList& list, UserInteraction& user)
{
    std::string bytes;
    std::string error;
    const ReadStatus status = readBoundedFile(path, TDBMower::MaxRecordFileBytes, bytes, error);
    if (status == ReadStatus::TooLarge)
        return skipped("not a record file: it is larger than a record file can be");
    if (status != ReadStatus::Ok)
        return skipped(withoutPath(error, path));
    std::unique_ptr<TVXMowerLog> record;
    try {
        record = readRecordFile(bytes);
    } catch (const TVXCrc_error&) {
        return skipped("not a record file: it fails its checksum");
    } catch (const TVXFormat_error& e) {
        return skipped(std::string("not a record file: ") + e.what());
    }

    TDBMower* bySerial = list.FindBySerial(record->getSerialNumber());
    TDBMower* byIdentity = list.FindByIdentity(record->getTypeCode(), record->getIdYear(), record->getIdSuffix(),
                                               record->getIdNumber());
    // The serial number of one mower and the identifier of another: refused.
    const bool conflict = bySerial && !sameIdentity(*bySerial, *record);
    TDBMower* target = conflict ? nullptr : bySerial ? bySerial : byIdentity;
    const std::size_t before = target ? target->GetMowerHandle().getLogCount() : 0;
    const std::size_t entries = list.Entries().size();
    const std::string serial = serialHex(record->getSerialNumber());

    if (importDatFile(path, list, user)) {
        if (!target || list.Entries().size() != entries)
            return filed("added as the new record " + serial);
        const std::size_t added = target->GetMowerHandle().getLogCount() - before;
        return filed("merged into " + target->GetSerialText() + " (" + std::to_string(added)
                     + (added == 1 ? " new history)" : " new histories)"));
    }
    if (conflict && !byIdentity)
        return skipped("its serial number " + serial + " belongs to the record of machine "
                       + bySerial->GetMachineIdText() + ", not of "
                       + buildMachineId(record->getTypeCode(), record->getIdYear(), record->getIdNumber(),
                                        record->getIdSuffix()));
    if (conflict)
        return skipped("its serial number " + serial + " belongs to the record of machine "
                       + bySerial->GetMachineIdText() + ", its machine identifier to the record of "
                       + byIdentity->GetSerialText());
    return {false, target ? "not imported: the record of " + target->GetSerialText() + " could not be read or written"
                          : "not imported: no new record could be made of it"};
}

}  // namespace

// quorvane-tool import DB FILE...: files .bin histories and imports record
// files into a database as the application's Import menu does, without a
// dialog: one line per file on standard output, the program's messages on
// standard error. Exit 0 when every file was filed.
int runImport(const std::vector<std::string>& args)
{
    if (args.size() < 2)
        return usageError();
    for (const std::string& arg : args)
        if (arg.empty() || arg[0] == '-')
            return usageError();
    const std::string& database = args[0];

    if (!namesServer(database) && !std::filesystem::is_directory(database))
        return toolFailure(database + ": no such database folder");
    std::unique_ptr<RecordStore> store = makeRecordStore(database);
    if (const StoreResult opened = store->open(); !opened) {
        if (opened.status == StoreResult::Status::InUse)
            return toolFailure(database + ": the database is in use by a running application; close it first");
        return toolFailure(opened.reason.empty() ? database + ": cannot be opened" : opened.reason);
    }

    // The program's own messages on standard error in English, as the tool's lines.
    TVXStringTable::instance().setLanguage(0);
    TerminalUser user(false);
    NoWindows windows;
    TDBMowerList list(user, windows);
    try {
        list.LoadFrom(*store);
    } catch (const TVXDBFC_error&) {
        return toolFailure(database + ": its list of records cannot be read; quorvane-tool check says why");
    }

    bool allFiled = true;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& path = args[i];
        const std::string ext = lowerExtension(path);
        Outcome outcome;
        if (ext == ".bin")
            outcome = importBin(path, list);
        else if (ext == ".dat" || ext == ".thf")
            outcome = importDat(path, list, user);
        else
            outcome = skipped("neither a .bin history nor a .dat record file");
        std::printf("%s: %s\n", path.c_str(), outcome.text.c_str());
        std::fflush(stdout);
        allFiled = allFiled && outcome.filed;
    }
    return allFiled ? 0 : 1;
}
