// Two PCs on one workshop server: what the other PC changes shows in this
// window within a second, without a restart; a record window keeps what the
// dealer is typing; a list whose connection broke reads what it missed.
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/RecordWindows.h"
#include "Component/ServerRecordStore.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "core/AppPaths.h"
#include "core/AppTexts.h"
#include "support/PgCluster.h"
#include "support/SampleDatabase.h"
#include "support/ScriptedUser.h"
#include "ui/TTVXMainForm.h"

#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <fstream>

namespace {

void writeSettings(const QString& path, const std::string& server)
{
    std::ofstream(path.toStdString(), std::ios::binary)
        << "[GENERAL]\r\nLANGUAGE=0\r\n[COM]\r\nAUTO=0\r\nPORT=COM1\r\n[FILEPATH]\r\nDBSERVER=" << server << "\r\n";
}

// The other PC: its own connection, filing and creating as its program would.
class OtherPc {
public:
    explicit OtherPc(const std::string& uri) : store_(uri) { opened_ = bool(store_.open()); }
    bool opened() const { return opened_; }

    bool create(const sample::RecordSpec& spec)
    {
        auto record = sample::makeRecord(spec);
        RecordCaption caption;
        return bool(store_.create(*record, caption));
    }
    bool file(const std::string& key, const TVXLogTime& date)
    {
        std::vector<RecordCaption> captions;
        if (!store_.list(captions))
            return false;
        const auto found = std::find_if(captions.begin(), captions.end(), [&](const auto& c) { return c.key == key; });
        if (found == captions.end())
            return false;
        RecordCaption caption = *found;
        std::unique_ptr<TVXMowerLog> record;
        if (!store_.load(caption, record))
            return false;
        auto history = std::make_unique<TVXLog>(record->logs().begin()->second->getImage());
        history->setSerialNumber(record->getSerialNumber());
        history->setDate(date);
        record->insertLog(std::move(history));
        bool joined = false;
        return bool(store_.fileHistory(caption, *record, date, joined));
    }

private:
    ServerRecordStore store_;
    bool opened_ = false;
};

TDBMower* entryOf(TTVXMainForm& form, std::uint32_t serial)
{
    return form.mowerList() ? form.mowerList()->FindBySerial(serial) : nullptr;
}

}  // namespace

class TestLiveList : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        std::string output;
        QVERIFY2(cluster_.start(output), output.c_str());
        std::string error;
        QVERIFY2(cluster_.createDatabase("shop", true, error), error.c_str());
        OtherPc setup(cluster_.uri("shop"));
        QVERIFY(setup.opened());
        QVERIFY(setup.create({.serial = 0x04000001, .name = "Anna", .idNumber = 11}));
        QVERIFY(setup.create({.serial = 0x04000002, .name = "Bert", .idNumber = 12}));
    }

    void cleanupTestCase() { cluster_.stop(); }

    void changesOfTheOtherPcShowWithinASecondAndTheDealersTypingStays()
    {
        QTemporaryDir dir;
        writeSettings(dir.filePath("quorvane.INI"), cluster_.uri("shop"));
        ScriptedUser user;
        TTVXMainForm form(AppPaths::inFolder(dir.path().toStdString()), &user);
        form.show();
        QVERIFY(form.mowerList());
        QCOMPARE(form.mowerList()->Entries().size(), std::size_t(2));
        OtherPc other(cluster_.uri("shop"));
        QVERIFY(other.opened());

        // A record made at the other bench gets its tile here.
        QVERIFY(other.create({.serial = 0x04000003, .name = "Carl", .idNumber = 13}));
        QTRY_COMPARE_WITH_TIMEOUT(form.mowerList()->Entries().size(), std::size_t(3), 1000);
        QVERIFY(entryOf(form, 0x04000003));

        // Anna's window is open, and the dealer is typing a comment.
        TDBMower* anna = entryOf(form, 0x04000001);
        QVERIFY(anna);
        anna->OpenRecord();
        QVERIFY(anna->GetChildForm());
        auto* window = dynamic_cast<QWidget*>(anna->GetChildForm());
        QVERIFY(window);
        QTRY_VERIFY(window->findChild<QPlainTextEdit*>("commentMemo"));
        auto* memo = window->findChild<QPlainTextEdit*>("commentMemo");
        memo->setFocus();
        QTest::keyClicks(memo, "Blades worn");
        QVERIFY(memo->document()->isModified());
        const std::size_t boxes = user.texts.size();

        // The other bench files a history into Anna's record meanwhile.
        QVERIFY(other.file(anna->GetFileName(), TVXLogTime(2026, 12, 1, 9, 30, 0)));
        QTRY_COMPARE_WITH_TIMEOUT(int(anna->GetMowerHandle().getLogCount()), 2, 1000);
        QVERIFY(memo->toPlainText().contains("Blades worn"));
        QTRY_VERIFY(user.texts.size() > boxes);
        QCOMPARE(user.texts.back(), appText(AppText::RecordChangedWhileTyping));
        auto* tabs = window->findChild<QTabWidget*>();
        QVERIFY(tabs);
        QVERIFY(tabs->count() >= 2);
    }

    void aListWhoseConnectionBrokeReadsWhatItMissed()
    {
        QTemporaryDir dir;
        writeSettings(dir.filePath("quorvane.INI"), cluster_.uri("shop"));
        ScriptedUser user;
        TTVXMainForm form(AppPaths::inFolder(dir.path().toStdString()), &user);
        QVERIFY(form.mowerList());
        const std::size_t before = form.mowerList()->Entries().size();

        // The server ends this program's session (as a restart of the server would).
        std::string error;
        auto admin = PgConnection::connect(cluster_.uri("shop"), error);
        QVERIFY2(admin, error.c_str());
        QVERIFY2(admin->command("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = 'shop'"
                                " AND application_name = 'quorvane' AND pid <> pg_backend_pid()",
                                error),
                 error.c_str());
        OtherPc other(cluster_.uri("shop"));
        QVERIFY(other.opened());
        QVERIFY(other.create({.serial = 0x04000004, .name = "Dora", .idNumber = 14}));
        // Within the reconnection period the list holds what it missed.
        QTRY_COMPARE_WITH_TIMEOUT(form.mowerList()->Entries().size(), before + 1, 8000);
        QVERIFY(entryOf(form, 0x04000004));
    }

private:
    pgtest::Cluster cluster_;
};

QTEST_MAIN(TestLiveList)
#include "test_livelist.moc"
