#include "core/AtomicFile.h"
#include "sim/MowerData.h"
#include "sim/MowerSimulator.h"
#include "sim/SimOptions.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

int main(int argc, char** argv)
{
    const std::optional<SimOptions> options = parseSimOptions(argc, argv);
    if (!options)
        return 2;
    if (options->helpShown)
        return 0;
    MowerData data;
    std::string error;
    if (!buildMowerData(*options, data, error)) {
        std::fprintf(stderr, "quorvane-mowersim: %s\n", error.c_str());
        return 2;
    }
    if (!options->dumpFile.empty()) {
        std::string bytes(data.frame.begin(), data.frame.end());
        bytes.append(data.image.begin(), data.image.end());
        if (const WriteResult written = writeFileAtomically(options->dumpFile, bytes); !written) {
            std::fprintf(stderr, "quorvane-mowersim: %s\n", written.error.c_str());
            return 2;
        }
    }
    std::FILE* log = nullptr;
    if (!options->receivedLog.empty() && !(log = std::fopen(options->receivedLog.c_str(), "w"))) {
        std::perror(options->receivedLog.c_str());
        return 2;
    }

    const int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::perror("quorvane-mowersim: pseudo-terminal");
        return 1;
    }
    const char* slaveName = ptsname(master);
    // Holding the application's side open keeps the master readable between
    // the application's opens and closes (otherwise it reports a hang-up).
    const int slave = slaveName ? open(slaveName, O_RDWR | O_NOCTTY | O_CLOEXEC) : -1;
    if (slave < 0) {
        std::perror("quorvane-mowersim: pseudo-terminal");
        return 1;
    }
    termios tio {};
    if (tcgetattr(slave, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B38400);
        cfsetospeed(&tio, B38400);
        tcsetattr(slave, TCSANOW, &tio);
    }
    fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK);

    std::printf("%s\n", slaveName);
    std::fflush(stdout);

    MowerSimulator(master, *options, data, log).run();
    if (log)
        std::fclose(log);
    close(slave);
    close(master);
    return 0;
}
