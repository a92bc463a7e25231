// The main window's commands as a dealer starts them from the menus, over a
// real database folder; message boxes and file dialogs are scripted, the
// record dialogs answered by the dealer's stand-in.
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "core/AppPaths.h"
#include "core/AppTexts.h"
#include "core/CLogger.h"
#include "support/RecordDialogDealer.h"
#include "support/SampleDatabase.h"
#include "support/SimulatorProcess.h"
#include "support/ScriptedUser.h"
#include "ui/TTVXMainForm.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolBar>
#include <QtTest>

#include <fstream>

namespace {

constexpr std::uint32_t KnownSerial = 0x04000123;

// A .bin history: the info frame (serial most significant byte first) and the image.
void writeBin(const QString& path, std::uint32_t serial, std::uint8_t typeByte)
{
    std::string bytes(16 + 8192, '\0');
    bytes[6] = char(typeByte);
    for (int i = 0; i < 4; ++i)
        bytes[11 + i] = char(serial >> (24 - 8 * i));
    bytes[15] = 0x21;
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

std::string folderState(const std::filesystem::path& folder)
{
    std::string state;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::ifstream in(entry.path(), std::ios::binary);
        state += entry.path().filename().string() + ":" + std::string(std::istreambuf_iterator<char>(in), {}) + "\n";
    }
    return state;
}

}  // namespace

class TestCommands : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    AppPaths paths_;
    ScriptedUser user_;

    std::filesystem::path database() const { return dir_->path().toStdString() + "/database"; }
    QAction* action(TTVXMainForm& form, const char* name) { return form.findChild<QAction*>(name); }

private slots:
    void init()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        paths_ = AppPaths::inFolder(dir_->path().toStdString());
        std::ofstream(dir_->filePath("quorvane.INI").toStdString()) << "[GENERAL]\r\nLANGUAGE=0\r\n";
        sample::writeFolder(database(), 1, [](int) {
            return sample::RecordSpec {.serial = KnownSerial, .name = "Known", .idNumber = 5};
        });
        user_ = ScriptedUser();
    }

    void cancellingEitherImportChangesAndLogsNothing()
    {
        TTVXMainForm form(paths_, &user_);
        form.createDialogs();
        const std::string before = folderState(database());
        const std::size_t lines = CLogger::instance().entries().size();
        action(form, "ImportMenuItem")->trigger();
        QCOMPARE(user_.openFilters.at(0).pattern, std::string("*.dat"));
        action(form, "ImportBinMenuItem")->trigger();
        QCOMPARE(user_.openFilters.at(1).pattern, std::string("*.bin"));
        QCOMPARE(CLogger::instance().entries().size(), lines);
        QVERIFY(user_.texts.empty());
        QCOMPARE(folderState(database()), before);
        form.close();
    }

    void aBinOfAKnownMowerIsFiledIntoItsRecord()
    {
        const QString bin = dir_->filePath("known.bin");
        writeBin(bin, KnownSerial, 0x24);
        user_.openAnswer = bin.toStdString();
        TTVXMainForm form(paths_, &user_);
        form.createDialogs();
        action(form, "ImportBinMenuItem")->trigger();
        QCOMPARE(user_.boxes.size(), std::size_t(1));
        QCOMPARE(user_.boxes[0].type, MsgType::Information);
        QCOMPARE(user_.boxes[0].text, std::string("New history insertion done"));
        QCOMPARE(form.mowerList()->Entries()[0]->GetMowerHandle().getLogCount(), std::uint16_t(2));
        // Written at once, not only at the end of the run.
        TDBMower onDisk((database() / "04000123.dat").string(), *form.mowerList());
        QCOMPARE(onDisk.GetMowerHandle().getLogCount(), std::uint16_t(2));
        form.close();
    }

    void aBinOfAnUnknownMowerGoesThroughTheInsertAndCreateDialogs()
    {
        const QString bin = dir_->filePath("unknown.bin");
        writeBin(bin, 0x04000999, 0x2A);  // type nibble 10: "WK"
        user_.openAnswer = bin.toStdString();
        RecordDialogDealer dealer;
        TTVXMainForm form(paths_, &user_);
        form.createDialogs();
        action(form, "ImportBinMenuItem")->trigger();
        QCOMPARE(dealer.seen, (QStringList {"TinsertForm", "TcreateForm"}));
        TDBMower* created = form.mowerList()->FindBySerial(0x04000999);
        QVERIFY(created);
        QCOMPARE(created->GetMowerHandle().getTypeCode(), std::uint8_t(10));  // kept, as the box was not touched
        QCOMPARE(created->GetMachineIdText(), std::string("WK-07-123-00"));
        QVERIFY(std::filesystem::exists(database() / "04000999.dat"));
        form.close();
    }

    void aCloseAskedForDuringAnUpgradeWaitsForItsEnd()
    {
        // At the line's real pace the upgrade lasts seconds, and the window
        // answers the desktop meanwhile: the close box is clicked then.
        SimulatorProcess mower(std::string(QUORVANE_BUILD_DIR) + "/quorvane-mowersim", {}, true);
        QVERIFY(!mower.pty().empty());
        std::ofstream(dir_->filePath("quorvane.INI").toStdString())
            << "[GENERAL]\r\nLANGUAGE=0\r\n[COM]\r\nAUTO=0\r\nPORT=" << mower.pty() << "\r\n";
        user_.openAnswer = std::string(QUORVANE_SOURCE_DIR) + "/sim/samples/demo.TVF";
        TTVXMainForm form(paths_, &user_);
        form.setPortLister([&] { return std::vector<std::string> {mower.pty()}; });
        form.createDialogs();
        form.show();
        bool closedDuringUpgrade = false;
        QTimer::singleShot(300, &form, [&] {
            form.close();
            closedDuringUpgrade = !form.isVisible();
        });
        action(form, "updateMenuItem")->trigger();
        QVERIFY(!closedDuringUpgrade);
        QVERIFY(!user_.plain.empty());
        QCOMPARE(user_.plain.back(), std::string("Upgrade done."));
        QTRY_VERIFY(!form.isVisible());  // and then it closed
    }

    void exitDuringAnUpgradeClosesAfterItAndNothingElseStarts()
    {
        SimulatorProcess mower(std::string(QUORVANE_BUILD_DIR) + "/quorvane-mowersim", {}, true);
        QVERIFY(!mower.pty().empty());
        std::ofstream(dir_->filePath("quorvane.INI").toStdString())
            << "[GENERAL]\r\nLANGUAGE=0\r\n[COM]\r\nAUTO=0\r\nPORT=" << mower.pty() << "\r\n";
        user_.openAnswer = std::string(QUORVANE_SOURCE_DIR) + "/sim/samples/demo.TVF";
        TTVXMainForm form(paths_, &user_);
        form.setPortLister([&] { return std::vector<std::string> {mower.pty()}; });
        form.createDialogs();
        form.show();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        const std::string waiting = appText(AppText::ClosingAfterCommand);
        auto* menuBar = form.findChild<QMenuBar*>("MainMenu");
        auto* fileMenu = form.findChild<QMenu*>("FileMenuItem");
        const auto clickInFileMenu = [&](const char* item) {
            QTest::mouseClick(menuBar, Qt::LeftButton, {}, menuBar->actionGeometry(fileMenu->menuAction()).center());
            QVERIFY(fileMenu->isVisible());
            QTest::mouseClick(fileMenu, Qt::LeftButton, {}, fileMenu->actionGeometry(action(form, item)).center());
        };
        int checks = 0;
        // While the upgrade waits on the line: what the dealer does with the
        // keyboard and the mouse.
        QTimer::singleShot(300, &form, [&] {
            QWidget* focus = QApplication::focusWidget();
            QVERIFY(focus);
            QTest::keyClick(focus, Qt::Key_L, Qt::ControlModifier);
            QTest::keyClick(focus, Qt::Key_X);
            auto* toolBar = form.findChild<QToolBar*>("ToolBar1");
            QTest::mouseClick(toolBar->widgetForAction(action(form, "uploadToolButt")), Qt::LeftButton);
            clickInFileMenu("ImportMenuItem");
            if (fileMenu->isVisible())
                fileMenu->hide();
            QVERIFY(form.statusBar()->currentMessage().isEmpty());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::ControlModifier);
            QCOMPARE(form.statusBar()->currentMessage().toStdString(), waiting);
            QVERIFY(form.isVisible());
            ++checks;
        });
        QTimer::singleShot(600, &form, [&] {
            form.statusBar()->clearMessage();
            clickInFileMenu("ExitMenuItem");
            QCOMPARE(form.statusBar()->currentMessage().toStdString(), waiting);
            QVERIFY(form.isVisible());
            ++checks;
        });
        action(form, "updateMenuItem")->trigger();
        QCOMPARE(checks, 2);
        // Nothing of it started anything: no download, no file dialog of an
        // import, no key in the search field.
        const auto& log = CLogger::instance().entries();
        QVERIFY(std::none_of(log.begin(), log.end(), [](const auto& e) { return e.text == "Request loading history"; }));
        QCOMPARE(user_.openFilters.size(), std::size_t(1));  // the upgrade's own
        QVERIFY(form.findChild<QLineEdit*>("searchEdit")->text().isEmpty());
        QCOMPARE(user_.plain.back(), std::string("Upgrade done."));
        QTRY_VERIFY(!form.isVisible());
    }

    void theCommandsHaveTheirUsualKeys()
    {
        TTVXMainForm form(paths_, &user_);
        QCOMPARE(action(form, "loadHistMenuItem")->shortcut(), QKeySequence("Ctrl+L"));
        QCOMPARE(action(form, "updateMenuItem")->shortcut(), QKeySequence("Ctrl+U"));
        QCOMPARE(action(form, "ImportMenuItem")->shortcut(), QKeySequence("Ctrl+I"));
        QCOMPARE(action(form, "ImportBinMenuItem")->shortcut(), QKeySequence("Ctrl+B"));
        QVERIFY(action(form, "ExitMenuItem")->shortcuts().contains(QKeySequence("Ctrl+Q")));
        QVERIFY(action(form, "configMenuItem")->shortcuts().contains(QKeySequence("Ctrl+,")));
        // Every item of a menu has a mnemonic of its own.
        for (const char* menu : {"FileMenuItem", "ToolMenuItem"}) {
            QSet<QChar> letters;
            for (QAction* item : form.findChild<QMenu*>(menu)->actions()) {
                const qsizetype at = item->text().indexOf('&');
                QVERIFY2(at >= 0, qPrintable(item->text()));
                QVERIFY2(!letters.contains(item->text().at(at + 1).toLower()), qPrintable(item->text()));
                letters.insert(item->text().at(at + 1).toLower());
            }
        }
        form.close();
    }
};

QTEST_MAIN(TestCommands)
#include "test_commands.moc"
