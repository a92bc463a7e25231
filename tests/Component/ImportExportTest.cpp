#include "Component/HistoryFiling.h"
#include "Component/RecordImport.h"

#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "core/AppTexts.h"
#include "DatabaseFixture.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"

#include "link/InfoFrame.h"

#include <ios>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace fixture;

namespace {

RecordFixture record(std::uint32_t serial, std::uint32_t idNumber, std::vector<TVXLogTime> dates)
{
    RecordFixture r;
    r.serial = serial;
    r.idNumber = idNumber;
    for (const auto& d : dates)
        r.histories.push_back(HistoryFixture {.serial = serial, .date = d});
    return r;
}

const TVXLogTime d1 {2008, 1, 1, 8, 0, 0};
const TVXLogTime d2 {2009, 1, 1, 8, 0, 0};

// A folder where the record file was: every write of that record fails.
void makeUnwritable(const std::string& recordFile)
{
    fs::remove(recordFile);
    fs::create_directory(recordFile);
}

bool saidSaveFailed(const ScriptedUser& user)
{
    return user.boxes.size() == 1 && user.boxes[0].type == MsgType::Error
           && user.boxes[0].text.starts_with(appText(AppText::RecordSaveFailed));
}

using ImportTest = DatabaseTest;

TEST_F(ImportTest, ExportThenImportMergesNothingNew)
{
    addRecordFile(record(0x42, 123, {d1, d2}));
    load();
    TDBMower& mower = *list.Entries()[0];
    user.saveAnswer = (dir / "out.thf").string();
    ASSERT_TRUE(mower.Export());
    EXPECT_EQ(user.saveTitle, "Export");
    ASSERT_EQ(user.saveFilters.size(), 2u);
    EXPECT_EQ(user.saveFilters[0].pattern, "*.dat;*.thf");
    EXPECT_EQ(user.plain, std::vector<std::string> {catalogueText(Msg::ExportDone)});
    EXPECT_EQ(readFile(dir / "out.thf"), readFile(pathOf(0x42)));

    EXPECT_TRUE(importDatFile((dir / "out.thf").string(), list, user));
    EXPECT_EQ(mower.GetMowerHandle().getLogCount(), 2);
    EXPECT_EQ(user.plain.back(), catalogueText(Msg::NewHistoryInserted));
    EXPECT_EQ(windows.opened.size(), 1u);

    user.saveAnswer.reset();
    EXPECT_TRUE(mower.Export()) << "a cancelled export does nothing";
}

TEST_F(ImportTest, FailedExportIsReportedAndKeepsTheOldFile)
{
    addRecordFile(record(0x42, 123, {d1}));
    load();
    writeFile(dir / "out.dat", "old export");
    user.saveAnswer = (dir / "out.dat").string();
    EXPECT_EQ(failedChecksInChild(100, [&] {
                  return std::vector<NamedCheck> {
                      {"Export returns false", !list.Entries()[0]->Export()},
                      {"the failure is traced", traced("Couldn't create export file")},
                      {"one box says the export failed",
                       user.boxes.size() == 1 && user.boxes[0].text == catalogueText(Msg::ExportFileFailed)},
                  };
              }),
              "");
    EXPECT_EQ(readFile(dir / "out.dat"), "old export");

    user.saveAnswer = (dir / "no-such-folder" / "out.dat").string();
    EXPECT_FALSE(list.Entries()[0]->Export());
}

TEST_F(ImportTest, MatchTable)
{
    addRecordFile(record(0x10, 100, {d1}));
    addRecordFile(record(0x20, 200, {d1}));
    load();
    auto exportOf = [&](const RecordFixture& r) {
        writeFile(dir / "in.dat", recordFileBytes(r));
        return (dir / "in.dat").string();
    };

    // Same serial, same identity: merged, written at once.
    EXPECT_TRUE(importDatFile(exportOf(record(0x10, 100, {d1, d2})), list, user));
    EXPECT_EQ(TDBMower(pathOf(0x10), list).GetMowerHandle().getLogCount(), 2);

    // No serial match, identity of 0x20: merged without a message.
    const auto plainBefore = user.plain.size();
    EXPECT_TRUE(importDatFile(exportOf(record(0x30, 200, {d2})), list, user));
    EXPECT_EQ(TDBMower(pathOf(0x20), list).GetMowerHandle().getLogCount(), 2);
    EXPECT_EQ(user.plain.size(), plainBefore);

    // Serial of 0x10, identity of nobody: "Existing machine."
    EXPECT_FALSE(importDatFile(exportOf(record(0x10, 999, {d2})), list, user));
    EXPECT_EQ(user.boxes.back().text, catalogueText(Msg::ExistingMachine));

    // Serial of 0x10 and identity of 0x20: refused, and said so.
    const auto before = readFile(pathOf(0x10));
    EXPECT_FALSE(importDatFile(exportOf(record(0x10, 200, {TVXLogTime {2010, 1, 1, 0, 0, 0}})), list, user));
    EXPECT_EQ(user.boxes.back().text, appText(AppText::ImportConflict));
    EXPECT_EQ(readFile(pathOf(0x10)), before);

    // Nobody: a new record, file, checker entry and window.
    EXPECT_TRUE(importDatFile(exportOf(record(0x40, 400, {d1})), list, user));
    EXPECT_TRUE(fs::exists(pathOf(0x40)));
    EXPECT_EQ(checkerBytes(), checkerEntry(0x10) + checkerEntry(0x20) + checkerEntry(0x40));
    EXPECT_EQ(list.Entries().size(), 3u);
}

TEST_F(ImportTest, AMergeThatCannotBeWrittenIsReportedAndChangesNothing)
{
    addRecordFile(record(0x10, 100, {d1}));
    load();
    ASSERT_TRUE(list.Entries()[0]->EnsureLoaded());  // read before its file goes
    makeUnwritable(pathOf(0x10));
    const TDBMower& mower = *list.Entries()[0];

    writeFile(dir / "in.dat", recordFileBytes(record(0x10, 100, {d1, d2})));  // same serial and identity
    EXPECT_FALSE(importDatFile((dir / "in.dat").string(), list, user));
    EXPECT_TRUE(saidSaveFailed(user));
    EXPECT_TRUE(user.plain.empty()) << "no \"New history insertion done\"";
    EXPECT_EQ(mower.GetMowerHandle().getLogCount(), 1);
    EXPECT_TRUE(windows.opened.empty());

    user.boxes.clear();
    writeFile(dir / "in.dat", recordFileBytes(record(0x30, 100, {d2})));  // identity only
    EXPECT_FALSE(importDatFile((dir / "in.dat").string(), list, user));
    EXPECT_TRUE(saidSaveFailed(user));
    EXPECT_EQ(mower.GetMowerHandle().getLogCount(), 1);
    EXPECT_EQ(mower.GetSerial(), 0x10u);
    EXPECT_TRUE(windows.opened.empty());
}

TEST_F(ImportTest, DamagedOrMissingImportFiles)
{
    writeChecker("");
    load();
    std::string bytes = recordFileBytes(record(0x10, 100, {d1}));
    bytes[10] ^= 0x04;
    writeFile(dir / "bad.dat", bytes);
    EXPECT_FALSE(importDatFile((dir / "bad.dat").string(), list, user));
    EXPECT_TRUE(traced("Import file: " + (dir / "bad.dat").string() + " has a bad CRC"));
    EXPECT_EQ(user.boxes.back().text, catalogueText(Msg::CorruptedFile) + "\n" + (dir / "bad.dat").string());

    EXPECT_FALSE(importDatFile((dir / "none.dat").string(), list, user));
    EXPECT_TRUE(traced("error opening import file: " + (dir / "none.dat").string()));
    EXPECT_TRUE(list.Entries().empty());

    // A named pipe without a writer is refused at once, not waited on, by the
    // importers and by the loader of the database.
    const std::string pipe = (dir / "pipe.dat").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(failedChecksInChild(std::nullopt, [&] {
                  ::alarm(10);
                  InfoFrameBuffer frame {};
                  HistoryImageBuffer image {};
                  bool loaderRefused = false;
                  try {
                      TDBMower mower(pipe, list);
                  } catch (const std::ios_base::failure&) {
                      loaderRefused = true;
                  }
                  return std::vector<NamedCheck> {
                      {"importDatFile refuses the pipe", !importDatFile(pipe, list, user)},
                      {"the refusal is traced", traced("error opening import file: " + pipe)},
                      {"readBinFile refuses the pipe", !readBinFile(pipe, frame, image, user)},
                      {"the loader refuses the pipe", loaderRefused},
                  };
              }),
              "");
}

// A history file as a mower's download leaves it: a valid info frame (serial
// 0412ABCD, bootloader 0x21) and the image.
std::string binFile(std::uint8_t byte11 = 0x04, std::uint8_t byte15 = 0x21, char imageFill = '\x22')
{
    std::string bytes(16, '\x11');
    bytes[11] = char(byte11);
    bytes[15] = char(byte15);
    return bytes + std::string(8192, imageFill);
}

TEST_F(ImportTest, BinFileMustHoldExactlyOneHistory)
{
    InfoFrameBuffer frame {};
    HistoryImageBuffer image {};
    frame.fill(0xAA);
    image.fill(0xBB);

    const std::string path = (dir / "h.bin").string();
    for (const std::size_t size : {std::size_t {8207}, std::size_t {8209}, std::size_t {0}}) {
        writeFile(path, binFile().substr(0, size) + std::string(size > 8208 ? 1 : 0, '\x01'));
        EXPECT_FALSE(readBinFile(path, frame, image, user)) << size;
        EXPECT_EQ(user.boxes.back().text, catalogueText(Msg::CorruptedFile) + "\n" + path);
        EXPECT_EQ(frame[0], 0xAA);
        EXPECT_EQ(image[8191], 0xBB);
    }
    EXPECT_FALSE(readBinFile((dir / "none.bin").string(), frame, image, user));
    EXPECT_TRUE(traced("error opening bin file: " + (dir / "none.bin").string()));

    writeFile(path, binFile());
    EXPECT_TRUE(readBinFile(path, frame, image, user));
    EXPECT_EQ(frame[0], 0x11);
    EXPECT_EQ(frame[15], 0x21);
    EXPECT_EQ(image[0], 0x22);
    EXPECT_TRUE(traced("Request loading history from bin file"));
}

// Any 8208 bytes used to be filed as a history: random ones became a record
// of 167 % charge in a language of question marks. A file is filed exactly
// when its info frame passes the link's test of a frame from a mower.
TEST_F(ImportTest, BinFileWhoseInfoFrameNoMowerSendsIsNotFiled)
{
    const std::string path = (dir / "h.bin").string();
    InfoFrameBuffer frame {};
    HistoryImageBuffer image {};
    auto refusedFor = [&](const std::string& bytes, const std::string& test) {
        user.boxes.clear();
        frame.fill(0xAA);
        writeFile(path, bytes);
        const std::size_t lines = traceLines().size();
        const bool read = readBinFile(path, frame, image, user);
        const std::vector<std::string> trace = traceLines();
        const bool testNamed = trace.size() > lines && trace.back().starts_with("bin file " + path + " refused: ")
                               && trace.back().find(test) != std::string::npos;
        EXPECT_TRUE(testNamed) << test << " not in: " << (trace.empty() ? "" : trace.back());
        EXPECT_EQ(user.boxes.size(), 1u);
        EXPECT_EQ(user.boxes.empty() ? "" : user.boxes[0].text, catalogueText(Msg::CorruptedFile) + "\n" + path);
        EXPECT_EQ(frame[0], 0xAA) << "the buffers keep what they held";
        return !read;
    };

    std::mt19937 random(8208);
    std::string noise(8208, '\0');
    for (char& c : noise)
        c = char(random());
    noise[15] = 0x7F;  // whatever the draw, a bootloader no mower has
    EXPECT_TRUE(refusedFor(noise, "byte 15"));
    EXPECT_TRUE(refusedFor(binFile(0x04, 0x20), "byte 15, the bootloader version, is 0x20"));
    EXPECT_TRUE(refusedFor(binFile(0x04, 0x00), "byte 15"));
    EXPECT_TRUE(refusedFor(binFile(0x03, 0x21), "byte 11, the first of the serial number, is 0x03"));
    EXPECT_TRUE(refusedFor(binFile(0x00, 0x99), "byte 15, the bootloader version, is 0x99, not 0x14, 0x21, 0x22 "
                                                "or 0x23; byte 11, the first of the serial number, is 0x00"));

    // Every frame the link takes is taken: no stricter than the link.
    for (const std::uint8_t boot : {0x14, 0x21, 0x22, 0x23})
        for (const std::uint8_t first : {0x04, 0x05, 0xFF}) {
            writeFile(path, binFile(first, boot, '\xFF'));
            EXPECT_TRUE(readBinFile(path, frame, image, user)) << int(boot) << " " << int(first);
            EXPECT_EQ(frame[15], boot);
        }
    for (std::uint8_t byte11 = 0; byte11 < 8; ++byte11)
        for (int byte15 = 0; byte15 < 256; ++byte15) {
            InfoFrame sent {};
            sent[11] = byte11;
            sent[15] = std::uint8_t(byte15);
            const std::string bytes = binFile(byte11, std::uint8_t(byte15));
            EXPECT_EQ(!binHistoryDefect(bytes), isValidInfoFrame(sent)) << int(byte11) << " " << byte15;
        }
}

class ScriptedDialogs : public RecordDialogs {
public:
    int showInsertDialog(std::unique_ptr<TVXLog>& history) override
    {
        ++inserts;
        if (insertAnswer == MrOk)
            list->InsertLogInto(list->GetMachineIdList().at(0), history);
        return insertAnswer;
    }
    int showCreateDialog(std::uint8_t typeCode, std::unique_ptr<TVXLog>& history) override
    {
        createdType = typeCode;
        auto record = std::make_unique<TVXMowerLog>();
        record->setTypeCode(typeCode);
        record->insertLog(std::move(history));
        list->CreateRecord(record);
        return MrOk;
    }
    TDBMowerList* list = nullptr;
    int insertAnswer = MrCancel;
    int inserts = 0;
    int createdType = -1;
};

class FilingTest : public DatabaseTest {
protected:
    FilingTest() { dialogs.list = &list; }
    void file(std::uint32_t serial, std::uint8_t typeByte = 0x24)
    {
        fileHistory(infoFrame(serial, typeByte), image, list, dialogs, user, clock);
    }
    ScriptedDialogs dialogs;
    FixedClock clock;
    HistoryImageBuffer image {};
};

TEST_F(FilingTest, HistoryGoesToTheRecordOfItsSerialDatedByTheClock)
{
    addRecordFile(record(0x0412ABCD, 1, {d1}));
    load();
    file(0x0412ABCD);
    EXPECT_TRUE(traced("Loading history successful machine: 0412ABCD"));
    EXPECT_TRUE(traced("new log insert"));
    EXPECT_EQ(user.boxes.back().text, catalogueText(Msg::NewHistoryInserted));
    const TDBMower reread(pathOf(0x0412ABCD), list);
    EXPECT_EQ(reread.GetMowerHandle().getLogCount(), 2) << "written at once";
    EXPECT_NO_THROW(reread.GetMowerHandle().findLog(TVXLogTime(clock.time)));
    EXPECT_EQ(observer.refreshed, 1);

    // The same buffers again within the same second: said so, not "done".
    file(0x0412ABCD);
    EXPECT_EQ(user.boxes.back().text, catalogueText(Msg::HistoryDateExists));
    EXPECT_EQ(list.Entries()[0]->GetMowerHandle().getLogCount(), 2);
}

TEST_F(FilingTest, AHistoryWhoseRecordCannotBeWrittenIsNotSaidToBeFiled)
{
    addRecordFile(record(0x0412ABCD, 1, {d1}));
    load();
    ASSERT_TRUE(list.Entries()[0]->EnsureLoaded());  // read before its file goes
    makeUnwritable(pathOf(0x0412ABCD));
    file(0x0412ABCD);
    // The failure, then the offer to keep the history as a .bin file (declined).
    ASSERT_EQ(user.boxes.size(), 2u);
    EXPECT_EQ(user.boxes[1].text, appText(AppText::HistoryNotFiledSaveBin));
    user.boxes.pop_back();
    EXPECT_TRUE(saidSaveFailed(user)) << "one box, and not \"New history insertion done\"";
    EXPECT_TRUE(traced("history not filed: its record file could not be written"));
    EXPECT_FALSE(traced("new log insert"));
    EXPECT_EQ(list.Entries()[0]->GetMowerHandle().getLogCount(), 1) << "the record holds what its file holds";
    EXPECT_TRUE(windows.opened.empty());
    EXPECT_EQ(observer.refreshed, 1);

    // Once the file can be written the same history is filed.
    fs::remove(pathOf(0x0412ABCD));
    file(0x0412ABCD);
    EXPECT_EQ(user.boxes.back().text, catalogueText(Msg::NewHistoryInserted));
    EXPECT_EQ(TDBMower(pathOf(0x0412ABCD), list).GetMowerHandle().getLogCount(), 2);
}

TEST_F(FilingTest, UnknownSerialGoesThroughTheDialogs)
{
    addRecordFile(record(0x10, 1, {d1}));
    load();

    file(0x77);  // the dealer closes the insert dialog
    EXPECT_EQ(dialogs.inserts, 1);
    EXPECT_EQ(dialogs.createdType, -1);
    EXPECT_EQ(list.Entries()[0]->GetMowerHandle().getLogCount(), 1);
    EXPECT_EQ(observer.refreshed, 1);

    dialogs.insertAnswer = MrAbort;  // asks for a new record
    file(0x77, 0x35);
    EXPECT_EQ(dialogs.createdType, 5);
    EXPECT_TRUE(fs::exists(pathOf(0x77)));
    EXPECT_EQ(observer.refreshed, 2);

    dialogs.insertAnswer = MrOk;  // picks a record: no refresh
    clock.time.second = 31;
    file(0x88);
    EXPECT_EQ(observer.refreshed, 2);
}

}  // namespace
