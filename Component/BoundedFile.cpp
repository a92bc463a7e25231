#include "Component/BoundedFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

ReadStatus readBoundedFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                           std::string& error)
{
    bytes.clear();
    // Not waiting on open: a named pipe without a writer, or a serial device
    // waiting for its carrier, would hang the program before the check below
    // could refuse it; nor may a terminal become ours.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        error = path + ": " + std::strerror(errno);
        return ReadStatus::CannotOpen;
    }
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        error = path + ": not a regular file";
        return ReadStatus::CannotOpen;
    }
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK) != 0) {
        error = path + ": " + std::strerror(errno);
        return ReadStatus::ReadFailed;
    }
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        error = path + ": file too large (" + std::to_string(st.st_size) + " bytes)";
        return ReadStatus::TooLarge;
    }
    // The size may change while we read; the bound holds whatever happens.
    bytes.resize(static_cast<std::size_t>(st.st_size));
    std::size_t got = 0;
    char spill[4096];
    for (;;) {
        char* target = got < bytes.size() ? bytes.data() + got : spill;
        const std::size_t room = got < bytes.size() ? bytes.size() - got : sizeof spill;
        const ssize_t n = ::read(fd.get(), target, room);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = path + ": " + std::strerror(errno);
            bytes.clear();
            return ReadStatus::ReadFailed;
        }
        if (n == 0)
            break;
        if (target == spill) {
            // The file grew after fstat.
            if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
                error = path + ": file too large";
                bytes.clear();
                return ReadStatus::TooLarge;
            }
            bytes.append(spill, static_cast<std::size_t>(n));
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return ReadStatus::Ok;
}
