// A history read from a mower that cannot be filed is offered as a .bin file,
// which Import history files later.
#include "Component/HistoryFiling.h"
#include "Component/RecordImport.h"

#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "DatabaseFixture.h"
#include "core/AppTexts.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"

#include <deque>

using namespace fixture;

namespace {

constexpr std::uint32_t Serial = 0x0412ABCD;
const TVXLogTime Earlier {2008, 1, 1, 8, 0, 0};

// The dealer who answers the rescue question: one answer per question, in
// order; a question more than scripted is a failure (and answered no).
class RescuingUser : public ScriptedUser {
public:
    MsgButton messageBox(MsgType type, const std::string& text, unsigned buttons) override
    {
        ScriptedUser::messageBox(type, text, buttons);
        if (type != MsgType::Confirmation)
            return MbOK;
        if (answers.empty()) {
            ADD_FAILURE() << "asked once more than scripted: " << text;
            return MbNo;
        }
        const MsgButton next = answers.front();
        answers.pop_front();
        return next;
    }
    std::optional<std::string> chooseSaveFile(const std::string& title, const std::vector<FileFilter>& filters,
                                              int index, const std::string& suggestedName) override
    {
        ++saveDialogs;
        return ScriptedUser::chooseSaveFile(title, filters, index, suggestedName);
    }
    int questions() const
    {
        int n = 0;
        for (const Box& box : boxes)
            n += box.type == MsgType::Confirmation && box.text == appText(AppText::HistoryNotFiledSaveBin)
                 && box.buttons == (MbYes | MbNo);
        return n;
    }

    std::deque<MsgButton> answers;
    int saveDialogs = 0;
};

class NoDialogs : public RecordDialogs {
public:
    int showInsertDialog(std::unique_ptr<TVXLog>&) override
    {
        ADD_FAILURE() << "the history has a record: no dialog";
        return MrCancel;
    }
    int showCreateDialog(std::uint8_t, std::unique_ptr<TVXLog>&) override { return MrCancel; }
};

// Why the record of the history cannot take it.
enum class Fault {
    Unwritable,  // read, then its file became a folder: the write fails
    Unreadable,  // never read, and its file is gone: the read fails
};

class HistoryRescueTest : public DatabaseTest, public ::testing::WithParamInterface<Fault> {
protected:
    HistoryRescueTest()
    {
        // A frame that a mower sends (bootloader 0x21), every byte telling.
        frame = {0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x24, 0x01, 0x02, 0x03, 0x04, 0x04, 0x12, 0xAB, 0xCD, 0x21};
        for (std::size_t i = 0; i < image.size(); ++i)
            image[i] = static_cast<std::uint8_t>(i * 7 + 3);
        RecordFixture record;
        record.serial = Serial;
        record.histories.push_back(HistoryFixture {.serial = Serial, .date = Earlier});
        recordBytes = recordFileBytes(record);
        addRecordFile(record);
        load();
    }

    // The record's file as it stood when the list was loaded.
    void breakRecord()
    {
        if (GetParam() == Fault::Unwritable) {
            ASSERT_TRUE(list.Entries()[0]->EnsureLoaded());
            fs::remove(pathOf(Serial));
            fs::create_directory(pathOf(Serial));
        } else {
            fs::remove(pathOf(Serial));
        }
    }
    void mendRecord()
    {
        fs::remove_all(pathOf(Serial));
        if (GetParam() == Fault::Unreadable)
            writeFile(pathOf(Serial), recordBytes);
    }
    void file(UserInteraction& dealer) { fileHistory(frame, image, list, dialogs, dealer, clock); }
    bool listSaidWhy() const
    {
        return user.boxes.size() == 1 && user.boxes[0].type == MsgType::Error
               && (user.boxes[0].text.starts_with(appText(AppText::RecordSaveFailed))
                   || user.boxes[0].text.starts_with(appText(AppText::RecordUnreadable)));
    }
    std::string expectedBin() const
    {
        std::string bytes(frame.begin(), frame.end());
        return bytes.append(image.begin(), image.end());
    }

    InfoFrameBuffer frame {};
    HistoryImageBuffer image {};
    std::string recordBytes;
    NoDialogs dialogs;
    FixedClock clock;
    RescuingUser dealer;
};

TEST_P(HistoryRescueTest, YesSavesABinFileThatImportHistoryFilesLater)
{
    breakRecord();
    const fs::path bin = dir / "kept" / "rescued.bin";
    fs::create_directory(dir / "kept");
    dealer.answers = {MbYes};
    dealer.saveAnswer = bin.string();
    file(dealer);

    EXPECT_TRUE(listSaidWhy());
    EXPECT_EQ(dealer.questions(), 1);
    EXPECT_EQ(dealer.saveSuggestion, "0412ABCD-20110304-102030.bin") << "the mower and the date it was read";
    ASSERT_FALSE(dealer.saveFilters.empty());
    EXPECT_EQ(dealer.saveFilters[0].pattern, "*.bin");
    const std::string saved = readFile(bin);
    EXPECT_TRUE(saved == expectedBin()) << "the info frame and the image, byte for byte";
    EXPECT_EQ(binHistoryDefect(saved), std::nullopt);
    EXPECT_TRUE(traced("history of 0412ABCD saved as " + bin.string()));
    EXPECT_FALSE(traced("new log insert"));

    // Later, with the record sound again, Import history files it.
    mendRecord();
    InfoFrameBuffer readFrame {};
    HistoryImageBuffer readImage {};
    RescuingUser later;
    ASSERT_TRUE(readBinFile(bin.string(), readFrame, readImage, later));
    clock.time.hour = 11;
    fileHistory(readFrame, readImage, list, dialogs, later, clock);
    EXPECT_EQ(later.texts, std::vector<std::string> {catalogueText(Msg::NewHistoryInserted)});
    const TDBMower reread(pathOf(Serial), list);
    const TVXMowerLog& record = reread.GetMowerHandle();
    ASSERT_EQ(record.getLogCount(), 2);
    const TVXLog& filed = record.findLog(TVXLogTime(clock.time));
    EXPECT_TRUE(filed.getImage() == image);
    EXPECT_EQ(binHistoryFile(filed), expectedBin());
}

TEST_P(HistoryRescueTest, NoOrACancelledFileDialogWritesNothing)
{
    breakRecord();
    dealer.answers = {MbNo};
    dealer.saveAnswer = (dir / "never.bin").string();
    file(dealer);
    EXPECT_TRUE(listSaidWhy());
    EXPECT_EQ(dealer.questions(), 1);
    EXPECT_EQ(dealer.saveDialogs, 0);
    EXPECT_TRUE(traced("history of 0412ABCD neither filed nor saved"));

    // Yes, then the file dialog cancelled: the dealer changed their mind.
    dealer.answers = {MbYes};
    dealer.saveAnswer.reset();
    file(dealer);
    EXPECT_EQ(dealer.questions(), 2);
    EXPECT_EQ(dealer.saveDialogs, 1);
    EXPECT_FALSE(fs::exists(dir / "never.bin"));
    EXPECT_TRUE(dealer.answers.empty());
}

TEST_P(HistoryRescueTest, AFailedWriteIsReportedAndTheQuestionComesAgain)
{
    breakRecord();
    // A folder stands where the file would go: the write is refused.
    const fs::path taken = dir / "taken.bin";
    fs::create_directory(taken);
    // The second time the dealer picks a place that can be written.
    struct SecondPlace : RescuingUser {
        std::optional<std::string> chooseSaveFile(const std::string& title, const std::vector<FileFilter>& filters,
                                                  int index, const std::string& name) override
        {
            RescuingUser::chooseSaveFile(title, filters, index, name);
            return saveDialogs == 1 ? first : second;
        }
        std::string first, second;
    } picky;
    picky.answers = {MbYes, MbYes};
    picky.first = taken.string();
    picky.second = (dir / "second.bin").string();
    file(picky);

    EXPECT_EQ(picky.saveDialogs, 2);
    EXPECT_EQ(picky.questions(), 2);
    // Between the two questions, the failure with the system's reason.
    ASSERT_EQ(picky.boxes.size(), 3u);
    EXPECT_EQ(picky.boxes[1].type, MsgType::Error);
    EXPECT_TRUE(picky.boxes[1].text.starts_with(catalogueText(Msg::ExportFileFailed) + "\n"));
    EXPECT_NE(picky.boxes[1].text.find(taken.string()), std::string::npos) << picky.boxes[1].text;
    EXPECT_TRUE(fs::is_directory(taken)) << "left as it was";
    EXPECT_TRUE(readFile(dir / "second.bin") == expectedBin());

    // A dealer who gives up after the failure: asked twice, nothing written.
    dealer.answers = {MbYes, MbNo};
    dealer.saveAnswer = taken.string();
    file(dealer);
    EXPECT_EQ(dealer.questions(), 2);
    EXPECT_EQ(dealer.saveDialogs, 1);
    EXPECT_EQ(dealer.boxes[1].type, MsgType::Error);
    EXPECT_TRUE(traced("history of 0412ABCD neither filed nor saved"));
}

INSTANTIATE_TEST_SUITE_P(Faults, HistoryRescueTest, ::testing::Values(Fault::Unwritable, Fault::Unreadable),
                         [](const ::testing::TestParamInfo<Fault>& info) {
                             return info.param == Fault::Unwritable ? "RecordUnwritable" : "RecordUnreadable";
                         });

using HistoryOfferTest = DatabaseTest;

// A history that files, or whose date the record holds already, is never offered.
TEST_F(HistoryOfferTest, AHistoryThatFilesOrIsThereAlreadyIsNotOffered)
{
    RecordFixture record;
    record.serial = Serial;
    record.histories.push_back(HistoryFixture {.serial = Serial, .date = Earlier});
    addRecordFile(record);
    load();
    InfoFrameBuffer frame {};
    frame[11] = 0x04;
    frame[12] = 0x12;
    frame[13] = 0xAB;
    frame[14] = 0xCD;
    frame[15] = 0x21;
    HistoryImageBuffer image {};
    NoDialogs dialogs;
    FixedClock clock;
    RescuingUser dealer;
    fileHistory(frame, image, list, dialogs, dealer, clock);
    fileHistory(frame, image, list, dialogs, dealer, clock);
    EXPECT_EQ(dealer.texts, (std::vector<std::string> {catalogueText(Msg::NewHistoryInserted),
                                                       catalogueText(Msg::HistoryDateExists)}));
    EXPECT_EQ(dealer.questions(), 0);
}

}  // namespace
