#pragma once

#include <string>

// Where the settings file, the trace log and the database live.
struct AppPaths {
    std::string settingsFile;  // ".../quorvane.INI"
    std::string logFile;       // ".../quorvane.log"
    // Where an empty DBPATH puts the database; when empty, "database" beside
    // the settings file.
    std::string defaultDatabaseFolder;

    // Beside the executable when that folder is writable (a build folder, a
    // dealer's own copy): settings, log and database/ all there. Otherwise (an
    // installed program in /usr/bin) settings and log in the user's
    // configuration folder ($XDG_CONFIG_HOME/quorvane, created on demand) and
    // the database in $XDG_DATA_HOME/quorvane/database.
    static AppPaths forExecutable(const std::string& executablePath);
    // The same choice with the folder's writability given, not looked up.
    static AppPaths forExecutable(const std::string& executablePath, bool folderWritable);
    // Both files in the given folder.
    static AppPaths inFolder(const std::string& folder, const std::string& baseName = "quorvane");

    std::string folder() const;
    // The database folder a DBPATH names; an empty DBPATH means the default
    // database folder.
    std::string databaseFolder(const std::string& dbPath) const;
};

// The running program's own path.
std::string currentExecutablePath();
// Creates a folder and its missing parents, each for its owner alone (0700);
// false with the reason when that fails.
bool makeFolders(const std::string& path, std::string& error);
