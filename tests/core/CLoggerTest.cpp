#include "core/CLogger.h"
#include "core/Clock.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class SteppingClock : public Clock {
public:
    LocalTime time {2026, 12, 8, 14, 5, 33, 27};
    void sleep(unsigned) override {}
    void sleepMicros(unsigned) override {}
    LocalTime now() override { return time; }
    std::uint64_t monotonicMicros() override { return 0; }
};

class CLoggerTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        // Release without writing anywhere that matters.
        CLogger::instance().open(dir.file("teardown.log"));
        testing::internal::CaptureStdout();
        CLogger::releaseInstance();
        testing::internal::GetCapturedStdout();
    }
    CLogger& freshLogger()
    {
        CLogger& logger = CLogger::instance();
        logger.setClock(&clock);
        return logger;
    }
    void SetUp() override { dir.write("teardown.log", ""); }

    TempDir dir;
    SteppingClock clock;
};

TEST_F(CLoggerTest, LinesHaveFixedPositions)
{
    CLogger& logger = freshLogger();
    dir.write("q.log", "");
    logger.open(dir.file("q.log"));
    logger.log("Starting program");
    clock.time = {2026, 1, 2, 3, 4, 5, 6};
    logger.log("x");
    logger.save();
    EXPECT_EQ(dir.read("q.log"), "08/12 14H05m33s27 : Starting program\n02/01 03H04m05s06 : x\n");
    EXPECT_TRUE(logger.entries().empty());
}

TEST_F(CLoggerTest, KeepsTheNewestHundredOldestFirst)
{
    CLogger& logger = freshLogger();
    dir.write("q.log", "");
    logger.open(dir.file("q.log"));
    for (int i = 0; i < 120; ++i)
        logger.log("line " + std::to_string(i));
    ASSERT_EQ(logger.entries().size(), 100u);
    EXPECT_EQ(logger.entries().front().text, "line 20");
    EXPECT_EQ(logger.entries().back().text, "line 119");
}

TEST_F(CLoggerTest, LoadingSkipsBadLinesAndTheUnterminatedLast)
{
    std::string content = "08/12 14H05m33s27 : good one\n"
                          "08/12 14Habm33s27 : letters in the minutes\n"
                          "short\n"
                          "\n"
                          "09/12 01H02m03s04 : crlf line\r\n"
                          "10/12 01H02m03s04 : ";
    content += std::string("\0\xff\x01junk", 7) + "\n";
    content += "11/12 01H02m03s04 : no final line feed";
    dir.write("q.log", content);

    CLogger& logger = freshLogger();
    logger.open(dir.file("q.log"));
    ASSERT_EQ(logger.entries().size(), 3u);
    EXPECT_EQ(logger.entries()[0].text, "good one");
    EXPECT_EQ(logger.entries()[1].text, "crlf line");
    EXPECT_EQ(logger.entries()[2].text, std::string("\0\xff\x01junk", 7));
    EXPECT_EQ(logger.entries()[0].minute, 5);
    EXPECT_EQ(logger.entries()[0].hundredths, 27);
}

TEST_F(CLoggerTest, LoadingDoesNotTrimTheFileToTheLimitButLoggingDoes)
{
    std::string content;
    for (int i = 0; i < 150; ++i)
        content += "01/01 00H00m00s00 : old " + std::to_string(i) + "\n";
    dir.write("q.log", content);
    CLogger& logger = freshLogger();
    logger.open(dir.file("q.log"));
    EXPECT_EQ(logger.entries().size(), 150u);
    logger.log("new");
    EXPECT_EQ(logger.entries().size(), 100u);
    EXPECT_EQ(logger.entries().back().text, "new");
}

TEST_F(CLoggerTest, LongLinesAreKeptUpToABoundAndFollowingLinesStillRead)
{
    const std::string longText(1000, 'a');
    const std::string hugeText(100000, 'b');
    dir.write("q.log", "01/01 00H00m00s00 : " + longText + "\n01/01 00H00m00s00 : " + hugeText
                           + "\n01/01 00H00m00s01 : after\n");
    CLogger& logger = freshLogger();
    logger.open(dir.file("q.log"));
    ASSERT_EQ(logger.entries().size(), 3u);
    EXPECT_EQ(logger.entries()[0].text, longText);
    EXPECT_LT(logger.entries()[1].text.size(), 5000u);
    EXPECT_EQ(logger.entries()[2].text, "after");
}

TEST_F(CLoggerTest, TheYearIsNotWrittenSoDayAndMonthSurviveANewYear)
{
    CLogger& logger = freshLogger();
    dir.write("q.log", "");
    logger.open(dir.file("q.log"));
    clock.time = {2026, 12, 31, 23, 59, 59, 99};
    logger.log("last of the year");
    logger.save();

    clock.time = {2027, 1, 2, 8, 0, 0, 0};
    logger.open(dir.file("q.log"));
    logger.log("next year");
    logger.save();
    EXPECT_EQ(dir.read("q.log"), "31/12 23H59m59s99 : last of the year\n02/01 08H00m00s00 : next year\n");
}

TEST_F(CLoggerTest, OpenFailsOnAMissingFileButRemembersThePath)
{
    CLogger& logger = freshLogger();
    try {
        logger.open(dir.file("missing.log"));
        FAIL() << "open of a missing file succeeded";
    } catch (const CLoggerError& e) {
        EXPECT_STREQ(e.what(), "cannot open/create file log on opening");
    }
    logger.log("first");
    logger.save();
    EXPECT_NE(dir.read("missing.log").find("first"), std::string::npos);
}

TEST_F(CLoggerTest, AFailedSaveKeepsTheEntriesAndTheOldFile)
{
    CLogger& logger = freshLogger();
    mkdir(dir.file("sub").c_str(), 0755);
    EXPECT_THROW(logger.open(dir.file("sub")), CLoggerError);  // a folder is no log file
    logger.log("kept");
    EXPECT_THROW(logger.save(), CLoggerError);
    EXPECT_EQ(logger.entries().size(), 1u);
}

TEST_F(CLoggerTest, ReleaseSaysGoodbyeOnStandardOutputAndWritesTheFile)
{
    CLogger& logger = freshLogger();
    dir.write("q.log", "");
    logger.open(dir.file("q.log"));
    logger.log("bye");
    testing::internal::CaptureStdout();
    CLogger::releaseInstance();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Appel du destructeur\n");
    EXPECT_EQ(dir.read("q.log"), "08/12 14H05m33s27 : bye\n");
    // A new logger starts empty.
    EXPECT_TRUE(CLogger::instance().entries().empty());
}

}  // namespace
