#include "link/TComPort.h"

#include "link/EComPort.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int WriteTimeoutPerByteMs = 100;
constexpr int WriteTimeoutExtraMs = 10;

std::int64_t steadyMillis()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

TComPort::TComPort(std::string name, TtyDevices devices)
    : name_(std::move(name))
    , devices_(std::move(devices))
{
}

TComPort::~TComPort()
{
    Close();
}

void TComPort::fail(const std::string& what) const
{
    const int reason = errno;
    throw EComPort(name_ + ": " + what + ": " + std::strerror(reason), reason);
}

void TComPort::EnumComPorts(std::vector<std::string>& ports)
{
    ports = TtyDevices().serialPorts();
}

void TComPort::SetPort(const std::string& name)
{
    if (name == name_)
        return;
    name_ = name;
    if (IsOpen()) {
        Close();
        Open();
    }
}

int TComPort::openDevice()
{
    if (name_.empty() || name_[0] != '/') {
        errno = ENOENT;
        fail("no such serial port");
    }
    const int fd = ::open(name_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        fail("cannot open");
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode) || !isatty(fd)) {
        ::close(fd);
        errno = ENOTTY;
        fail("not a serial port");
    }
    if (devices_.isConsole(st.st_rdev)) {
        ::close(fd);
        // Not a permission matter: no user may take the console for a mower.
        throw EComPort(name_ + ": the system console is never used as a mower port", EPERM,
                       EComPort::Reason::NotSerial);
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int reason = errno;
        ::close(fd);
        errno = reason == EWOULDBLOCK ? EBUSY : reason;
        fail("port held by another process");
    }
    return fd;
}

void TComPort::applyLineSettings(int fd)
{
    termios tio = saved_;
    cfmakeraw(&tio);
    tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK);
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, B38400);
    cfsetospeed(&tio, B38400);
    if (tcsetattr(fd, TCSANOW, &tio) != 0)
        fail("cannot apply the line settings");
    // A pseudo-terminal has no modem lines; a real port must have both inactive.
    int lines = TIOCM_DTR | TIOCM_RTS;
    if (ioctl(fd, TIOCMBIC, &lines) != 0 && errno != ENOTTY && errno != EINVAL)
        fail("cannot clear DTR and RTS");
    tcflush(fd, TCIOFLUSH);
}

void TComPort::Open()
{
    if (IsOpen())
        return;
    const int fd = openDevice();
    if (ioctl(fd, TIOCEXCL) != 0 || tcgetattr(fd, &saved_) != 0) {
        const int reason = errno;
        ::close(fd);
        errno = reason;
        fail("cannot take the port");
    }
    try {
        applyLineSettings(fd);
    } catch (...) {
        tcsetattr(fd, TCSANOW, &saved_);
        ioctl(fd, TIOCNXCL);
        ::close(fd);
        throw;
    }
    fd_ = fd;
}

void TComPort::Close()
{
    if (!IsOpen())
        return;
    tcsetattr(fd_, TCSANOW, &saved_);
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);  // also releases the flock
    fd_ = -1;
}

int TComPort::InputCount()
{
    if (!IsOpen())
        return 0;
    int count = 0;
    if (ioctl(fd_, FIONREAD, &count) != 0)
        fail("cannot count the received bytes");
    return count;
}

int TComPort::OutputCount()
{
    if (!IsOpen())
        return 0;
    int count = 0;
    if (ioctl(fd_, TIOCOUTQ, &count) != 0)
        fail("cannot count the unsent bytes");
    return count;
}

void TComPort::ClearBuffer(bool input, bool output)
{
    if (!IsOpen() || (!input && !output))
        return;
    const int which = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
    if (tcflush(fd_, which) != 0)
        fail("cannot clear the buffers");
}

std::size_t TComPort::Write(const std::uint8_t* buffer, std::size_t count)
{
    if (!IsOpen()) {
        errno = EBADF;
        fail("write on a closed port");
    }
    const std::int64_t deadline
        = steadyMillis() + static_cast<std::int64_t>(count) * WriteTimeoutPerByteMs + WriteTimeoutExtraMs;
    std::size_t written = 0;
    while (written < count) {
        const ssize_t n = ::write(fd_, buffer + written, count - written);
        if (n > 0) {
            written += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            fail("cannot write");
        const std::int64_t left = deadline - steadyMillis();
        if (left <= 0)
            break;
        pollfd pfd {fd_, POLLOUT, 0};
        if (::poll(&pfd, 1, static_cast<int>(left)) < 0 && errno != EINTR)
            fail("cannot wait for the line");
    }
    return written;
}

std::size_t TComPort::Read(std::uint8_t* buffer, std::size_t count)
{
    if (!IsOpen()) {
        errno = EBADF;
        fail("read on a closed port");
    }
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, count);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN)
            return 0;
        fail("cannot read");
    }
}
