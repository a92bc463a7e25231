// The whole road of a history through the real windows: a simulated mower on
// a pseudo-terminal, Load history for a mower the database does not know, the
// insert and create dialogs answered as a dealer would, the record window,
// then a second start that finds the record and a folder check that finds it
// sound. No real serial device is opened: the only port is the simulator's.
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "core/AppPaths.h"
#include "support/RecordDialogDealer.h"
#include "support/SimulatorProcess.h"
#include "support/ScriptedUser.h"
#include "ui/TTVXMainForm.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const std::string BuildDir = QUORVANE_BUILD_DIR;

void writeSettings(const QString& path, const std::string& port)
{
    std::ofstream(path.toStdString(), std::ios::binary)
        << "[GENERAL]\r\nLANGUAGE=0\r\n[COM]\r\nAUTO=0\r\nPORT=" << port << "\r\n";
}

}  // namespace

class TestEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void aHistoryFromAnUnknownMowerBecomesANewRecordThatSurvivesARestart()
    {
        QTemporaryDir dir;
        SimulatorProcess mower(BuildDir + "/quorvane-mowersim", {"--serial", "04C0FFEE", "--type", "24", "--events", "120"});
        QVERIFY(!mower.pty().empty());
        writeSettings(dir.filePath("quorvane.INI"), mower.pty());
        const AppPaths paths = AppPaths::inFolder(dir.path().toStdString());
        {
            ScriptedUser user;
            RecordDialogDealer dealer;
            TTVXMainForm form(paths, &user);
            form.setPortLister([&] { return std::vector<std::string> {mower.pty()}; });
            form.createDialogs();
            form.show();
            form.findChild<QAction*>("loadHistMenuItem")->trigger();

            QCOMPARE(dealer.seen, (QStringList {"TinsertForm", "TcreateForm"}));
            TDBMowerList* list = form.mowerList();
            QCOMPARE(list->Entries().size(), std::size_t(1));
            const TDBMower& record = *list->Entries()[0];
            QCOMPARE(record.GetSerialText(), std::string("04C0FFEE"));
            QCOMPARE(record.GetMachineIdText(), std::string("TX-07-123-00"));
            QCOMPARE(record.GetMowerHandle().getLogCount(), std::uint16_t(1));

            // The record window shows the new history on its one tab.
            auto* area = form.findChild<QMdiArea*>("ClientArea");
            QCOMPARE(area->subWindowList().size(), 1);
            QCOMPARE(area->subWindowList()[0]->windowTitle(), QString("TX-07-123-B"));
            auto* tabs = area->subWindowList()[0]->findChild<QTabWidget*>("MainLogPageControl");
            QVERIFY(tabs);
            QCOMPARE(tabs->count(), 2);  // the history and the trends
            form.close();
            QCOMPARE(form.exitCode(), 0);
        }
        {
            ScriptedUser user;
            TTVXMainForm form(paths, &user);
            QVERIFY(user.texts.empty());
            QCOMPARE(form.mowerList()->Entries().size(), std::size_t(1));
            const TDBMower& record = *form.mowerList()->Entries()[0];
            QCOMPARE(record.GetNameText(), std::string("Jean Lef\xC3\xA8vre"));
            QCOMPARE(record.GetMowerHandle().getLogCount(), std::uint16_t(1));
            QCOMPARE(record.GetMowerHandle().getLogAt(0).second->getEventCount(), std::uint16_t(120));
            form.close();
        }
        const std::string check = BuildDir + "/quorvane-tool check " + dir.filePath("database").toStdString()
                                  + " >/dev/null 2>&1";
        QCOMPARE(WEXITSTATUS(std::system(check.c_str())), 0);
    }
};

QTEST_MAIN(TestEndToEnd)
#include "test_endtoend.moc"
