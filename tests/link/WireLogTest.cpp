// The wire log: its lines on a fake clock, its bound, its refusals, and one
// download of the tool from the simulator on a pseudo-terminal.
#include "core/Version.h"
#include "link/EComPort.h"
#include "link/WireLog.h"
#include "support/SimulatorProcess.h"
#include "LinkFakes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

struct TempDir {
    fs::path path = fs::temp_directory_path()
                    / ("quorvane-wire-" + std::to_string(getpid()) + "-" + std::to_string(counter()++));
    TempDir() { fs::create_directories(path); }
    ~TempDir() { fs::remove_all(path); }
    std::string file(const std::string& name) const { return (path / name).string(); }
    static int& counter()
    {
        static int n = 0;
        return n;
    }
};

std::vector<std::string> readLines(const std::string& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

// The fake clock of the link tests, with a calendar date for the header.
class DatedClock : public FakeClock {
public:
    using FakeClock::FakeClock;
    LocalTime now() override { return {2026, 3, 7, 9, 5, 2, 0}; }
};

struct Wire {
    TempDir dir;
    EventLog events;
    DatedClock clock {events};
    ScriptedPort port {events, clock};
    std::string path = dir.file("wire.log");
    std::vector<std::string> reports;

    std::unique_ptr<WireLog> make(std::size_t limit = WireLog::DefaultLimit)
    {
        port.SetPort("/dev/ttyUSB0");
        return std::make_unique<WireLog>(port, clock, path, limit,
                                         [this](const std::string& e) { reports.push_back(e); });
    }
};

std::string version()
{
    return std::to_string(QUORVANE_VERSION_MAJOR) + "." + std::to_string(QUORVANE_VERSION_MINOR) + "."
           + std::to_string(QUORVANE_VERSION_PATCH);
}

TEST(WireLog, RecordsEveryChunkWithTimeAndDirectionAndForwardsIt)
{
    Wire w;
    {
        std::unique_ptr<WireLog> log = w.make();
        log->Open();
        const std::uint8_t t[] = {0x54};
        w.clock.sleep(12);
        EXPECT_EQ(log->Write(t, 1), 1u);
        w.port.arrive({0x54, 0x06, 0xff});
        w.clock.sleep(12333);
        std::uint8_t got[8] {};
        EXPECT_EQ(log->Read(got, 2), 2u);
        EXPECT_EQ(got[0], 0x54);
        EXPECT_EQ(got[1], 0x06);
        EXPECT_EQ(log->Read(got, 8), 1u);
        EXPECT_EQ(got[0], 0xff);
        EXPECT_EQ(log->Read(got, 8), 0u);  // nothing received: no line
        log->ClearBuffer(true, true);
        log->ClearBuffer(true, false);
        EXPECT_TRUE(log->IsOpen());
        log->Close();
        log->Close();  // closed already: no second line
        EXPECT_FALSE(log->IsOpen());
    }
    EXPECT_THAT(readLines(w.path),
                ElementsAre("Quorvane " + version() + " wire log, 2026-03-07 09:05:02, port /dev/ttyUSB0",
                            "    0.000 open /dev/ttyUSB0", "    0.012 > 54", "   12.345 < 54 06", "   12.345 < FF",
                            "   12.345 purge in out", "   12.345 purge in", "   12.345 close"));
    // The scripted port saw every call the link made.
    EXPECT_THAT(w.port.writes, ElementsAre(std::vector<std::uint8_t> {0x54}));
    EXPECT_TRUE(w.reports.empty());
}

TEST(WireLog, MarksPortChangesAndRefusedOpens)
{
    Wire w;
    {
        std::unique_ptr<WireLog> log = w.make();
        log->Open();
        log->Open();  // open already: no second line
        log->SetPort("/dev/ttyUSB1");
        EXPECT_EQ(log->GetPort(), "/dev/ttyUSB1");
        log->Close();
        w.port.busy.insert("/dev/ttyUSB2");
        log->SetPort("/dev/ttyUSB2");  // closed: only stored
        EXPECT_THROW(log->Open(), EComPort);
        w.port.busy.insert("/dev/tty\nS0");
        log->SetPort("/dev/tty\nS0");
        EXPECT_THROW(log->Open(), EComPort);
    }
    const std::vector<std::string> lines = readLines(w.path);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_THAT(std::vector<std::string>(lines.begin() + 1, lines.end()),
                ElementsAre("    0.000 open /dev/ttyUSB0", "    0.000 close", "    0.000 open /dev/ttyUSB1",
                            "    0.000 close", "    0.000 open /dev/ttyUSB2 refused",
                            "    0.000 open /dev/tty?S0 refused"));
}

TEST(WireLog, StopsAtTheBoundWithOneLineWhileTheLinkGoesOn)
{
    Wire w;
    const std::size_t limit = 1000;
    std::unique_ptr<WireLog> log = w.make(limit);
    log->Open();
    std::uint8_t byte = 0;
    for (int i = 0; i < 200; ++i) {
        byte = static_cast<std::uint8_t>(i);
        ASSERT_EQ(log->Write(&byte, 1), 1u);
        w.port.arrive({byte});
        std::uint8_t got = 0;
        ASSERT_EQ(log->Read(&got, 1), 1u);
        EXPECT_EQ(got, byte);
    }
    log->Close();
    EXPECT_EQ(w.port.writes.size(), 200u);
    EXPECT_FALSE(w.port.IsOpen());
    EXPECT_LE(fs::file_size(w.path), limit);
    EXPECT_EQ(fs::file_size(w.path), log->bytesWritten());
    EXPECT_FALSE(log->logging());

    const std::vector<std::string> lines = readLines(w.path);
    ASSERT_GT(lines.size(), 10u);
    const std::size_t before = fs::file_size(w.path) - lines.back().size() - 1;
    EXPECT_EQ(lines.back(), "wire log truncated at " + std::to_string(before) + " bytes");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("truncated") != std::string::npos; }),
              1);
    // Every line before it is whole: a byte line or the open marker.
    for (std::size_t i = 1; i + 1 < lines.size(); ++i)
        EXPECT_TRUE(lines[i].size() == 14 || lines[i] == "    0.000 open /dev/ttyUSB0") << lines[i];
    EXPECT_TRUE(w.reports.empty());
}

TEST(WireLog, AFileThatCannotBeWrittenIsReportedOnceAndThePortStillWorks)
{
    Wire w;
    w.path = w.dir.file("no-such-folder/wire.log");
    std::unique_ptr<WireLog> log = w.make();
    EXPECT_FALSE(log->logging());
    log->Open();
    const std::uint8_t t[] = {0x54, 0x49};
    EXPECT_EQ(log->Write(t, 2), 2u);
    log->Close();
    EXPECT_EQ(w.port.writes.size(), 1u);
    ASSERT_EQ(w.reports.size(), 1u);
    EXPECT_THAT(w.reports[0], HasSubstr("no-such-folder/wire.log"));
    EXPECT_FALSE(fs::exists(w.path));
}

TEST(WireLog, AWriteThatFailsMidwayIsReportedOnceAndThePortStillWorks)
{
    // In a child: the file size limit makes the log's writes fail as on a full disk.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        Wire w;
        const rlimit small {300, 300};
        setrlimit(RLIMIT_FSIZE, &small);
        std::unique_ptr<WireLog> log = w.make();
        log->Open();
        std::uint8_t block[16] {};
        int ok = 0;
        for (int i = 0; i < 50; ++i)
            ok += log->Write(block, sizeof block) == sizeof block;
        log->Close();
        const bool reportedOnce = w.reports.size() == 1 && w.reports[0].find("wire.log") != std::string::npos;
        _exit(reportedOnce && ok == 50 && w.port.writes.size() == 50 && !log->logging() ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST(WireLog, RefusesWhatIsNotARegularFileWithoutOpeningIt)
{
    Wire w;
    w.path = w.dir.file("pipe");
    ASSERT_EQ(mkfifo(w.path.c_str(), 0600), 0);  // opening it for writing would wait for a reader
    std::unique_ptr<WireLog> log = w.make();
    EXPECT_FALSE(log->logging());
    ASSERT_EQ(w.reports.size(), 1u);
    EXPECT_THAT(w.reports[0], HasSubstr("a named pipe"));

    Wire folder;
    folder.path = folder.dir.path.string();
    std::unique_ptr<WireLog> other = folder.make();
    EXPECT_FALSE(other->logging());
    EXPECT_EQ(folder.reports.size(), 1u);
}

TEST(WireLog, AnEarlierLogIsReplaced)
{
    Wire w;
    std::ofstream(w.path) << std::string(5000, 'x') << "\n";
    w.make().reset();
    const std::vector<std::string> lines = readLines(w.path);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_THAT(lines[0], HasSubstr(" wire log, "));
}

// The log shows owners' data going by: a new one is its owner's alone, an
// earlier one keeps the mode the dealer gave it.
TEST(WireLog, ANewLogIsClosedToOtherUsers)
{
    namespace fs = std::filesystem;
    Wire fresh;
    fresh.make().reset();
    EXPECT_EQ(fs::status(fresh.path).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

    Wire shared;
    std::ofstream(shared.path) << "earlier\n";
    const fs::perms readable = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(shared.path, readable);
    shared.make().reset();
    EXPECT_EQ(fs::status(shared.path).permissions() & fs::perms::all, readable);
}

// The simulator on a pseudo-terminal of its own.
struct Simulator : SimulatorProcess {
    Simulator() : SimulatorProcess(std::string(QUORVANE_BUILD_DIR) + "/quorvane-mowersim", {}) {}
};

TEST(WireLog, ToolDownloadFromTheSimulatorRecordsTheWholeExchange)
{
    TempDir dir;
    Simulator sim;
    ASSERT_FALSE(sim.pty().empty());
    const std::string log = dir.file("wire.log");
    const std::string command = std::string(QUORVANE_BUILD_DIR) + "/quorvane-tool download --port " + sim.pty()
                                + " --out " + dir.file("got.bin") + " --wire-log " + log + " </dev/null 2>"
                                + dir.file("tool.err");
    const int raw = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << readLines(dir.file("tool.err")).size();

    const std::vector<std::string> lines = readLines(log);
    ASSERT_GT(lines.size(), 3u);
    EXPECT_THAT(lines[0], HasSubstr("wire log, "));
    EXPECT_THAT(lines[0], HasSubstr("port " + sim.pty()));
    EXPECT_THAT(lines[1], HasSubstr(" open " + sim.pty()));
    EXPECT_THAT(lines.back(), HasSubstr(" close"));
    std::set<std::string> commands;
    std::size_t received = 0;
    for (const std::string& line : lines) {
        if (line.size() > 12 && line.compare(9, 3, " > ") == 0)
            commands.insert(line.substr(12, 2));
        if (line.size() > 12 && line.compare(9, 3, " < ") == 0)
            received += (line.size() - 10) / 3;
    }
    EXPECT_TRUE(commands.count("54")) << "T";
    EXPECT_TRUE(commands.count("49")) << "I";
    EXPECT_TRUE(commands.count("48")) << "H";
    EXPECT_GE(received, 8192u);
}

}  // namespace
