// Times a history download and a 500-line upgrade over a pseudo-terminal
// against the simulator pacing at 38400 baud, and compares them with the time
// the bytes need on the line; also the link's CPU time against wall time.
#include "core/Clock.h"
#include "core/ProgressWindow.h"
#include "link/MowerLink.h"
#include "link/TComPort.h"
#include "tests/support/ScriptedUser.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr double ByteSeconds = 10.0 / 38400.0;
constexpr double SimAnswerGapSeconds = 0.003;  // the simulator's default record gap

struct Usage {
    double wall;
    double cpu;
};

Usage usageNow()
{
    rusage ru {};
    getrusage(RUSAGE_SELF, &ru);
    const double cpu = ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    return {wall, cpu};
}

pid_t startSimulator(const std::string& simulator, std::string& pty)
{
    int out[2];
    if (pipe(out) != 0)
        return -1;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        execl(simulator.c_str(), simulator.c_str(), "--exit-after", "120", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    char c = 0;
    while (read(out[0], &c, 1) == 1 && c != '\n')
        pty += c;
    close(out[0]);
    return pid;
}

void report(const char* what, const Usage& start, const Usage& end, double lineSeconds, double allowance,
            const char* goal)
{
    const double wall = end.wall - start.wall;
    const double cpu = end.cpu - start.cpu;
    std::printf("%-9s wall %.3f s, line %.3f s, ratio %.3f, allowed %.3f s (%s) -> %s\n", what, wall, lineSeconds,
                wall / lineSeconds, allowance, goal, wall <= allowance ? "ok" : "SLOW");
    std::printf("%-9s cpu %.3f s = %.1f%% of wall\n", what, cpu, 100.0 * cpu / wall);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string dir = argv[0];
    dir = dir.substr(0, dir.find_last_of('/') + 1);
    const std::string simulator = argc > 1 ? argv[1] : dir + "../quorvane-mowersim";
    std::string pty;
    const pid_t sim = startSimulator(simulator, pty);
    if (sim <= 0 || pty.empty()) {
        std::fprintf(stderr, "bench_link: cannot start %s\n", simulator.c_str());
        return 1;
    }

    TComPort port(pty);
    NullProgressWindow progress;
    ScriptedUser user;
    const bool autoScan = false;
    MowerLink link(port, SystemClock::instance(), user, progress, autoScan, [] { return std::vector<std::string>(); },
                   [](const std::string&) {});

    InfoFrame frame {};
    HistoryImage image {};
    Usage start = usageNow();
    const bool downloaded = link.downloadHistory(frame, image);
    Usage end = usageNow();
    // 'T' twice with its echo, 'I' and its frame, 'H' and the image.
    const double downloadLine = (2 * 2 + 1 + 16 + 1 + 8192) * ByteSeconds;
    report("download", start, end, downloadLine, downloadLine + 0.2, "line + 200 ms");

    const std::string tvf = "/tmp/quorvane-bench-" + std::to_string(getpid()) + ".TVF";
    std::size_t recordBytes = 0;
    int records = 0;
    {
        std::ofstream out(tvf, std::ios::binary);
        out << "[TAG] bench\r\n[MAIN]\r\n";
        for (int line = 3; line <= 500; ++line) {
            std::string data;
            for (int i = 0; i < 40; ++i) {
                char pair[3];
                std::snprintf(pair, sizeof pair, "%2.2X", (line * 7 + i) & 0xFF);
                data += pair;
            }
            out << data << "\r\n";
            recordBytes += 40;
            ++records;
        }
    }
    start = usageNow();
    const bool upgraded = link.upgradeFirmware(tvf);
    end = usageNow();
    std::remove(tvf.c_str());
    // 't', 'B', its answer; each record with its command byte and answer; the closing 'b'.
    const double upgradeLine = (3 + recordBytes + 2.0 * records + 1) * ByteSeconds;
    const double answerTime = records * SimAnswerGapSeconds;
    const double synchroWaits = 0.405;  // the handshake's fixed sleeps
    report("upgrade", start, end, upgradeLine, 1.1 * upgradeLine + answerTime + synchroWaits,
           "110% line + simulator answers + handshake waits");

    port.Close();
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    if (!downloaded || !upgraded) {
        std::fprintf(stderr, "bench_link: download %s, upgrade %s (%s)\n", downloaded ? "ok" : "failed",
                     upgraded ? "ok" : "failed", user.texts.empty() ? "" : user.texts.back().c_str());
        return 1;
    }
    return 0;
}
