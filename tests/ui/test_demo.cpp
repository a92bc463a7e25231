// The demo's pieces without a display: the simulated mower the demo starts,
// the demo folder and settings its script writes, the application on them,
// a history loaded over the pseudo-terminal and filed into a new record, the
// application ended by SIGTERM as a logout would, and the record on disk
// checked with the command-line tool.
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "core/AppPaths.h"
#include "support/RecordDialogDealer.h"
#include "support/RunCommand.h"
#include "support/ScriptedUser.h"
#include "support/SimulatorProcess.h"
#include "ui/TTVXMainForm.h"
#include "ui/UnixSignalCloser.h"

#include <QAction>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>
#include <sstream>
#include <sys/wait.h>

namespace {

const std::string BuildDir = QUORVANE_BUILD_DIR;
const std::string SourceDir = QUORVANE_SOURCE_DIR;

using Run = CommandRun;

Run run(const std::string& command)
{
    return runCommand(command);
}

std::vector<std::string> words(const std::string& line)
{
    std::istringstream in(line);
    std::vector<std::string> all;
    for (std::string word; in >> word;)
        all.push_back(word);
    return all;
}

}  // namespace

class TestDemo : public QObject {
    Q_OBJECT

private slots:
    void theDemoLoadsFilesAndKeepsAHistoryFromTheSimulatedMower()
    {
        const std::string script = "bash " + SourceDir + "/scripts/demo.sh";
        const Run simulatorArgs = run(script + " --simulator-args");
        QCOMPARE(simulatorArgs.status, 0);
        SimulatorProcess mower(BuildDir + "/quorvane-mowersim", words(simulatorArgs.output));
        QVERIFY(!mower.pty().empty());

        QTemporaryDir dir;
        const std::string demo = dir.path().toStdString();
        const Run prepared = run(script + " --prepare " + demo + " " + BuildDir + " " + mower.pty());
        QVERIFY2(prepared.status == 0, prepared.output.c_str());

        ScriptedUser user;
        RecordDialogDealer dealer;
        TTVXMainForm form(AppPaths::inFolder(demo), &user);
        UnixSignalCloser closer(&form);
        form.setPortLister([&] { return std::vector<std::string> {mower.pty()}; });
        form.createDialogs();
        form.show();
        const std::size_t before = form.mowerList()->Entries().size();
        QCOMPARE(before, std::size_t(40));

        form.findChild<QAction*>("loadHistMenuItem")->trigger();
        QCOMPARE(dealer.seen, (QStringList {"TinsertForm", "TcreateForm"}));
        QCOMPARE(form.mowerList()->Entries().size(), before + 1);
        const TDBMower* filed = form.mowerList()->FindBySerial(0x04D3E40A);
        QVERIFY(filed);
        const std::string recordFile = filed->GetFileName();

        std::raise(SIGTERM);
        QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 5000);
        QCOMPARE(form.exitCode(), 0);

        const Run check = run(BuildDir + "/quorvane-tool check " + demo + "/database");
        QVERIFY2(check.status == 0, check.output.c_str());
        const Run show = run(BuildDir + "/quorvane-tool show " + recordFile);
        QVERIFY2(show.status == 0, show.output.c_str());
        QVERIFY2(show.output.find("04D3E40A") != std::string::npos, show.output.c_str());
        QVERIFY2(show.output.find("Jean") != std::string::npos, show.output.c_str());
    }
};

QTEST_MAIN(TestDemo)
#include "test_demo.moc"
