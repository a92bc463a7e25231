#include "core/AppPaths.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string parentOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseNameWithoutExtension(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    return name;
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
    const std::string name = baseNameWithoutExtension(executablePath);
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
    const std::string parent = parentOf(path);
    if (parent != path && !makeFolders(parent, error))
        return false;
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
        error = "cannot create folder " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}
