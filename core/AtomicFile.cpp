#include "core/AtomicFile.h"

#include "core/BoundedFile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::string_view TemporarySuffix = ".tmp";
constexpr std::size_t TemporaryLetters = 6;  // what mkstemp puts in place of XXXXXX
constexpr int MaxLinkHops = 40;              // as the system itself allows
constexpr mode_t OwnerReadWrite = 0600;

std::string systemError(const std::string& what, const std::string& path, int error = errno)
{
    return what + " " + path + ": " + std::strerror(error);
}

std::string folderOf(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    return folder.empty() ? std::string(".") : folder;
}

// The file that a write to `path` must replace: the path itself, or the end
// of its chain of symbolic links. Refuses what is not, or would not become, a
// regular file.
bool resolveTarget(const std::string& path, std::string& target, struct stat& existing, bool& exists,
                   std::string& error)
{
    target = path;
    for (int hop = 0;; ++hop) {
        if (::lstat(target.c_str(), &existing) != 0) {
            if (errno != ENOENT) {
                error = systemError("cannot write", path);
                return false;
            }
            exists = false;
            return true;
        }
        if (!S_ISLNK(existing.st_mode))
            break;
        if (hop == MaxLinkHops) {
            error = systemError("cannot write", path, ELOOP);
            return false;
        }
        char link[PATH_MAX];
        const ssize_t n = ::readlink(target.c_str(), link, sizeof link - 1);
        if (n < 0) {
            error = systemError("cannot write", path);
            return false;
        }
        const std::string next(link, static_cast<std::size_t>(n));
        target = next.front() == '/' ? next : (std::filesystem::path(folderOf(target)) / next).string();
    }
    exists = true;
    if (!S_ISREG(existing.st_mode)) {
        error = "cannot write " + path + ": it is " + describeNonRegularFile(target)
                + ", not a regular file; it was left untouched";
        return false;
    }
    return true;
}

}  // namespace

WriteResult writeFileAtomically(const std::string& path, std::string_view bytes)
{
    std::string target;
    struct stat old {};
    bool exists = false;
    std::string error;
    if (!resolveTarget(path, target, old, exists, error))
        return {false, error};

    std::string tmpl = target + std::string(TemporarySuffix) + std::string(TemporaryLetters, 'X');
    const int fd = mkstemp(tmpl.data());
    if (fd < 0)
        return {false, systemError("cannot create temporary file for", path)};

    // A file its owner cannot read and write is not kept that way: it would
    // stay unreadable to the program that just rewrote it to mend it.
    const mode_t mode = exists ? (old.st_mode & 07777) | OwnerReadWrite : newFileMode(folderOf(target));
    ::fchmod(fd, mode);
    if (exists && ::geteuid() == 0) {
        // Run as root, the rewritten file stays the owner's.
        [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
    }

    bool open = true;
    auto fail = [&](const char* what) {
        WriteResult r {false, systemError(what, path)};
        if (open)
            ::close(fd);
        ::unlink(tmpl.c_str());
        return r;
    };
    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail("cannot write");
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0)
        return fail("cannot flush");
    open = false;
    if (::close(fd) != 0)
        return fail("cannot close");
    if (::rename(tmpl.c_str(), target.c_str()) != 0)
        return fail("cannot replace");
    // Make the rename itself durable.
    const int dirFd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

unsigned newFileMode(const std::string& folder)
{
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return OwnerReadWrite;
    const mode_t group = (st.st_mode & S_IRWXG) >> 3;
    const mode_t others = st.st_mode & S_IRWXO;
    if ((group & ~others) == 0)
        return OwnerReadWrite;
    return OwnerReadWrite | (st.st_mode & (S_IRGRP | S_IWGRP));
}

std::optional<std::string> atomicWriteTarget(std::string_view name)
{
    const std::size_t tail = TemporarySuffix.size() + TemporaryLetters;
    if (name.size() <= tail || name.substr(name.size() - tail, TemporarySuffix.size()) != TemporarySuffix)
        return std::nullopt;
    for (const char c : name.substr(name.size() - TemporaryLetters)) {
        const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letterOrDigit)
            return std::nullopt;
    }
    return std::string(name.substr(0, name.size() - tail));
}
