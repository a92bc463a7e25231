#pragma once

#include <string>

// Where the settings file, the trace log and the database live.
struct AppPaths {
    std::string settingsFile;  // ".../quorvane.INI"
    std::string logFile;       // ".../quorvane.log"

    // Beside the executable when that folder is writable, otherwise in the
    // user's configuration folder ($XDG_CONFIG_HOME/quorvane, created on demand).
    static AppPaths forExecutable(const std::string& executablePath);
    // Both files in the given folder.
    static AppPaths inFolder(const std::string& folder, const std::string& baseName = "quorvane");

    std::string folder() const;
    // The database folder a DBPATH names; an empty DBPATH means "database"
    // beside the settings file.
    std::string databaseFolder(const std::string& dbPath) const;
};

// The running program's own path.
std::string currentExecutablePath();
// Creates a folder and its parents; false with the reason when that fails.
bool makeFolders(const std::string& path, std::string& error);
