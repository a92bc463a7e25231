#include "Class/HistoryTrends.h"

#include "Class/TVXMowerLog.h"
#include "core/TVXStringTable.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct HistorySpec {
    TVXLogTime date;
    std::uint32_t serial = 1;
    std::array<std::uint32_t, 8> statistics {};
    std::vector<std::uint8_t> eventCodes;
};

// A history image written by hand: statistics 24-bit big-endian at 80 + 4i,
// events in 8-byte slots from 256, the write offset at 28 after the last one.
std::unique_ptr<TVXLog> makeHistory(const HistorySpec& spec)
{
    TVXLog::Image image {};
    for (std::size_t i = 0; i < spec.statistics.size(); ++i) {
        image[80 + 4 * i] = std::uint8_t(spec.statistics[i] >> 16);
        image[81 + 4 * i] = std::uint8_t(spec.statistics[i] >> 8);
        image[82 + 4 * i] = std::uint8_t(spec.statistics[i]);
    }
    for (std::size_t n = 0; n < spec.eventCodes.size(); ++n) {
        image[256 + 8 * n + 4] = spec.eventCodes[n];
        image[256 + 8 * n + 5] = 3;  // an alarm code, unused by the count
    }
    const std::size_t offset = 256 + 8 * spec.eventCodes.size();
    image[28] = std::uint8_t(offset >> 8);
    image[29] = std::uint8_t(offset);
    auto history = std::make_unique<TVXLog>(image);
    history->setDate(spec.date);
    history->setSerialNumber(spec.serial);
    return history;
}

class HistoryTrendsTest : public ::testing::Test {
protected:
    void SetUp() override { TVXStringTable::instance().setLanguage(0); }
    void TearDown() override { TVXStringTable::instance().setLanguage(0); }

    void add(const HistorySpec& spec)
    {
        auto history = makeHistory(spec);
        ASSERT_TRUE(record.insertLog(std::move(history)));
    }

    TVXMowerLog record;
};

TEST_F(HistoryTrendsTest, SeriesTakeTheirStatisticsLabelsAndUnits)
{
    add({TVXLogTime(2024, 5, 1, 10, 0, 0), 7, {1234, 567, 89, 0x123456, 4321, 50, 60, 70}, {}});
    const std::vector<TrendSeries> series = historyTrends(record);
    ASSERT_EQ(series.size(), 6u);

    const char* labels[] = {"Mowing time", "Charging Time", "Nb of cycles", "L Wheel dist.", "R Wheel dist.",
                            "Alarm"};
    const char* units[] = {"min", "min", "", "m", "m", ""};
    const double values[] = {1234, 567, 89, 0x123456, 4321, 0};
    for (std::size_t s = 0; s < series.size(); ++s) {
        SCOPED_TRACE(s);
        EXPECT_EQ(series[s].label, labels[s]);
        EXPECT_EQ(series[s].unit, units[s]);
        // A single history: one point, no serial change.
        ASSERT_EQ(series[s].points.size(), 1u);
        EXPECT_EQ(series[s].points[0].value, values[s]);
        EXPECT_EQ(series[s].points[0].date, TVXLogTime(2024, 5, 1, 10, 0, 0));
        EXPECT_FALSE(series[s].points[0].serialChanged);
    }

    TVXStringTable::instance().setLanguage(1);
    const std::vector<TrendSeries> french = historyTrends(record);
    EXPECT_EQ(french[0].label, TVXStringTable::instance().getMessageText(111));
    EXPECT_EQ(french[5].label, "Alarme");
    EXPECT_EQ(trendsCaption(), "Tendances");
    TVXStringTable::instance().setLanguage(4);
    EXPECT_EQ(trendsCaption(), "Verlauf");
}

TEST_F(HistoryTrendsTest, EmptyRecordGivesEmptySeries)
{
    const std::vector<TrendSeries> series = historyTrends(record);
    ASSERT_EQ(series.size(), 6u);
    for (const TrendSeries& one : series)
        EXPECT_TRUE(one.points.empty());
}

TEST_F(HistoryTrendsTest, PointsFollowDatesNotInsertionOrder)
{
    // Inserted newest first, then one in between, then one across a year.
    add({TVXLogTime(2024, 3, 1, 9, 0, 0), 1, {300}, {}});
    add({TVXLogTime(2023, 12, 31, 23, 59, 59), 1, {100}, {}});
    add({TVXLogTime(2024, 1, 15, 8, 0, 0), 1, {200}, {}});
    const std::vector<TrendSeries> series = historyTrends(record);
    ASSERT_EQ(series[0].points.size(), 3u);
    EXPECT_EQ(series[0].points[0].value, 100);
    EXPECT_EQ(series[0].points[1].value, 200);
    EXPECT_EQ(series[0].points[2].value, 300);
    EXPECT_EQ(series[0].points[0].date, TVXLogTime(2023, 12, 31, 23, 59, 59));
    EXPECT_EQ(series[0].points[2].date, TVXLogTime(2024, 3, 1, 9, 0, 0));
}

TEST_F(HistoryTrendsTest, ReplacedBoardMarksEachSerialChangeInDateOrder)
{
    // Board A, replaced by B, whose reading dated earlier was inserted last;
    // then A again (the old board refitted).
    add({TVXLogTime(2024, 4, 1, 0, 0, 0), 0xB, {40}, {}});
    add({TVXLogTime(2024, 1, 1, 0, 0, 0), 0xA, {10}, {}});
    add({TVXLogTime(2024, 2, 1, 0, 0, 0), 0xA, {20}, {}});
    add({TVXLogTime(2024, 5, 1, 0, 0, 0), 0xA, {50}, {}});
    add({TVXLogTime(2024, 3, 1, 0, 0, 0), 0xB, {30}, {}});
    const std::vector<TrendSeries> series = historyTrends(record);
    for (const TrendSeries& one : series) {
        ASSERT_EQ(one.points.size(), 5u);
        const bool changes[] = {false, false, true, false, true};
        for (std::size_t p = 0; p < 5; ++p) {
            EXPECT_EQ(one.points[p].serialChanged, changes[p]) << one.label << " point " << p;
            if (p > 0)
                EXPECT_LT(one.points[p - 1].date, one.points[p].date);
        }
    }
    for (std::size_t p = 0; p < 5; ++p)
        EXPECT_EQ(series[0].points[p].value, 10.0 * (p + 1));
}

TEST_F(HistoryTrendsTest, AlarmsCountOnlyEventCodeFive)
{
    add({TVXLogTime(2024, 1, 1, 0, 0, 0), 1, {}, {}});
    add({TVXLogTime(2024, 2, 1, 0, 0, 0), 1, {}, {5, 1, 5, 4, 6, 5, 0, 12}});
    add({TVXLogTime(2024, 3, 1, 0, 0, 0), 1, {}, {1, 2, 3, 4}});
    const std::vector<TrendSeries> series = historyTrends(record);
    const TrendSeries& alarms = series.back();
    ASSERT_EQ(alarms.points.size(), 3u);
    EXPECT_EQ(alarms.points[0].value, 0);
    EXPECT_EQ(alarms.points[1].value, 3);
    EXPECT_EQ(alarms.points[2].value, 0);
}

TEST_F(HistoryTrendsTest, AlarmsOfAWrappedRingCountEverySlot)
{
    TVXLog::Image image {};
    for (std::size_t n = 0; n < TVXLog::EventSlots; ++n)
        image[256 + 8 * n + 4] = n % 4 == 0 ? 5 : 2;
    image[28] = 0x80 | (1000 >> 8);  // wrapped, writing at 1000
    image[29] = std::uint8_t(1000);
    auto history = std::make_unique<TVXLog>(image);
    history->setDate(TVXLogTime(2024, 6, 1, 0, 0, 0));
    ASSERT_TRUE(record.insertLog(std::move(history)));
    EXPECT_EQ(historyTrends(record).back().points.at(0).value, TVXLog::EventSlots / 4);
}

TEST_F(HistoryTrendsTest, StatisticsUseAllTwentyFourBits)
{
    add({TVXLogTime(2024, 1, 1, 0, 0, 0), 1, {0xFFFFFF, 0, 0, 0x800000, 1}, {}});
    const std::vector<TrendSeries> series = historyTrends(record);
    EXPECT_EQ(series[0].points[0].value, 0xFFFFFF);
    EXPECT_EQ(series[3].points[0].value, 0x800000);
    EXPECT_EQ(series[4].points[0].value, 1);
}

}  // namespace
