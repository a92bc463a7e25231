#include "core/BoundedFile.h"

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

const char* kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe";
    if (S_ISCHR(mode))
        return "a character device";
    if (S_ISBLK(mode))
        return "a block device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

ReadStatus refuse(ReadStatus status, const std::string& path, const std::string& reason, std::string& bytes,
                  std::string& error)
{
    bytes.clear();
    error = path + ": " + reason;
    return status;
}

// What may be read of a file with these attributes; Ok when all of it.
ReadStatus judge(const struct stat& st, std::size_t maxBytes, const std::string& path, std::string& bytes,
                 std::string& error)
{
    if (!S_ISREG(st.st_mode))
        return refuse(ReadStatus::NotRegular, path, std::string("is ") + kindOf(st.st_mode) + ", not a file",
                      bytes, error);
    if (static_cast<unsigned long long>(st.st_size) > maxBytes)
        return refuse(ReadStatus::TooLarge, path,
                      "file too large (" + std::to_string(st.st_size) + " bytes, at most "
                          + std::to_string(maxBytes) + ")",
                      bytes, error);
    return ReadStatus::Ok;
}

ReadStatus refuseOpen(int e, const std::string& path, std::string& bytes, std::string& error)
{
    return refuse(e == ENOENT ? ReadStatus::NotFound : ReadStatus::CannotOpen, path, std::strerror(e), bytes,
                  error);
}

}  // namespace

std::string describeNonRegularFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode))
        return {};
    return kindOf(st.st_mode);
}

ReadStatus readBoundedFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                           std::string& error)
{
    bytes.clear();
    // Look before opening: opening a serial device alone may change its line
    // state, and a named pipe without a writer would block.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return refuseOpen(errno, path, bytes, error);
    if (const ReadStatus judged = judge(st, maxBytes, path, bytes, error); judged != ReadStatus::Ok)
        return judged;

    // The path may have been swapped since the look: open without waiting
    // and without taking a terminal, then check again what was opened.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        return refuseOpen(errno, path, bytes, error);
    if (::fstat(fd.get(), &st) != 0)
        return refuse(ReadStatus::ReadFailed, path, std::strerror(errno), bytes, error);
    if (const ReadStatus judged = judge(st, maxBytes, path, bytes, error); judged != ReadStatus::Ok)
        return judged;

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
            return refuse(ReadStatus::ReadFailed, path, std::strerror(errno), bytes, error);
        }
        if (n == 0)
            break;
        if (target == spill) {
            // The file grew after fstat.
            if (bytes.size() + static_cast<std::size_t>(n) > maxBytes)
                return refuse(ReadStatus::TooLarge, path, "file too large (it grew while being read)", bytes,
                              error);
            bytes.append(spill, static_cast<std::size_t>(n));
        }
        got += static_cast<std::size_t>(n);
    }
    bytes.resize(got);
    return ReadStatus::Ok;
}
