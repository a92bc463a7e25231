// The whole road of a history to the workshop's database server: a simulated
// mower on a pseudo-terminal, Load history in the application whose settings
// name the server, the insert and create dialogs answered as a dealer would;
// then, with the application still open, a second process (the tool) finds
// the record on the server at once and copies it into a folder. The cluster
// is the test's own; no real serial device is opened.
#include "Class/RecordFile.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/ServerRecordStore.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "core/AppPaths.h"
#include "support/RecordDialogDealer.h"
#include "support/PgCluster.h"
#include "support/RunCommand.h"
#include "support/ScriptedUser.h"
#include "support/SimulatorProcess.h"
#include "ui/TTVXMainForm.h"

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

const std::string BuildDir = QUORVANE_BUILD_DIR;
using pgtest::SourceDir;

using pgtest::quoted;

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

using pgtest::Cluster;

}  // namespace

class TestServerEndToEnd : public QObject {
    Q_OBJECT

private slots:
    void aHistoryFiledOnTheServerIsThereForAnotherProcessAtOnce()
    {
        Cluster cluster;
        std::string output;
        QVERIFY2(cluster.start(output), output.c_str());
        const StoreResult made = ServerRecordStore::initSchema(cluster.uri());
        QVERIFY2(made, made.reason.c_str());

        SimulatorProcess mower(BuildDir + "/quorvane-mowersim",
                               {"--serial", "04C0FFEE", "--type", "24", "--events", "120"});
        QVERIFY(!mower.pty().empty());
        QTemporaryDir dir;
        std::ofstream(dir.filePath("quorvane.INI").toStdString(), std::ios::binary)
            << "[GENERAL]\r\nLANGUAGE=0\r\n[COM]\r\nAUTO=0\r\nPORT=" << mower.pty()
            << "\r\n[FILEPATH]\r\nDBSERVER=" << cluster.uri() << "\r\n";

        ScriptedUser user;
        RecordDialogDealer dealer;
        TTVXMainForm form(AppPaths::inFolder(dir.path().toStdString()), &user);
        QVERIFY2(user.texts.empty(), user.texts.empty() ? "" : user.texts[0].c_str());
        form.setPortLister([&] { return std::vector<std::string> {mower.pty()}; });
        form.createDialogs();
        form.show();
        form.findChild<QAction*>("loadHistMenuItem")->trigger();

        QCOMPARE(dealer.seen, (QStringList {"TinsertForm", "TcreateForm"}));
        TDBMowerList* list = form.mowerList();
        QVERIFY(list);
        QCOMPARE(list->Entries().size(), std::size_t(1));
        const TVXMowerLog& filed = list->Entries()[0]->GetMowerHandle();
        QCOMPARE(filed.getLogCount(), std::uint16_t(1));
        const TVXLog& read = *filed.getLogAt(0).second;
        QCOMPARE(read.getSerialNumber(), 0x04C0FFEEu);

        // The application still runs: another process finds the record.
        const CommandRun check = runCommand(BuildDir + "/quorvane-tool check " + quoted(cluster.uri()));
        QVERIFY2(check.status == 0, check.output.c_str());
        QVERIFY2(check.output.find(": sound") != std::string::npos, check.output.c_str());
        const std::string folder = dir.filePath("copy").toStdString();
        const CommandRun copy =
            runCommand(BuildDir + "/quorvane-tool copy " + quoted(cluster.uri()) + " " + quoted(folder));
        QVERIFY2(copy.status == 0, copy.output.c_str());
        QVERIFY2(copy.output.find("copied 1 records") != std::string::npos, copy.output.c_str());

        const std::string bytes = readBytes(folder + "/04C0FFEE.dat");
        QVERIFY(!bytes.empty());
        const std::unique_ptr<TVXMowerLog> copied = readRecordFile(bytes);
        QCOMPARE(copied->getSerialNumber(), 0x04C0FFEEu);
        QCOMPARE(copied->getOwner().getName(), std::string("Jean"));
        QCOMPARE(copied->getLogCount(), std::uint16_t(1));
        const auto [date, history] = copied->getLogAt(0);
        QVERIFY(date == filed.getLogAt(0).first);
        QVERIFY(history->getImage() == read.getImage());
        QCOMPARE(history->getEventCount(), std::uint16_t(120));
        QCOMPARE(history->getSoftwareVersion(), read.getSoftwareVersion());
        QCOMPARE(WEXITSTATUS(std::system((BuildDir + "/quorvane-tool check " + quoted(folder) + " >/dev/null 2>&1")
                                             .c_str())),
                 0);

        form.close();
        QCOMPARE(form.exitCode(), 0);
        QVERIFY(!QFileInfo::exists(dir.filePath("database")));
    }
};

QTEST_MAIN(TestServerEndToEnd)
#include "test_serverendtoend.moc"
