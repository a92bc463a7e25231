#include "link/WireLog.h"

#include "core/AtomicFile.h"
#include "core/BoundedFile.h"
#include "core/Version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The room kept at the end for the truncation line.
constexpr std::size_t TruncationRoom = 64;

// A port name comes from the user or the system: nothing in it may break a line.
std::string printable(const std::string& text)
{
    std::string out;
    for (const char c : text.substr(0, 256))
        out += (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) ? '?' : c;
    return out;
}

}  // namespace

WireLog::WireLog(SerialPort& port, Clock& clock, const std::string& path, std::size_t limit, Report report)
    : port_(port)
    , clock_(clock)
    , path_(path)
    , limit_(limit)
    , report_(std::move(report))
    , start_(clock.monotonicMicros())
{
    openFile(path);
    if (fd_ < 0)
        return;
    const LocalTime t = clock_.now();
    char date[64];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    append("Quorvane " + std::to_string(QUORVANE_VERSION_MAJOR) + "." + std::to_string(QUORVANE_VERSION_MINOR) + "."
           + std::to_string(QUORVANE_VERSION_PATCH) + " wire log, " + date + ", port "
           + printable(port_.GetPort()));
}

WireLog::~WireLog()
{
    stop();
}

void WireLog::openFile(const std::string& path)
{
    // Looked at before opening: opening a serial device alone may change its
    // line state. Not emptied at open: whatever else stands there is refused untouched.
    if (const std::string kind = describeNonRegularFile(path); !kind.empty()) {
        fail(path + ": it is " + kind + ", not a regular file");
        return;
    }
    // The log shows the owner's data going by: a new one is closed to the PC's
    // other users, as the records are; one that stands there keeps its mode.
    struct stat before {};
    const bool existed = ::lstat(path.c_str(), &before) == 0;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0600);
    if (fd < 0) {
        fail(path + ": " + std::strerror(errno));
        return;
    }
    if (!existed) {
        const std::string folder = std::filesystem::path(path).parent_path().string();
        if (::fchmod(fd, newFileMode(folder.empty() ? "." : folder)) != 0) {
            const int e = errno;
            ::close(fd);
            fail(path + ": " + std::strerror(e));
            return;
        }
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        fail(path + ": not a regular file");
        return;
    }
    if (::ftruncate(fd, 0) != 0) {
        const int e = errno;
        ::close(fd);
        fail(path + ": " + std::strerror(e));
        return;
    }
    fd_ = fd;
}

void WireLog::fail(const std::string& why)
{
    if (!error_.empty())
        return;
    error_ = "wire log " + why;
    if (report_)
        report_(error_);
}

void WireLog::stop()
{
    if (fd_ >= 0) {
        if (::close(fd_) != 0)
            fail(path_ + ": " + std::strerror(errno));
        fd_ = -1;
    }
}

bool WireLog::writeAll(const std::string& text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(path_ + ": " + (n < 0 ? std::strerror(errno) : "nothing written"));
            ::close(fd_);
            fd_ = -1;
            return false;
        }
        done += static_cast<std::size_t>(n);
        written_ += static_cast<std::size_t>(n);
    }
    return true;
}

void WireLog::append(std::string line)
{
    if (fd_ < 0)
        return;
    line += '\n';
    if (written_ + line.size() + TruncationRoom > limit_) {
        if (writeAll("wire log truncated at " + std::to_string(written_) + " bytes\n"))
            stop();
        return;
    }
    writeAll(line);
}

void WireLog::event(const std::string& text)
{
    if (fd_ < 0)
        return;
    const std::uint64_t ms = (clock_.monotonicMicros() - start_) / 1000;
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%5llu.%03llu ", static_cast<unsigned long long>(ms / 1000),
                  static_cast<unsigned long long>(ms % 1000));
    append(stamp + text);
}

void WireLog::bytes(char direction, const std::uint8_t* buffer, std::size_t count)
{
    if (fd_ < 0 || count == 0)
        return;
    static const char digits[] = "0123456789ABCDEF";
    std::string text(1, direction);
    text.reserve(1 + 3 * count);
    for (std::size_t i = 0; i < count; ++i) {
        text += ' ';
        text += digits[buffer[i] >> 4];
        text += digits[buffer[i] & 0x0f];
    }
    event(text);
}

void WireLog::SetPort(const std::string& name)
{
    const bool wasOpen = port_.IsOpen();
    const bool changes = name != port_.GetPort();
    try {
        port_.SetPort(name);
    } catch (...) {
        if (wasOpen && changes) {
            event("close");
            event("open " + printable(name) + " refused");
        }
        throw;
    }
    if (wasOpen && changes) {
        event("close");
        event("open " + printable(name));
    }
}

void WireLog::Open()
{
    if (port_.IsOpen()) {
        port_.Open();
        return;
    }
    try {
        port_.Open();
    } catch (...) {
        event("open " + printable(port_.GetPort()) + " refused");
        throw;
    }
    event("open " + printable(port_.GetPort()));
}

void WireLog::Close()
{
    const bool wasOpen = port_.IsOpen();
    port_.Close();
    if (wasOpen)
        event("close");
}

void WireLog::ClearBuffer(bool input, bool output)
{
    port_.ClearBuffer(input, output);
    event(std::string("purge") + (input ? " in" : "") + (output ? " out" : ""));
}

std::size_t WireLog::Write(const std::uint8_t* buffer, std::size_t count)
{
    const std::size_t n = port_.Write(buffer, count);
    bytes('>', buffer, n < count ? n : count);
    return n;
}

std::size_t WireLog::Read(std::uint8_t* buffer, std::size_t count)
{
    const std::size_t n = port_.Read(buffer, count);
    bytes('<', buffer, n < count ? n : count);
    return n;
}
