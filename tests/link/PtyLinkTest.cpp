// Runs through real pseudo-terminals: the termios port, the simulator and the
// tool. No real serial device is ever opened: every port here is a pty.
#include "core/BoundedFile.h"
#include "core/Clock.h"
#include "core/ProgressWindow.h"
#include "link/EComPort.h"
#include "link/MowerLink.h"
#include "link/TComPort.h"
#include "LinkFakes.h"
#include "support/SimulatorProcess.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string BuildDir = QUORVANE_BUILD_DIR;

struct TempDir {
    fs::path path = fs::temp_directory_path() / ("quorvane-pty-" + std::to_string(getpid()) + "-" + std::to_string(counter()++));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }
    static int& counter()
    {
        static int n = 0;
        return n;
    }
};

// The simulator on a pseudo-terminal of its own.
struct Simulator : SimulatorProcess {
    explicit Simulator(std::vector<std::string> args)
        : SimulatorProcess(BuildDir + "/quorvane-mowersim", std::move(args))
    {
    }
};

// A pseudo-terminal with nobody behind it: a port where no mower answers.
struct SilentPty {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    std::string path;
    SilentPty()
    {
        grantpt(master);
        unlockpt(master);
        path = ptsname(master);
    }
    ~SilentPty() { close(master); }
};

struct ToolRun {
    int status = -1;
    std::string errors;
};

ToolRun runTool(const TempDir& dir, const std::string& args)
{
    const std::string errFile = dir.file("tool.err");
    const std::string command = BuildDir + "/quorvane-tool " + args + " </dev/null 2>" + errFile;
    const int raw = std::system(command.c_str());
    ToolRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(errFile);
    std::stringstream text;
    text << in.rdbuf();
    run.errors = text.str();
    return run;
}

std::vector<std::string> readLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The simulator logs what it receives on its own time: the tool may have
// ended before the last byte it wrote is in the log.
std::vector<std::string> readLinesOnceLogged(const std::string& path, const std::string& lastLine)
{
    std::vector<std::string> lines = readLines(path);
    for (int i = 0; i < 300 && (lines.empty() || lines.back() != lastLine); ++i) {
        usleep(10000);
        lines = readLines(path);
    }
    return lines;
}

TEST(PtyLink, ScanFindsTheMowerOnTheSecondPort)
{
    SilentPty silent;
    Simulator sim({});
    TComPort port;
    NullProgressWindow progress;
    EventLog events;
    RecordingUser user(events);
    bool autoScan = true;
    std::vector<std::string> trace;
    MowerLink link(port, SystemClock::instance(), user, progress, autoScan,
                   [&] { return std::vector<std::string> {silent.path, sim.pty()}; },
                   [&](const std::string& t) { trace.push_back(t); });
    ASSERT_TRUE(link.openLink(port.GetPort()));
    EXPECT_EQ(port.GetPort(), sim.pty());
    EXPECT_TRUE(port.IsOpen());
    ASSERT_EQ(trace.size(), 4u);
    EXPECT_EQ(trace[0], "Trying port: " + silent.path);
    EXPECT_EQ(trace[2], "Trying port: " + sim.pty());
    EXPECT_EQ(trace[3], "Machine connected on port: " + sim.pty());
}

TEST(PtyLink, ToolDownloadWritesTheSimulatorsFrameAndImage)
{
    TempDir dir;
    Simulator sim({"--dump", dir.file("served.bin"), "--chunk", "3000", "--serial", "0x05010203"});
    const ToolRun run = runTool(dir, "download --port " + sim.pty() + " --out " + dir.file("got.bin"));
    ASSERT_EQ(run.status, 0) << run.errors;
    std::string served, got, error;
    ASSERT_EQ(readBoundedFile(dir.file("served.bin"), 8208, served, error), ReadStatus::Ok);
    ASSERT_EQ(readBoundedFile(dir.file("got.bin"), 8208, got, error), ReadStatus::Ok);
    EXPECT_EQ(got.size(), 8208u);
    EXPECT_TRUE(got == served);
    EXPECT_EQ(static_cast<unsigned char>(got[11]), 0x05);
}

TEST(PtyLink, ToolDownloadFailureWritesNoFile)
{
    TempDir dir;
    Simulator sim({"--no-history"});
    const ToolRun run = runTool(dir, "download --port " + sim.pty() + " --out " + dir.file("got.bin"));
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.errors, ::testing::HasSubstr("Error while loading machine information"));
    EXPECT_FALSE(fs::exists(dir.file("got.bin")));
}

std::string writeTvf(const TempDir& dir, int dataLines)
{
    std::ostringstream tvf;
    tvf << "[TAG] 4.2\r\n[MAIN]\r\n";
    for (int i = 0; i < dataLines; ++i) {
        if (i == dataLines / 2)
            tvf << "[EXT]\r\n";
        char line[16];
        std::snprintf(line, sizeof line, "%2.2x%2.2XA5", i, 255 - i);
        tvf << line << "\r\n";
    }
    const std::string path = dir.file("fw.TVF");
    std::ofstream(path, std::ios::binary) << tvf.str();
    return path;
}

TEST(PtyLink, ToolUpgradeSendsExactlyTheRecordsOfTheFile)
{
    TempDir dir;
    const std::string tvf = writeTvf(dir, 20);
    Simulator sim({"--log", dir.file("received.txt")});
    const ToolRun run = runTool(dir, "upgrade --yes --port " + sim.pty() + " " + tvf);
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_THAT(run.errors, ::testing::HasSubstr("Upgrade done."));
    std::vector<std::string> expected = {"t", "B"};
    for (int i = 0; i < 20; ++i) {
        char record[32];
        std::snprintf(record, sizeof record, "%c:%2.2x%2.2xa5", i < 10 ? 'P' : 'R', i, 255 - i);
        expected.push_back(record);
    }
    expected.push_back("b");
    EXPECT_EQ(readLinesOnceLogged(dir.file("received.txt"), "b"), expected);
}

TEST(PtyLink, ToolUpgradeStopsAtANak)
{
    TempDir dir;
    const std::string tvf = writeTvf(dir, 20);
    Simulator sim({"--log", dir.file("received.txt"), "--nak-record", "12"});
    const ToolRun run = runTool(dir, "upgrade --yes --verbose --port " + sim.pty() + " " + tvf);
    EXPECT_EQ(run.status, 1);
    // Record 12 is the second under [EXT]: lines 1-2 head, 3-12 records 1-10, 13 [EXT], 14 record 11, 15 record 12.
    EXPECT_THAT(run.errors, ::testing::HasSubstr("Received NACK result for line 15 "));
    EXPECT_THAT(run.errors, ::testing::HasSubstr("Error during upgrade!"));
    const std::vector<std::string> received = readLines(dir.file("received.txt"));
    ASSERT_EQ(received.size(), 2u + 12u);
    EXPECT_EQ(received.back().substr(0, 2), "R:");
}

TEST(PtyLink, ToolRefusesACorruptedFileBeforeSendingAnything)
{
    TempDir dir;
    const std::string tvf = dir.file("bad.TVF");
    std::ofstream(tvf, std::ios::binary) << "[TAG]1.0\n[MAIN]\n0a1b\n0a1b2\n";
    Simulator sim({"--log", dir.file("received.txt")});
    const ToolRun run = runTool(dir, "upgrade --yes --verbose --port " + sim.pty() + " " + tvf);
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.errors, ::testing::HasSubstr("Corrupted file"));
    EXPECT_THAT(run.errors, ::testing::HasSubstr("Corrupted data line 4 : odd number of characters"));
    EXPECT_TRUE(readLines(dir.file("received.txt")).empty());
}

TEST(PtyLink, OpenIsExclusiveAndCloseGivesTheSettingsBack)
{
    SilentPty pty;
    termios before {};
    ASSERT_EQ(tcgetattr(pty.master, &before), 0);
    TComPort first(pty.path);
    first.Open();

    termios during {};
    ASSERT_EQ(tcgetattr(pty.master, &during), 0);
    EXPECT_EQ(cfgetospeed(&during), speed_t(B38400));
    EXPECT_EQ(during.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
    EXPECT_EQ(during.c_iflag & (IXON | IXOFF), 0u);
    EXPECT_EQ(during.c_lflag & (ICANON | ECHO), 0u);
    std::uint8_t byte = 0;
    EXPECT_EQ(first.Read(&byte, 1), 0u);  // returns at once with nothing

    TComPort second(pty.path);
    EXPECT_THROW(second.Open(), EComPort);
    TempDir dir;
    const ToolRun run = runTool(dir, "download --port " + pty.path + " --out " + dir.file("x.bin"));
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.errors, ::testing::HasSubstr("Selected port not free"));

    first.Close();
    termios after {};
    ASSERT_EQ(tcgetattr(pty.master, &after), 0);
    EXPECT_EQ(after.c_lflag, before.c_lflag);
    EXPECT_EQ(cfgetospeed(&after), cfgetospeed(&before));
    EXPECT_NO_THROW(second.Open());
}

TEST(PtyLink, SetPortOnAnOpenPortMovesToTheNewName)
{
    SilentPty a;
    SilentPty b;
    TComPort port(a.path);
    port.Open();
    port.SetPort(b.path);
    EXPECT_TRUE(port.IsOpen());
    TComPort other(a.path);
    EXPECT_NO_THROW(other.Open());  // a was released
    TComPort third(b.path);
    EXPECT_THROW(third.Open(), EComPort);

    TComPort relative("COM1");
    EXPECT_THROW(relative.Open(), EComPort);
    TComPort notATerminal("/dev/null");
    EXPECT_THROW(notATerminal.Open(), EComPort);
    EXPECT_THROW(port.SetPort("/nonexistent/quorvane/tty"), EComPort);
    EXPECT_EQ(port.GetPort(), "/nonexistent/quorvane/tty");
    EXPECT_FALSE(port.IsOpen());
}

}  // namespace
