#include "core/AppPaths.h"
#include "core/AppSettings.h"
#include "core/IniFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

AppSettings readSettings(const TempDir& dir, const std::string& content)
{
    dir.write("q.INI", content);
    IniFile ini;
    std::string error;
    EXPECT_TRUE(ini.open(dir.file("q.INI"), error)) << error;
    AppSettings settings;
    settings.readFrom(ini);
    return settings;
}

TEST(IniFile, IntegersAreDecimalOrHexAndAnythingElseIsNoNumber)
{
    int v = 0;
    EXPECT_TRUE(IniFile::parseInteger("775", v));
    EXPECT_EQ(v, 775);
    EXPECT_TRUE(IniFile::parseInteger(" -12 ", v));
    EXPECT_EQ(v, -12);
    EXPECT_TRUE(IniFile::parseInteger("0x1F", v));
    EXPECT_EQ(v, 31);
    EXPECT_TRUE(IniFile::parseInteger("0XfF", v));
    EXPECT_EQ(v, 255);
    for (const char* bad : {"", "abc", "12abc", "0x", "0xG1", "1.5", "99999999999", "--1", "0x123456789"})
        EXPECT_FALSE(IniFile::parseInteger(bad, v)) << bad;
}

TEST(AppSettings, AMissingFileGivesEveryDefault)
{
    TempDir dir;
    IniFile ini;
    std::string error;
    ASSERT_TRUE(ini.open(dir.file("none.INI"), error));
    AppSettings s;
    s.readFrom(ini);
    EXPECT_EQ(s.height, 775);
    EXPECT_EQ(s.width, 668);
    EXPECT_EQ(s.top, 130);
    EXPECT_EQ(s.left, 200);
    EXPECT_EQ(s.language, 1);
    EXPECT_FALSE(s.sortByName);
    EXPECT_EQ(s.dbPath, "");
    EXPECT_EQ(s.port, "COM1");
    EXPECT_TRUE(s.autoScan);
}

TEST(AppSettings, GarbageAndMissingKeysFallBackOneByOne)
{
    TempDir dir;
    const AppSettings s = readSettings(dir,
                                       "[MainForm]\r\nHeight=abc\r\nWidth=0x200\r\nTop=\r\n"
                                       "[GENERAL]\r\nLANGUAGE=259\r\nSORTBYNAME=7\r\n"
                                       "[COM]\r\nAUTO=0\r\nPORT=/dev/ttyUSB0\r\nBOGUS=1\r\n");
    EXPECT_EQ(s.height, 775);
    EXPECT_EQ(s.width, 512);
    EXPECT_EQ(s.top, 130);
    EXPECT_EQ(s.left, 200);
    EXPECT_EQ(s.language, 3);  // kept in eight bits
    EXPECT_TRUE(s.sortByName);
    EXPECT_FALSE(s.autoScan);
    EXPECT_EQ(s.port, "/dev/ttyUSB0");
}

TEST(AppSettings, PathsKeepBackslashesAndWindows1252Bytes)
{
    TempDir dir;
    const AppSettings s = readSettings(dir, "[FILEPATH]\nDBPATH=C:\\base\\donn\xe9" "es\n");
    EXPECT_EQ(s.dbPath, "C:\\base\\donn\xe9" "es");
}

TEST(AppSettings, RewriteKeepsCommentsUnknownSectionsAndDbPathButWritesNoDbPath)
{
    TempDir dir;
    dir.write("q.INI", "; dealer's note\n[Extra]\nmine=keep me\n[FILEPATH]\nDBPATH=/data/mowers\n"
                       "[general]\nLANGUAGE=4\n");
    IniFile ini;
    std::string error;
    ASSERT_TRUE(ini.open(dir.file("q.INI"), error));
    AppSettings s;
    s.readFrom(ini);
    EXPECT_EQ(s.language, 4);  // section names match whatever their case
    s.height = 800;
    s.writeTo(ini);
    ASSERT_TRUE(ini.save());

    const std::string written = dir.read("q.INI");
    EXPECT_NE(written.find("; dealer's note"), std::string::npos);
    EXPECT_NE(written.find("mine=keep me"), std::string::npos);
    EXPECT_NE(written.find("DBPATH=/data/mowers"), std::string::npos);
    EXPECT_NE(written.find("Height=800"), std::string::npos);

    TempDir fresh;
    IniFile empty;
    ASSERT_TRUE(empty.open(fresh.file("new.INI"), error));
    AppSettings().writeTo(empty);
    ASSERT_TRUE(empty.save());
    const std::string defaults = fresh.read("new.INI");
    for (const char* line : {"[MainForm]", "Height=775", "Width=668", "Top=130", "Left=200", "[GENERAL]",
                             "LANGUAGE=1", "SORTBYNAME=0", "[COM]", "PORT=COM1", "AUTO=1"})
        EXPECT_NE(defaults.find(line), std::string::npos) << line;
    EXPECT_EQ(defaults.find("DBPATH"), std::string::npos);
    EXPECT_EQ(defaults.find("FILEPATH"), std::string::npos);
}

TEST(AppPaths, AnEmptyDbPathMeansTheDatabaseFolderBesideTheSettings)
{
    const AppPaths paths = AppPaths::inFolder("/opt/q");
    EXPECT_EQ(paths.settingsFile, "/opt/q/quorvane.INI");
    EXPECT_EQ(paths.logFile, "/opt/q/quorvane.log");
    EXPECT_EQ(paths.databaseFolder(""), "/opt/q/database");
    EXPECT_EQ(paths.databaseFolder("/srv/db"), "/srv/db");
    EXPECT_EQ(AppPaths::forExecutable("/tmp/quorvane").settingsFile, "/tmp/quorvane.INI");
}

}  // namespace

namespace {

TEST(IniFile, AFileThatCannotBeReadWholeIsNeverWrittenOver)
{
    TempDir dir;
    // Over the bound: a dealer's file with a huge comment block is still his.
    const std::string large = "[FILEPATH]\nDBPATH=/dealer/db\n;" + std::string(5 * 1024 * 1024, 'x') + "\n";
    dir.write("large.INI", large);
    mkfifo(dir.file("pipe.INI").c_str(), 0644);
    for (const char* name : {"large.INI", "pipe.INI"}) {
        IniFile ini;
        std::string error;
        EXPECT_FALSE(ini.open(dir.file(name), error)) << name;
        EXPECT_FALSE(ini.readable());
        EXPECT_NE(error.find(name), std::string::npos) << error;
        AppSettings settings;
        settings.readFrom(ini);
        EXPECT_EQ(settings.dbPath, AppSettings().dbPath) << "the run goes on with the defaults";
        settings.writeTo(ini);
        const WriteResult saved = ini.save();
        EXPECT_FALSE(saved);
        EXPECT_NE(saved.error.find("left as it was"), std::string::npos) << saved.error;
    }
    EXPECT_EQ(dir.read("large.INI"), large);

    // A file just under the new bound is an ordinary settings file.
    dir.write("big.INI", "[COM]\nPORT=/dev/ttyUSB3\n;" + std::string(3 * 1024 * 1024, 'x') + "\n");
    IniFile ini;
    std::string error;
    EXPECT_TRUE(ini.open(dir.file("big.INI"), error)) << error;
    EXPECT_EQ(ini.readString("COM", "PORT", ""), "/dev/ttyUSB3");
    EXPECT_TRUE(ini.save());
}

}  // namespace
