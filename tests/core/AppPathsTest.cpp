#include "core/AppPaths.h"
#include "support/ChildChecks.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <grp.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Sets (or, with nullopt, removes) an environment variable for one test and
// puts the old value back afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::optional<std::string>& value)
        : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        set(value);
    }
    ~ScopedEnv() { set(old_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    void set(const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(name_, value->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    const char* name_;
    std::optional<std::string> old_;
};

TEST(AppPaths, AWritableProgramFolderKeepsSettingsLogAndDatabaseBesideTheProgram)
{
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.file("config"));
    ScopedEnv data("XDG_DATA_HOME", dir.file("data"));

    const AppPaths paths = AppPaths::forExecutable("/work/build/quorvane", true);
    EXPECT_EQ(paths.settingsFile, "/work/build/quorvane.INI");
    EXPECT_EQ(paths.logFile, "/work/build/quorvane.log");
    EXPECT_EQ(paths.databaseFolder(""), "/work/build/database");
    EXPECT_EQ(paths.databaseFolder("/srv/mowers"), "/srv/mowers");
    // The program's own name names the files (a renamed copy keeps its own).
    EXPECT_EQ(AppPaths::forExecutable("/opt/q/quorvane-old", true).settingsFile, "/opt/q/quorvane-old.INI");
    EXPECT_FALSE(fs::exists(dir.file("config"))) << "nothing is created in the user's folders";
    EXPECT_FALSE(fs::exists(dir.file("data")));
}

TEST(AppPaths, AnInstalledProgramKeepsSettingsInTheConfigFolderAndTheDatabaseInTheDataFolder)
{
    TempDir dir;
    {
        ScopedEnv config("XDG_CONFIG_HOME", dir.file("config"));
        ScopedEnv data("XDG_DATA_HOME", dir.file("data"));
        const AppPaths paths = AppPaths::forExecutable("/usr/bin/quorvane", false);
        EXPECT_EQ(paths.settingsFile, dir.file("config/quorvane/quorvane.INI"));
        EXPECT_EQ(paths.logFile, dir.file("config/quorvane/quorvane.log"));
        EXPECT_EQ(paths.databaseFolder(""), dir.file("data/quorvane/database"));
        // A DBPATH the dealer set still wins.
        EXPECT_EQ(paths.databaseFolder("/srv/mowers"), "/srv/mowers");
        // The settings file can be written at once; the database folder is the
        // main window's to create.
        EXPECT_TRUE(fs::is_directory(dir.file("config/quorvane")));
        EXPECT_FALSE(fs::exists(dir.file("data")));
    }
    {
        // Without the XDG variables, or with relative ones (which the XDG rules
        // say to ignore): the folders under $HOME.
        ScopedEnv home("HOME", dir.file("home"));
        for (const std::optional<std::string>& xdg : {std::optional<std::string>(), std::optional<std::string>("rel")}) {
            ScopedEnv config("XDG_CONFIG_HOME", xdg);
            ScopedEnv data("XDG_DATA_HOME", xdg);
            const AppPaths paths = AppPaths::forExecutable("/usr/bin/quorvane", false);
            EXPECT_EQ(paths.settingsFile, dir.file("home/.config/quorvane/quorvane.INI"));
            EXPECT_EQ(paths.logFile, dir.file("home/.config/quorvane/quorvane.log"));
            EXPECT_EQ(paths.databaseFolder(""), dir.file("home/.local/share/quorvane/database"));
        }
        EXPECT_FALSE(fs::exists("rel")) << "a relative XDG variable made a folder in the working folder";
    }
}

TEST(AppPaths, InFolderKeepsTheDatabaseBesideTheSettingsWhatEverTheEnvironmentSays)
{
    ScopedEnv data("XDG_DATA_HOME", "/elsewhere");
    const AppPaths paths = AppPaths::inFolder("/opt/q", "q");
    EXPECT_EQ(paths.settingsFile, "/opt/q/q.INI");
    EXPECT_EQ(paths.databaseFolder(""), "/opt/q/database");
}

// The real look-up, by an ordinary user (root may write anywhere): a program
// folder he cannot write, as /usr/bin, sends him to his own folders; one he
// can write keeps everything beside the program.
TEST(AppPaths, TheProgramFolderIsLookedUpForWhoRunsTheProgram)
{
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    for (const char* folder : {"bin", "build", "home"})
        fs::create_directory(dir.file(folder));
    ASSERT_EQ(::chmod(dir.file("bin").c_str(), 0555), 0);
    ASSERT_EQ(::chmod(dir.file("build").c_str(), 0777), 0);
    ASSERT_EQ(::chmod(dir.file("home").c_str(), 0777), 0);

    const std::string failed = failedChecksInChild(std::nullopt, [&] {
        if (::geteuid() == 0
            && (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0))
            return std::vector<NamedCheck> {{"dropping to uid 65534", false}};
        ::setenv("HOME", dir.file("home").c_str(), 1);
        ::unsetenv("XDG_CONFIG_HOME");
        ::unsetenv("XDG_DATA_HOME");
        const AppPaths installed = AppPaths::forExecutable(dir.file("bin/quorvane"));
        const AppPaths built = AppPaths::forExecutable(dir.file("build/quorvane"));
        return std::vector<NamedCheck> {
            {"installed: settings " + installed.settingsFile,
             installed.settingsFile == dir.file("home/.config/quorvane/quorvane.INI")},
            {"installed: database " + installed.databaseFolder(""),
             installed.databaseFolder("") == dir.file("home/.local/share/quorvane/database")},
            {"installed: the configuration folder is made", fs::is_directory(dir.file("home/.config/quorvane"))},
            {"built: settings " + built.settingsFile, built.settingsFile == dir.file("build/quorvane.INI")},
            {"built: database " + built.databaseFolder(""), built.databaseFolder("") == dir.file("build/database")},
        };
    });
    EXPECT_EQ(failed, "");
}

// The folders the program makes hold customers' names and addresses: each
// level it makes is its owner's alone, whatever the umask; what existed stays.
TEST(AppPaths, FoldersAreMadeForTheirOwnerAlone)
{
    TempDir dir;
    ASSERT_EQ(::chmod(dir.path().c_str(), 0755), 0);
    const mode_t umaskBefore = ::umask(0);
    std::string error;
    EXPECT_TRUE(makeFolders(dir.file("data/quorvane/database/"), error)) << error;
    ScopedEnv config("XDG_CONFIG_HOME", dir.file("config"));
    AppPaths::forExecutable("/usr/bin/quorvane", false);
    ::umask(umaskBefore);
    auto modeOf = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 07777;
    };
    for (const char* made : {"data", "data/quorvane", "data/quorvane/database", "config", "config/quorvane"})
        EXPECT_EQ(modeOf(dir.file(made)), 0700u) << made;
    EXPECT_EQ(modeOf(dir.path()), 0755u);

    // A file where a folder should be is said, not written over.
    std::ofstream(dir.file("data/plain")) << "x";
    EXPECT_FALSE(makeFolders(dir.file("data/plain/database"), error));
    EXPECT_NE(error.find("data/plain"), std::string::npos) << error;
    EXPECT_TRUE(makeFolders(dir.file("data/quorvane"), error)) << "an existing folder is fine";
}

}  // namespace
