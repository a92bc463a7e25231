#pragma once

#include <cstdio>
#include <string>
#include <sys/wait.h>

// A shell command's exit status and everything it printed (standard error too).
struct CommandRun {
    int status = -1;  // -1 when it did not exit normally
    std::string output;
};

inline CommandRun runCommand(const std::string& command)
{
    CommandRun run;
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    while (const std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}
