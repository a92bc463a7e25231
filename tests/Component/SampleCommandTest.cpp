// The sample command run as the demo runs it, and the database it writes read
// back through the list that the application loads.
#include "DatabaseFixture.h"
#include "support/RunCommand.h"

#include "Class/RecordFile.h"
#include "Component/MowerTypes.h"
#include "Component/SampleGenerator.h"
#include "link/InfoFrame.h"
#include "link/TVFFile.h"

#include <gmock/gmock.h>

#include <cstdio>
#include <map>
#include <set>
#include <sys/wait.h>

using namespace fixture;
using ::testing::HasSubstr;

namespace {

using ToolRun = CommandRun;

ToolRun tool(const std::string& arguments)
{
    return runCommand(QUORVANE_BUILD_DIR "/quorvane-tool " + arguments);
}

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

// Every file of a folder by name, with its bytes.
std::map<std::string, std::string> folderFiles(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = readFile(entry.path());
    return files;
}

std::uint32_t fileSerial(const TDBMower& mower)
{
    return serialOfRecordFileName(fs::path(mower.GetFileName()).filename().string()).value_or(0);
}

class SampleCommandTest : public DatabaseTest {
protected:
    // Writes a database of `records` into the fixture's folder and loads it.
    void sampleAndLoad(std::size_t records)
    {
        const ToolRun run = tool("sample " + quoted(dir.path()) + " --records " + std::to_string(records));
        ASSERT_EQ(run.status, 0) << run.output;
        EXPECT_THAT(run.output, HasSubstr("wrote " + std::to_string(records) + " records to " + dir.str()));
        load();
        ASSERT_EQ(list.Entries().size(), records);
    }
};

}  // namespace

TEST_F(SampleCommandTest, TheDatabaseIsSoundAndEveryRecordLoads)
{
    sampleAndLoad(40);
    EXPECT_TRUE(traceLines().empty()) << traceLines().front();
    EXPECT_EQ(checkerBytes().size(), 40 * TVXCheckDir::EntrySize);
    const ToolRun check = tool("check " + quoted(dir.path()));
    EXPECT_EQ(check.status, 0) << check.output;
    // No write left a temporary behind (the trace log is the fixture's).
    for (const auto& [name, bytes] : folderFiles(dir.path()))
        EXPECT_TRUE(name == "dbtisl.chk" || name == "trace.log" || serialOfRecordFileName(name)) << name;
}

TEST_F(SampleCommandTest, RecordsLookLikeADealersMowers)
{
    sampleAndLoad(40);
    std::set<std::uint8_t> codes;
    std::set<std::string> machineIds;
    std::map<std::string, int> surnames;
    std::set<std::uint8_t> alarms;
    int comments = 0;
    TVXLogTime oldest {9999, 12, 31, 0, 0, 0};
    TVXLogTime newest {0, 1, 1, 0, 0, 0};
    for (const auto& entry : list.Entries()) {
        const TVXMowerLog& record = entry->GetMowerHandle();
        SCOPED_TRACE(entry->GetFileName());
        codes.insert(record.getTypeCode());
        machineIds.insert(entry->BuildMachineId());
        ++surnames[record.getOwner().getSurname()];
        EXPECT_GE(record.getIdYear(), 4);
        EXPECT_LE(record.getIdYear(), 25);
        EXPECT_GE(record.getIdNumber(), 1u);
        EXPECT_LE(record.getIdNumber(), 999u);
        EXPECT_EQ(record.getIdSuffix(), 0);
        const std::string& address = record.getOwner().getAddress();
        const auto lines = std::count(address.begin(), address.end(), '\n');
        EXPECT_TRUE(lines == 2 || lines == 3) << address;
        EXPECT_EQ(address.back(), '\n');

        ASSERT_GE(record.getLogCount(), 1);
        EXPECT_LE(record.getLogCount(), 5);
        for (const auto& [date, history] : record.logs()) {
            EXPECT_GE(date.year, 2000 + record.getIdYear());
            EXPECT_LE(date, (TVXLogTime {2025, 10, 31, 23, 59, 59}));
            oldest = std::min(oldest, date);
            newest = std::max(newest, date);
            InfoFrame frame {};
            frame[11] = static_cast<std::uint8_t>(history->getSerialNumber() >> 24);
            frame[15] = history->getBootloaderVersion();
            EXPECT_TRUE(isValidInfoFrame(frame)) << serialHex(history->getSerialNumber());
            EXPECT_EQ(history->getTypeByte() & 0x0F, record.getTypeCode());
            comments += !history->getComment().empty();

            const std::vector<HistFrame> events = history->getEvents();
            EXPECT_GE(events.size(), 30u);
            EXPECT_LE(events.size(), 400u);
            std::set<std::uint8_t> eventCodes;
            for (const HistFrame& event : events) {
                eventCodes.insert(event.eventCode);
                if (event.eventCode == 5)
                    alarms.insert(event.extra);
            }
            EXPECT_EQ(eventCodes.size(), 13u);
            EXPECT_EQ(*eventCodes.rbegin(), 12);
        }
    }
    for (const MowerType& type : mowerTypes())
        EXPECT_EQ(codes.count(type.code), 1u) << "no mower of type " << int(type.code);
    EXPECT_TRUE(std::any_of(codes.begin(), codes.end(), [](std::uint8_t c) { return !findMowerType(c); }));
    EXPECT_EQ(machineIds.size(), 40u);
    EXPECT_TRUE(std::any_of(surnames.begin(), surnames.end(), [](const auto& s) { return s.second > 1; }));
    EXPECT_GE(alarms.size(), 15u);
    EXPECT_GE(comments, 1);
    EXPECT_GE(newest.year - oldest.year, 10);
}

TEST_F(SampleCommandTest, OneRecordShowsAReplacedBoardThatTheDeleteRuleKeeps)
{
    sampleAndLoad(40);
    int replaced = 0;
    for (const auto& entry : list.Entries()) {
        const TVXMowerLog& record = entry->GetMowerHandle();
        const std::vector<TVXLogTime>& order = record.insertionOrder();
        const std::uint32_t first = record.findLog(order.front()).getSerialNumber();
        EXPECT_EQ(fileSerial(*entry), first);
        if (record.getSerialNumber() == first)
            continue;
        ++replaced;
        ASSERT_GE(order.size(), 3u);
        EXPECT_NE(record.findLog(order.back()).getComment(), "");
        EXPECT_EQ(entry->CanDeleteHistory(order.back()), DeleteRule::SerialDiffers);
        EXPECT_EQ(entry->CanDeleteHistory(order[order.size() - 2]), DeleteRule::Allowed);
        EXPECT_EQ(entry->CanDeleteHistory(order.front()), DeleteRule::Allowed);
        // The list finds the mower by its new board.
        EXPECT_EQ(list.FindBySerial(record.getSerialNumber()), entry.get());
    }
    EXPECT_EQ(replaced, 1);
}

TEST_F(SampleCommandTest, OwnersWithAccentsReadBackAsTheyWereMade)
{
    sampleAndLoad(40);
    SampleGenerator generator(SampleGenerator::DefaultSeed, 40);
    std::map<std::uint32_t, TVXOwner> made;
    while (!generator.done()) {
        SampleGenerator::Record record = generator.next();
        made[record.fileSerial] = record.record->getOwner();
    }
    std::string everything;
    for (const auto& entry : list.Entries()) {
        const TVXOwner& owner = entry->GetMowerHandle().getOwner();
        EXPECT_EQ(owner, made[fileSerial(*entry)]) << owner.getName() << " " << owner.getSurname();
        everything += owner.getName() + owner.getSurname() + owner.getAddress();
    }
    // Stored in Windows-1252, read back as UTF-8.
    const char* const some[] = {"é", "è", "à", "ü", "ö", "ä", "ß"};
    EXPECT_TRUE(std::any_of(std::begin(some), std::end(some),
                            [&](const char* accent) { return everything.find(accent) != std::string::npos; }));

    // A larger sample reaches every accent of the five languages' countries.
    SampleGenerator larger(SampleGenerator::DefaultSeed, 600);
    std::string texts;
    while (!larger.done()) {
        const SampleGenerator::Record record = larger.next();
        const TVXOwner& owner = record.record->getOwner();
        texts += owner.getName() + owner.getSurname() + owner.getAddress();
    }
    for (const char* accent : {"é", "è", "ê", "à", "ç", "ë", "ï", "ü", "ö", "ä", "ß", "ò", "ù", "ì", "ñ", "œ"})
        EXPECT_THAT(texts, HasSubstr(accent));
}

TEST_F(SampleCommandTest, TheSameSeedGivesTheSameFilesAndAnotherSeedOthers)
{
    TempDir other;
    TempDir third;
    auto sample = [](const fs::path& into, const std::string& seed) {
        return tool("sample " + quoted(into / "db") + " --records 25 --seed " + seed + " --bin " + quoted(into / "s.bin")
                    + " --tvf " + quoted(into / "s.TVF"));
    };
    ASSERT_EQ(sample(dir.path(), "77").status, 0);
    ASSERT_EQ(sample(other.path(), "77").status, 0);
    ASSERT_EQ(sample(third.path(), "0x4E").status, 0);
    EXPECT_TRUE(folderFiles(dir / "db") == folderFiles(other / "db"));
    EXPECT_EQ(readFile(dir / "s.bin"), readFile(other / "s.bin"));
    EXPECT_EQ(readFile(dir / "s.TVF"), readFile(other / "s.TVF"));
    EXPECT_FALSE(folderFiles(dir / "db") == folderFiles(third / "db"));
    EXPECT_NE(readFile(dir / "s.bin"), readFile(third / "s.bin"));
    EXPECT_NE(readFile(dir / "s.TVF"), readFile(third / "s.TVF"));
}

TEST_F(SampleCommandTest, ADatabaseIsNeverWrittenOver)
{
    sampleAndLoad(5);
    const auto before = folderFiles(dir.path());
    const ToolRun again = tool("sample " + quoted(dir.path()) + " --records 5 --seed 9 --bin " + quoted(dir / "x.bin"));
    EXPECT_EQ(again.status, 1);
    EXPECT_THAT(again.output, HasSubstr("holds a database already"));
    EXPECT_TRUE(folderFiles(dir.path()) == before);

    // A checker alone (spelt as another system may have copied it), or record
    // files alone, are a database too; other files are not.
    TempDir checkerOnly;
    writeFile(checkerOnly / "DBTISL.CHK", "");
    EXPECT_EQ(tool("sample " + quoted(checkerOnly.path()) + " --records 3").status, 1);
    EXPECT_EQ(folderFiles(checkerOnly.path()).size(), 1u);
    TempDir recordOnly;
    writeFile(recordOnly / "0412abcd.dat", "anything");
    EXPECT_EQ(tool("sample " + quoted(recordOnly.path()) + " --records 3").status, 1);
    EXPECT_EQ(readFile(recordOnly / "0412abcd.dat"), "anything");
    TempDir notes;
    writeFile(notes / "notes.txt", "x");
    EXPECT_EQ(tool("sample " + quoted(notes.path()) + " --records 3").status, 0);
    EXPECT_EQ(tool("sample " + quoted(notes / "notes.txt") + " --records 3").status, 1);
}

TEST_F(SampleCommandTest, WrongArgumentsAndFailedWritesSayWhy)
{
    EXPECT_EQ(tool("sample " + quoted(dir / "db")).status, 2);
    EXPECT_EQ(tool("sample " + quoted(dir / "db") + " --records 0").status, 2);
    EXPECT_EQ(tool("sample " + quoted(dir / "db") + " --records 12x").status, 2);
    EXPECT_EQ(tool("sample --records 3").status, 2);
    EXPECT_FALSE(fs::exists(dir / "db"));

    const ToolRun run = tool("sample " + quoted(dir / "db") + " --records 2 --bin " + quoted(dir / "missing" / "s.bin"));
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.output, HasSubstr((dir / "missing" / "s.bin").string() + ": cannot be written"));
}

TEST_F(SampleCommandTest, TheBinIsAMowerNoRecordHas)
{
    const ToolRun run = tool("sample " + quoted(dir / "db") + " --records 40 --bin " + quoted(dir / "s.bin"));
    ASSERT_EQ(run.status, 0) << run.output;
    const std::string bin = readFile(dir / "s.bin");
    ASSERT_EQ(bin.size(), 8208u);
    InfoFrame frame;
    std::copy_n(bin.begin(), 16, frame.begin());
    EXPECT_TRUE(isValidInfoFrame(frame));
    const auto history = readBinHistory(bin);
    EXPECT_THAT(run.output, HasSubstr("wrote the history of mower " + serialHex(history->getSerialNumber())));
    EXPECT_GE(history->getEventCount(), 200);

    // Whatever the count, no record of the seed has its serial, not even a replaced board.
    SampleGenerator generator(SampleGenerator::DefaultSeed, 3000);
    EXPECT_EQ(generator.binHistory(), bin);
    std::set<std::uint32_t> serials;
    while (!generator.done()) {
        const SampleGenerator::Record made = generator.next();
        for (const auto& [date, log] : made.record->logs())
            serials.insert(log->getSerialNumber());
    }
    EXPECT_EQ(serials.count(history->getSerialNumber()), 0u);
}

TEST_F(SampleCommandTest, TheUpgradeFileIsReadWithoutComplaintAndTheKeptSamplesAreTheDefaultOnes)
{
    const ToolRun run = tool("sample " + quoted(dir / "db") + " --records 1 --bin " + quoted(dir / "s.bin") + " --tvf "
                         + quoted(dir / "s.TVF"));
    ASSERT_EQ(run.status, 0) << run.output;
    const TVFFile tvf = TVFFile::read((dir / "s.TVF").string());
    const TVFCheck check = tvf.check();
    EXPECT_TRUE(check.ok) << check.traceLine;
    EXPECT_FALSE(tvf.versionText().empty());
    std::set<std::string> tags;
    std::size_t dataLines = 0;
    for (const std::string& line : tvf.lines()) {
        if (const McuSection* section = TVFFile::sectionOf(line))
            tags.insert(section->tag);
        else if (line.rfind("[TAG]", 0) != 0)
            ++dataLines;
    }
    EXPECT_EQ(tags.size(), 3u);
    EXPECT_GE(dataLines, 200u);
    EXPECT_LE(dataLines, 600u);
    EXPECT_THAT(run.output, HasSubstr("wrote an upgrade file of " + std::to_string(tvf.lines().size()) + " lines"));

    EXPECT_TRUE(readFile(QUORVANE_SOURCE_DIR "/sim/samples/demo.TVF") == readFile(dir / "s.TVF"))
        << "regenerate sim/samples/ with: quorvane-tool sample NEWDIR --records 40 --bin sim/samples/demo.bin"
           " --tvf sim/samples/demo.TVF";
    EXPECT_TRUE(readFile(QUORVANE_SOURCE_DIR "/sim/samples/demo.bin") == readFile(dir / "s.bin"));
}
