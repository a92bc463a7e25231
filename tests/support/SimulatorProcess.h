#pragma once

#include <csignal>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// The mower simulator in a child process, without line pacing unless asked; its
// pseudo-terminal's path is the first line it prints. Ended with the object.
class SimulatorProcess {
public:
    // Paced, the simulator answers at the line's real speed.
    SimulatorProcess(const std::string& program, std::vector<std::string> args, bool paced = false)
    {
        int out[2];
        if (pipe(out) != 0)
            return;
        args.insert(args.begin(), {"--exit-after", "60"});
        if (!paced)
            args.insert(args.begin(), "--no-pacing");
        args.insert(args.begin(), program);
        pid_ = fork();
        if (pid_ == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            close(out[1]);
            std::vector<char*> argv;
            for (std::string& a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(out[1]);
        char c = 0;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            pty_ += c;
        close(out[0]);
    }
    ~SimulatorProcess()
    {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Empty when the simulator did not start.
    const std::string& pty() const { return pty_; }

private:
    pid_t pid_ = -1;
    std::string pty_;
};
