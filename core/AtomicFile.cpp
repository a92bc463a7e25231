#include "core/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string systemError(const std::string& what, const std::string& path)
{
    return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

WriteResult writeFileAtomically(const std::string& path, std::string_view bytes)
{
    std::string tmpl = path + ".tmpXXXXXX";
    const int fd = mkstemp(tmpl.data());
    if (fd < 0)
        return {false, systemError("cannot create temporary file for", path)};

    // Keep the permissions of the file being replaced, or the usual ones for a new file.
    struct stat old {};
    const mode_t mode = (stat(path.c_str(), &old) == 0) ? (old.st_mode & 07777) : 0644;
    fchmod(fd, mode);

    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            WriteResult r {false, systemError("cannot write", path)};
            ::close(fd);
            ::unlink(tmpl.c_str());
            return r;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) {
        WriteResult r {false, systemError("cannot flush", path)};
        ::close(fd);
        ::unlink(tmpl.c_str());
        return r;
    }
    if (::close(fd) != 0) {
        WriteResult r {false, systemError("cannot close", path)};
        ::unlink(tmpl.c_str());
        return r;
    }
    if (::rename(tmpl.c_str(), path.c_str()) != 0) {
        WriteResult r {false, systemError("cannot replace", path)};
        ::unlink(tmpl.c_str());
        return r;
    }
    // Make the rename itself durable.
    const int dirFd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

bool readWholeFile(const std::string& path, std::string& bytes, std::string& error, std::size_t maxBytes)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = systemError("cannot open", path);
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "not a regular file: " + path;
        ::close(fd);
        return false;
    }
    if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
        error = "file too large: " + path;
        ::close(fd);
        return false;
    }
    bytes.clear();
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = systemError("cannot read", path);
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) {
            error = "file too large: " + path;
            ::close(fd);
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return true;
}
