#include "Component/WriteLeftovers.h"

#include "Component/FolderIndex.h"
#include "Component/RecordFileName.h"
#include "Component/TVXCheckDir.h"
#include "core/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool isDatabaseFileName(const std::string& name)
{
    return name == TVXCheckDir::DefaultFileName || serialOfRecordFileName(name).has_value();
}

}  // namespace

std::vector<std::string> findWriteLeftovers(const std::string& folder)
{
    FolderIndex index(folder);
    return findWriteLeftovers(folder, index.names());
}

std::vector<std::string> findWriteLeftovers(const std::string& folder, const std::vector<std::string>& names)
{
    std::vector<std::string> found;
    for (const std::string& name : names) {
        const auto target = atomicWriteTarget(name);
        if (!target || !isDatabaseFileName(*target))
            continue;
        const std::string path = joinPath(folder, name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            found.push_back(path);
    }
    return found;
}

LeftoverRemoval removeWriteLeftovers(const std::string& folder)
{
    LeftoverRemoval result;
    for (const std::string& path : findWriteLeftovers(folder)) {
        if (::unlink(path.c_str()) == 0)
            result.removed.push_back(path);
        else
            result.failures.push_back(path + ": " + std::strerror(errno));
    }
    return result;
}
