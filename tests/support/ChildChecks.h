#pragma once

#include <csignal>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// A check made in a forked child: what it expects, and whether that held.
struct NamedCheck {
    std::string name;
    bool held;
};

namespace childchecks {

inline void limitFileSize(std::optional<std::size_t> limit)
{
    if (!limit)
        return;
    // Without the signal a write past the limit fails with EFBIG, as on a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit bound {*limit, *limit};
    ::setrlimit(RLIMIT_FSIZE, &bound);
}

inline std::string describeEnd(int status)
{
    if (WIFSIGNALED(status))
        return "the child was killed by signal " + std::to_string(WTERMSIG(status));
    return "the child ended with status " + std::to_string(WEXITSTATUS(status)) + " without reporting";
}

}  // namespace childchecks

// Runs the checks in a forked child, whose files may not grow past
// fileSizeLimit bytes when one is given, and returns the names of the checks
// that did not hold, one per line; empty when all held. A child that dies or
// exits before reporting is described instead. The checks run in the order
// given; the child leaves without running any destructor.
inline std::string failedChecksInChild(std::optional<std::size_t> fileSizeLimit,
                                       const std::function<std::vector<NamedCheck>()>& checks)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return "no pipe to the child";
    const pid_t child = ::fork();
    if (child < 0)
        return "no child";
    if (child == 0) {
        ::close(channel[0]);
        childchecks::limitFileSize(fileSizeLimit);
        std::string report = "done\n";
        for (const NamedCheck& check : checks())
            if (!check.held)
                report += check.name + "\n";
        (void)!::write(channel[1], report.data(), report.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string report;
    char buffer[512];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, std::size_t(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (report.rfind("done\n", 0) != 0)
        return childchecks::describeEnd(status);
    report.erase(0, 5);
    if (!report.empty())
        report.pop_back();
    return report;
}
