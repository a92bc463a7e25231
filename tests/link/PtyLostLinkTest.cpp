// A mower that goes away in the middle of a command, through real
// pseudo-terminals: the simulator kills itself part way through (as a cable
// pulled or a mower switched off), the port then fails with the system's
// input/output error. No real serial device is ever opened.
#include "LinkFakes.h"
#include "core/AppTexts.h"
#include "core/BoundedFile.h"
#include "core/Clock.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "link/MowerLink.h"
#include "link/TComPort.h"
#include "support/RunCommand.h"
#include "support/SimulatorProcess.h"
#include "support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace fs = std::filesystem;

namespace {

const std::string BuildDir = QUORVANE_BUILD_DIR;

// At the line's real speed unless told (the mower that goes away must do so part way through).
struct Simulator : SimulatorProcess {
    explicit Simulator(std::vector<std::string> args, bool paced = true)
        : SimulatorProcess(BuildDir + "/quorvane-mowersim", std::move(args), paced)
    {
    }
};

std::string lostText(std::uint16_t message)
{
    return catalogueText(message) + "\n" + appText(AppText::LinkLost);
}

// The port under one name that the test points at a simulator, as the same
// /dev/ttyUSB0 comes back when an adapter is plugged in again.
struct PortName {
    TempDir dir;
    std::string path = dir.file("ttyMOWER");
    void pointAt(const std::string& pty)
    {
        fs::remove(path);
        fs::create_symlink(pty, path);
    }
};

// The link as the application holds it: one port object for the whole run.
struct PtyRig {
    PortName name;
    TComPort port {name.path};
    EventLog events;
    RecordingUser user {events};
    RecordingProgress progress;
    bool autoScan = false;
    std::vector<std::string> trace;
    MowerLink link {port, SystemClock::instance(), user, progress, autoScan,
        [] { return std::vector<std::string> {}; },
        [this](const std::string& text) { trace.push_back(text); }};

    PtyRig() { TVXStringTable::instance().setLanguage(0); }
};

std::string readText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(PtyLostLink, ADownloadWhoseMowerGoesAwayEndsCleanlyAndWorksAgainOnceItIsBack)
{
    PtyRig rig;
    Simulator gone({"--die-after-bytes", "3000"});
    ASSERT_FALSE(gone.pty().empty());
    rig.name.pointAt(gone.pty());
    InfoFrame frame {};
    HistoryImage image {};
    bool done = true;
    EXPECT_NO_THROW(done = rig.link.downloadHistory(frame, image));
    EXPECT_FALSE(done);
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.progress.visible);
    ASSERT_EQ(rig.user.boxes.size(), 1u);
    EXPECT_EQ(rig.user.boxes[0].type, MsgType::Error);
    EXPECT_EQ(rig.user.boxes[0].text, lostText(Msg::MachineInfoFailed));
    EXPECT_THAT(rig.trace.back(), StartsWith("Couldn't load history nbByte loaded: "));
    EXPECT_THAT(rig.trace.back(), EndsWith(": Input/output error"));

    TempDir dir;
    Simulator back({"--dump", dir.file("served.bin")}, false);
    rig.name.pointAt(back.pty());
    ASSERT_TRUE(rig.link.downloadHistory(frame, image));
    const std::string served = readText(dir.file("served.bin"));
    ASSERT_EQ(served.size(), 8208u);
    EXPECT_TRUE(std::string(image.begin(), image.end()) == served.substr(16));
    EXPECT_EQ(rig.user.boxes.size(), 1u);
}

std::string writeTvf(const TempDir& dir, int dataLines)
{
    std::string tvf = "[TAG] 4.2\r\n[MAIN]\r\n";
    for (int i = 0; i < dataLines; ++i) {
        char line[16];
        std::snprintf(line, sizeof line, "%2.2x%2.2XA5\r\n", i, 255 - i);
        tvf += line;
    }
    dir.write("fw.TVF", tvf);
    return dir.file("fw.TVF");
}

TEST(PtyLostLink, AnUpgradeWhoseMowerGoesAwaySaysSoAndWorksAgainOnceItIsBack)
{
    PtyRig rig;
    TempDir dir;
    const std::string tvf = writeTvf(dir, 12);
    Simulator gone({"--die-at-record", "5"});
    rig.name.pointAt(gone.pty());
    bool done = true;
    EXPECT_NO_THROW(done = rig.link.upgradeFirmware(tvf));
    EXPECT_FALSE(done);
    EXPECT_FALSE(rig.port.IsOpen());
    EXPECT_FALSE(rig.progress.visible);
    EXPECT_EQ(rig.progress.calls.back(), "hide");
    ASSERT_EQ(rig.user.boxes.size(), 2u);  // the confirmation, then the failure
    EXPECT_EQ(rig.user.boxes[1].type, MsgType::Error);
    EXPECT_EQ(rig.user.boxes[1].text, lostText(Msg::UpgradeFailed));
    // Record 5 is on line 7; the trace line of the step, then the system's reason.
    EXPECT_THAT(rig.trace.back(), StartsWith("timeout when programming line 7 " + rig.name.path + ": "));
    EXPECT_THAT(rig.trace.back(), EndsWith(": Input/output error"));
    EXPECT_TRUE(rig.user.plain.empty());

    Simulator back({"--log", dir.file("received.txt")}, false);
    rig.name.pointAt(back.pty());
    ASSERT_TRUE(rig.link.upgradeFirmware(tvf));
    EXPECT_EQ(rig.user.plain.back(), catalogueText(Msg::UpgradeDone));
}

struct ToolRun {
    int status;
    std::string errors;
};

// The tool speaks English unless told otherwise: the expected texts are taken
// in English too, whatever language an earlier test left selected.
ToolRun runTool(const std::string& args)
{
    TVXStringTable::instance().setLanguage(0);
    // Standard error alone: standard output is dropped.
    const CommandRun run
        = runCommand("{ " + BuildDir + "/quorvane-tool " + args + " </dev/null >/dev/null; }");
    return {run.status, run.output};
}

TEST(PtyLostLink, ToolDownloadLeavesNoFileAndTellsTheDealerNotTheSystemsText)
{
    TempDir dir;
    Simulator gone({"--die-after-bytes", "3000"});
    const ToolRun run = runTool("download --port " + gone.pty() + " --out " + dir.file("got.bin"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.errors, "error: " + lostText(Msg::MachineInfoFailed) + "\n");
    EXPECT_FALSE(fs::exists(dir.file("got.bin")));
}

TEST(PtyLostLink, ToolUpgradeTellsTheDealerAndKeepsTheSystemsTextForTheTrace)
{
    TempDir dir;
    const std::string tvf = writeTvf(dir, 12);
    Simulator gone({"--die-at-record", "5"});
    const ToolRun run = runTool("upgrade --yes --port " + gone.pty() + " " + tvf);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.errors, HasSubstr("error: " + lostText(Msg::UpgradeFailed) + "\n"));
    EXPECT_THAT(run.errors, Not(HasSubstr("Input/output error")));

    Simulator again({"--die-at-record", "5"});
    const ToolRun verbose = runTool("upgrade --yes --verbose --port " + again.pty() + " " + tvf);
    EXPECT_THAT(verbose.errors, HasSubstr("timeout when programming line 7 " + again.pty() + ": "));
    EXPECT_THAT(verbose.errors, HasSubstr("Input/output error"));
}

}  // namespace
