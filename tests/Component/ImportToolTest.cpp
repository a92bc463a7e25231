// quorvane-tool import run on a database folder written by quorvane-tool
// sample: what it files, what it refuses, and that a refusal leaves every
// file of the database as it was.
#include "DatabaseFixture.h"
#include "support/RunCommand.h"

#include "Class/TVXMowerLog.h"
#include "Component/DatabaseLock.h"
#include "Component/FolderRecordStore.h"
#include "Component/RecordFileName.h"

#include <gmock/gmock.h>

#include <map>
#include <regex>

using namespace fixture;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

CommandRun tool(const std::string& arguments)
{
    return runCommand(QUORVANE_BUILD_DIR "/quorvane-tool " + arguments);
}

std::string quoted(const fs::path& path)
{
    return "'" + path.string() + "'";
}

// Every file of a database folder by name, with its bytes; the lock file that
// opening the database leaves is none of its content.
std::map<std::string, std::string> folderFiles(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename() != DatabaseLock::FileName)
            files[entry.path().filename().string()] = readFile(entry.path());
    return files;
}

std::size_t count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// A sample record as its file holds it.
struct SampleRecord {
    fs::path path;
    std::uint32_t serial = 0;
    std::unique_ptr<TVXMowerLog> record;
};

class ImportToolTest : public ::testing::Test {
protected:
    void SetUp() override { makeSample(); }

    // A database of a dozen records and the history of a mower none of them is.
    void makeSample()
    {
        fs::remove_all(db);
        const CommandRun run = tool("sample " + quoted(db) + " --records 12 --bin " + quoted(unknownBin));
        ASSERT_EQ(run.status, 0) << run.output;
        std::smatch found;
        ASSERT_TRUE(std::regex_search(run.output, found, std::regex("history of mower ([0-9A-F]{8})")))
            << run.output;
        unknownSerial = found[1];
    }

    // The sample records whose file is named after their serial number (the
    // mower whose board was replaced is not), in name order.
    std::vector<SampleRecord> records() const
    {
        std::vector<SampleRecord> found;
        for (const auto& [name, bytes] : folderFiles(db)) {
            const auto serial = serialOfRecordFileName(name);
            if (!serial)
                continue;
            SampleRecord r {db / name, *serial, FolderRecordStore::readRecordAt((db / name).string())};
            if (r.record->getSerialNumber() == *serial)
                found.push_back(std::move(r));
        }
        return found;
    }

    // The sample's history file made the history of another mower.
    fs::path binOf(std::uint32_t serial, const std::string& name) const
    {
        std::string bytes = readFile(unknownBin);
        for (int i = 0; i < 4; ++i)
            bytes[11 + i] = static_cast<char>(serial >> (24 - 8 * i));
        writeFile(dir / name, bytes);
        return dir / name;
    }

    // A record file as an export writes it, with one history of a date no
    // sample record holds.
    fs::path datOf(std::uint32_t serial, const TVXMowerLog& identity, const std::string& name) const
    {
        RecordFixture r;
        r.serial = serial;
        r.typeCode = identity.getTypeCode();
        r.idYear = identity.getIdYear();
        r.idNumber = identity.getIdNumber();
        r.idSuffix = identity.getIdSuffix();
        HistoryFixture history;
        history.serial = serial;
        history.date = {2009, 2, 3, 4, 5, 6};
        r.histories.push_back(history);
        writeFile(dir / name, recordFileBytes(r));
        return dir / name;
    }

    CommandRun import(const std::vector<fs::path>& files) const
    {
        std::string arguments = "import " + quoted(db);
        for (const fs::path& file : files)
            arguments += " " + quoted(file);
        return tool(arguments);
    }

    std::string checker() const { return readFile(db / "dbtisl.chk"); }

    static int historiesIn(const fs::path& path)
    {
        return FolderRecordStore::readRecordAt(path.string())->getLogCount();
    }

    TempDir dir;
    fs::path db = dir / "db";
    fs::path unknownBin = dir / "unknown.bin";
    std::string unknownSerial;
};

TEST_F(ImportToolTest, AHistoryOfAnUnknownMowerIsSkippedAndNothingIsWritten)
{
    const auto before = folderFiles(db);
    const CommandRun run = import({unknownBin});
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_THAT(run.output, HasSubstr(unknownBin.string() + ": skipped: no record of mower " + unknownSerial));
    EXPECT_EQ(folderFiles(db), before) << "no record is created for a .bin file";
}

TEST_F(ImportToolTest, AHistoryIsFiledIntoTheRecordOfItsSerialNumber)
{
    const std::vector<SampleRecord> sample = records();
    ASSERT_GE(sample.size(), 2u);
    const SampleRecord& mower = sample[1];
    const int held = mower.record->getLogCount();
    const std::string otherRecord = readFile(sample[0].path);
    const std::string checkerBefore = checker();
    // Any case of the extension.
    const fs::path bin = binOf(mower.serial, "reading.BIN");

    const CommandRun run = import({bin});
    EXPECT_EQ(run.status, 0) << run.output;
    EXPECT_THAT(run.output, HasSubstr(bin.string() + ": filed into " + serialHex(mower.serial)));
    EXPECT_EQ(historiesIn(mower.path), held + 1);
    EXPECT_EQ(checker(), checkerBefore);
    EXPECT_EQ(readFile(sample[0].path), otherRecord);
    EXPECT_EQ(tool("check " + quoted(db)).status, 0);
}

TEST_F(ImportToolTest, TheSameHistoryTwiceInOneSecondIsRefusedTheSecondTime)
{
    // Both are dated when filed, to the second: a run that straddles a second
    // boundary files both, and is tried again on a fresh database.
    for (int attempt = 0; attempt < 4; ++attempt) {
        if (attempt > 0)
            makeSample();
        const SampleRecord mower = std::move(records().front());
        const int held = mower.record->getLogCount();
        const fs::path bin = binOf(mower.serial, "twice.bin");
        const CommandRun run = import({bin, bin});
        const std::string serial = serialHex(mower.serial);
        if (count(run.output, ": filed into ") == 2)
            continue;
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_THAT(run.output, HasSubstr(bin.string() + ": filed into " + serial));
        EXPECT_THAT(run.output,
                    HasSubstr(bin.string() + ": skipped: the record of " + serial + " already holds a history dated"));
        EXPECT_EQ(historiesIn(mower.path), held + 1);
        return;
    }
    FAIL() << "every run straddled a second";
}

TEST_F(ImportToolTest, RecordFilesAreMergedAddedOrRefusedAsTheWindowDoes)
{
    const std::vector<SampleRecord> sample = records();
    ASSERT_GE(sample.size(), 3u);
    const SampleRecord& a = sample[0];
    const SampleRecord& b = sample[1];
    const int heldA = a.record->getLogCount();

    TVXMowerLog stranger;
    stranger.setTypeCode(a.record->getTypeCode());
    stranger.setIdYear(a.record->getIdYear());
    stranger.setIdNumber(999999);
    TVXMowerLog otherStranger;
    otherStranger.setTypeCode(a.record->getTypeCode());
    otherStranger.setIdYear(a.record->getIdYear());
    otherStranger.setIdNumber(999998);
    for (const SampleRecord& r : sample)
        ASSERT_LT(r.record->getIdNumber(), 999998u);

    const fs::path mergeA = datOf(a.serial, *a.record, "export.dat");
    const fs::path newMower = datOf(0x7E000001, stranger, "new.THF");
    const fs::path serialOfAOnly = datOf(a.serial, otherStranger, "clash1.dat");
    const fs::path serialOfAIdOfB = datOf(a.serial, *b.record, "clash2.dat");
    const std::string recordB = readFile(b.path);
    const std::string checkerBefore = checker();

    const CommandRun run = import({mergeA, newMower, serialOfAOnly, serialOfAIdOfB});
    EXPECT_EQ(run.status, 1) << run.output;
    const std::string serialA = serialHex(a.serial);
    EXPECT_THAT(run.output, HasSubstr(mergeA.string() + ": merged into " + serialA + " (1 new history)"));
    EXPECT_THAT(run.output, HasSubstr(newMower.string() + ": added as the new record 7E000001"));
    EXPECT_THAT(run.output, HasSubstr(serialOfAOnly.string() + ": skipped: its serial number " + serialA
                                      + " belongs to the record of machine "));
    EXPECT_THAT(run.output, HasSubstr(serialOfAIdOfB.string() + ": skipped: its serial number " + serialA
                                      + " belongs to the record of machine "));
    EXPECT_THAT(run.output, HasSubstr("its machine identifier to the record of " + serialHex(b.serial)));

    EXPECT_EQ(historiesIn(a.path), heldA + 1) << "merged once, refused twice";
    EXPECT_EQ(readFile(b.path), recordB);
    EXPECT_EQ(historiesIn(db / "7E000001.dat"), 1);
    EXPECT_EQ(checker(), checkerBefore + checkerEntry(0x7E000001));

    // The same export again holds nothing new.
    const CommandRun again = import({mergeA});
    EXPECT_EQ(again.status, 0) << again.output;
    EXPECT_THAT(again.output, HasSubstr("merged into " + serialA + " (0 new histories)"));
    EXPECT_EQ(historiesIn(a.path), heldA + 1);
}

TEST_F(ImportToolTest, WhatIsNeitherHistoryNorRecordIsReportedAndTheRestStillFiled)
{
    const std::vector<SampleRecord> sample = records();
    writeFile(dir / "notes.txt", "the dealer's notes");
    writeFile(dir / "short.bin", "garbage");
    writeFile(dir / "garbage.dat", std::string(300, 'x'));
    std::string badFrame = readFile(binOf(sample.front().serial, "good.bin"));
    badFrame[15] = 0x01;  // no bootloader version a mower has
    writeFile(dir / "badframe.bin", badFrame);
    const auto before = folderFiles(db);

    const CommandRun run = import({dir / "notes.txt", dir / "short.bin", dir / "garbage.dat", dir / "badframe.bin",
                                   dir / "missing.bin", dir / "good.bin"});
    EXPECT_EQ(run.status, 1) << run.output;
    EXPECT_THAT(run.output, HasSubstr("notes.txt: skipped: neither a .bin history nor a .dat record file"));
    EXPECT_THAT(run.output, HasSubstr("short.bin: skipped: not a history file: it holds 7 bytes, not 8208"));
    EXPECT_THAT(run.output, HasSubstr("garbage.dat: skipped: not a record file"));
    EXPECT_THAT(run.output, HasSubstr("badframe.bin: skipped: not a history file: its info frame"));
    EXPECT_THAT(run.output, HasSubstr("missing.bin: skipped: No such file or directory"));
    EXPECT_THAT(run.output, HasSubstr("good.bin: filed into " + serialHex(sample.front().serial)));
    EXPECT_EQ(historiesIn(sample.front().path), sample.front().record->getLogCount() + 1);
    for (const auto& [name, bytes] : folderFiles(db)) {
        if (name != sample.front().path.filename().string())
            EXPECT_EQ(bytes, before.at(name)) << name;
    }
}

TEST_F(ImportToolTest, AFolderInUseIsRefusedAndMistakesInTheCommandAreUsageErrors)
{
    const auto before = folderFiles(db);
    {
        FolderRecordStore running(db.string());
        ASSERT_TRUE(running.open());
        ASSERT_TRUE(running.locked());
        const CommandRun run = import({binOf(records().front().serial, "held.bin")});
        EXPECT_EQ(run.status, 1) << run.output;
        EXPECT_THAT(run.output, HasSubstr("in use by a running application"));
        EXPECT_THAT(run.output, Not(HasSubstr("filed into")));
    }
    const auto after = folderFiles(db);
    for (const auto& [name, bytes] : before)
        EXPECT_EQ(after.at(name), bytes) << name;

    EXPECT_EQ(tool("import").status, 2);
    EXPECT_EQ(tool("import " + quoted(db)).status, 2) << "no file";
    EXPECT_EQ(tool("import --force " + quoted(db) + " " + quoted(unknownBin)).status, 2);
    const CommandRun noFolder = tool("import " + quoted(dir / "none") + " " + quoted(unknownBin));
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_THAT(noFolder.output, HasSubstr("no such database folder"));
}

}  // namespace
