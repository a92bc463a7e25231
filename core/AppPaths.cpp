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

std::string userConfigFolder()
{
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/')
        return std::string(xdg) + "/quorvane";
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return std::string(home) + "/.config/quorvane";
    return "/tmp/quorvane";
}

}  // namespace

AppPaths AppPaths::inFolder(const std::string& folder, const std::string& baseName)
{
    return {folder + "/" + baseName + ".INI", folder + "/" + baseName + ".log"};
}

AppPaths AppPaths::forExecutable(const std::string& executablePath)
{
    const std::string folder = parentOf(executablePath);
    const std::string name = std::filesystem::path(executablePath).stem().string();
    if (::access(folder.c_str(), W_OK) == 0)
        return inFolder(folder, name);
    const std::string config = userConfigFolder();
    std::string ignored;
    makeFolders(config, ignored);
    return inFolder(config, name);
}

std::string AppPaths::folder() const
{
    return parentOf(settingsFile);
}

std::string AppPaths::databaseFolder(const std::string& dbPath) const
{
    if (!dbPath.empty())
        return dbPath;
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
    std::error_code failure;
    std::filesystem::create_directories(path, failure);
    if (failure) {
        error = "cannot create folder " + path + ": " + failure.message();
        return false;
    }
    return true;
}
