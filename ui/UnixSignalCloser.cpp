#include "ui/UnixSignalCloser.h"

#include "ui/QtUserInteraction.h"
#include "ui/TTVXMainForm.h"

#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onUnixSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &byte, 1);
}

}  // namespace

UnixSignalCloser::UnixSignalCloser(TTVXMainForm* window)
{
    if (signalPipe[0] < 0
        && ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return;
    notifier_ = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UnixSignalCloser::onSignal);

    struct sigaction action {};
    action.sa_handler = onUnixSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
    setWindow(window);
}

UnixSignalCloser::~UnixSignalCloser()
{
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaction(sig, &action, nullptr);
}

void UnixSignalCloser::setWindow(TTVXMainForm* window)
{
    window_ = window;
}

void UnixSignalCloser::onSignal()
{
    char buffer[16];
    ssize_t n;
    while ((n = ::read(signalPipe[0], buffer, sizeof buffer)) > 0)
        signals_ += static_cast<int>(n);
    // A second signal during the shut-down finds nothing waiting: the saves
    // that can still be made go on without a box, then the process ends.
    QtUserInteraction::stopWaitingForTheUser();
    if (window_)
        window_->closeFromSignal();
}
