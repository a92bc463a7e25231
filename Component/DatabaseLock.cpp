#include "Component/DatabaseLock.h"

#include "core/AppTexts.h"
#include "Component/RecordFileName.h"
#include "core/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

DatabaseLock::Result DatabaseLock::acquire(const std::string& folder)
{
    release();
    error_.clear();
    const std::string path = joinPath(folder, FileName);
    // A new lock file gets the folder's sharing, as every file made there: the
    // group of a shared folder must be able to open it to lock it.
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0)
        ::fchmod(fd, newFileMode(folder.empty() ? "/" : folder));
    else
        fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        fd = ::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error_ = folder + ": " + std::strerror(errno);
        return Result::Failed;
    }
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR)
            continue;
        const bool busy = errno == EWOULDBLOCK;
        error_ = folder + ": " + std::strerror(errno);
        ::close(fd);
        return busy ? Result::InUse : Result::Failed;
    }
    fd_ = fd;
    return Result::Acquired;
}

void DatabaseLock::release()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::string DatabaseLock::inUseMessage(const std::string& folder)
{
    return appText(AppText::DatabaseInUse) + "\n" + folder;
}
