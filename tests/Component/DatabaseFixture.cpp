#include "DatabaseFixture.h"

#include "support/ChildChecks.h"
#include "support/RecordFixtures.h"

#include "core/TVXStringTable.h"

#include <fstream>
#include <sys/wait.h>
#include <unistd.h>
#include <random>
#include <sstream>

namespace fixture {

namespace {

History layoutOf(const HistoryFixture& h)
{
    History history;
    history.infoHead = std::string(6, '\x01');
    history.year = h.date.year;
    history.month = h.date.month;
    history.day = h.date.day;
    history.hour = h.date.hour;
    history.minute = h.date.minute;
    history.second = h.date.second;
    history.serial = h.serial;
    history.boot = 0x07;
    history.software = 0x01020304;
    history.typeByte = h.typeByte;
    history.image = std::string(8192, static_cast<char>(h.imageFill));
    history.comment = h.comment;
    return history;
}

}  // namespace

std::string historyBytes(const HistoryFixture& h)
{
    return historyBytes(layoutOf(h));
}

std::string recordFileBytes(const RecordFixture& r)
{
    Record record;
    record.serial = r.serial;
    record.name = r.name;
    record.surname = r.surname;
    record.address = r.address;
    record.typeCode = r.typeCode;
    record.idYear = r.idYear;
    record.idNumber = r.idNumber;
    record.idSuffix = r.idSuffix;
    auto histories = r.histories;
    std::sort(histories.begin(), histories.end(),
              [](const HistoryFixture& a, const HistoryFixture& b) { return a.date < b.date; });
    for (const HistoryFixture& h : histories)
        record.histories.push_back(layoutOf(h));
    return withCrc(recordBytes(record));
}

std::string checkerEntryWithSum(std::uint32_t serial, std::uint16_t sum)
{
    std::string out;
    u32(out, serial);
    u16(out, sum);
    return out;
}

std::string checkerEntry(std::uint32_t serial)
{
    const unsigned sum = (serial & 0xFF) + ((serial >> 8) & 0xFF) + ((serial >> 16) & 0xFF) + (serial >> 24);
    return checkerEntryWithSum(serial, static_cast<std::uint16_t>(sum));
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::array<std::uint8_t, 16> infoFrame(std::uint32_t serial, std::uint8_t typeByte)
{
    std::array<std::uint8_t, 16> frame {};
    frame[6] = typeByte;
    frame[11] = static_cast<std::uint8_t>(serial >> 24);
    frame[12] = static_cast<std::uint8_t>(serial >> 16);
    frame[13] = static_cast<std::uint8_t>(serial >> 8);
    frame[14] = static_cast<std::uint8_t>(serial);
    frame[15] = 0x07;
    return frame;
}

int inChildWithFileSizeLimit(std::size_t limitBytes, const std::function<int()>& fn)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        childchecks::limitFileSize(limitBytes);
        ::_exit(fn());
    }
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

TempDir::TempDir()
{
    static std::mt19937_64 random {std::random_device {}()};
    for (;;) {
        path_ = fs::temp_directory_path() / ("quorvane-db-" + std::to_string(random()));
        if (fs::create_directory(path_))
            break;
    }
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

DatabaseTest::DatabaseTest()
{
    // Opening an empty log file empties the trace log.
    writeFile(dir / "trace.log", "");
    CLogger::instance().open((dir / "trace.log").string());
    TVXStringTable::instance().setLanguage(0);
    list.SetObserver(&observer);
    list.SetWidth(221);
}

std::string DatabaseTest::pathOf(std::uint32_t serial) const
{
    char name[16];
    std::snprintf(name, sizeof name, "%08X.dat", static_cast<unsigned>(serial));
    return (dir / name).string();
}

void DatabaseTest::addRecordFile(const RecordFixture& record, bool listed)
{
    writeFile(pathOf(record.serial), recordFileBytes(record));
    if (listed)
        writeChecker(checkerBytes() + checkerEntry(record.serial));
}

void DatabaseTest::writeChecker(const std::string& bytes)
{
    writeFile(dir / "dbtisl.chk", bytes);
}

std::string DatabaseTest::checkerBytes() const
{
    return fs::exists(dir / "dbtisl.chk") ? readFile(dir / "dbtisl.chk") : std::string();
}

void DatabaseTest::load()
{
    list.Load(dir.str());
}

std::vector<std::string> DatabaseTest::traceLines() const
{
    std::vector<std::string> lines;
    for (const auto& e : CLogger::instance().entries())
        lines.push_back(e.text);
    return lines;
}

bool DatabaseTest::traced(const std::string& line) const
{
    for (const auto& text : traceLines())
        if (text == line)
            return true;
    return false;
}

}  // namespace fixture
