#include "core/AppPaths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string parentOf(const std::string& path)
{
    const std::string parent = std::filesystem::path(path).parent_path().string();
    return parent.empty() ? std::string(".") : parent;
}

// $<variable>/quorvane when the variable holds an absolute path (the XDG
// rule: a relative one is ignored), else $HOME/<underHome>/quorvane.
std::string userFolder(const char* variable, const char* underHome)
{
    if (const char* xdg = std::getenv(variable); xdg != nullptr && *xdg == '/')
        return std::string(xdg) + "/quorvane";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::string(home) + "/" + underHome + "/quorvane";
    return "/tmp/quorvane";
}

}  // namespace

AppPaths AppPaths::inFolder(const std::string& folder, const std::string& baseName)
{
    return {folder + "/" + baseName + ".INI", folder + "/" + baseName + ".log", {}};
}

AppPaths AppPaths::forExecutable(const std::string& executablePath)
{
    return forExecutable(executablePath, ::access(parentOf(executablePath).c_str(), W_OK) == 0);
}

AppPaths AppPaths::forExecutable(const std::string& executablePath, bool folderWritable)
{
    const std::string name = std::filesystem::path(executablePath).stem().string();
    if (folderWritable)
        return inFolder(parentOf(executablePath), name);
    const std::string config = userFolder("XDG_CONFIG_HOME", ".config");
    std::string ignored;
    makeFolders(config, ignored);
    AppPaths paths = inFolder(config, name);
    // The main window creates it when it opens the database.
    paths.defaultDatabaseFolder = userFolder("XDG_DATA_HOME", ".local/share") + "/database";
    return paths;
}

std::string AppPaths::folder() const
{
    return parentOf(settingsFile);
}

std::string AppPaths::databaseFolder(const std::string& dbPath) const
{
    if (!dbPath.empty())
        return dbPath;
    if (!defaultDatabaseFolder.empty())
        return defaultDatabaseFolder;
    return folder() + "/database";
}

std::string currentExecutablePath()
{
    char buffer[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0)
        return "./quorvane";
    return std::string(buffer, static_cast<std::size_t>(n));
}

bool makeFolders(const std::string& path, std::string& error)
{
    if (path.empty())
        return true;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return true;
        error = path + " is not a folder";
        return false;
    }
    // Each missing level is made for its owner alone: the folders hold the
    // customers' names and addresses. Existing ones are left as they are.
    std::filesystem::path made;
    for (const std::filesystem::path& part : std::filesystem::path(path)) {
        made /= part;
        if (part.empty() || part == "/")
            continue;
        if (::mkdir(made.c_str(), 0700) == 0)
            continue;
        const int failure = errno;
        if (failure == EEXIST && ::stat(made.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            continue;
        error = "cannot create folder " + made.string() + ": "
                + (failure == EEXIST ? std::string("it is not a folder") : std::strerror(failure));
        return false;
    }
    return true;
}
