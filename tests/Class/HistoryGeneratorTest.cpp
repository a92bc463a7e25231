// The generated history images that the simulator serves and the sample
// database files, read back through the history's own decoding.
#include "Class/HistoryGenerator.h"
#include "Class/HistoryRender.h"
#include "core/TVXStringTable.h"

#include <gtest/gtest.h>

#include <set>
#include <tuple>

namespace {

constexpr std::uint8_t KnownTypes[] = {1, 4, 5, 7, 9, 10, 11, 13};

TVXLog historyOf(const ImageRecipe& recipe)
{
    TVXLog history(generateHistoryImage(recipe));
    history.setTypeByte(recipe.typeByte);
    return history;
}

int fromBcd(std::uint8_t value)
{
    return (value >> 4) > 9 || (value & 15) > 9 ? -1 : (value >> 4) * 10 + (value & 15);
}

}  // namespace

TEST(HistoryGenerator, TheRingHoldsExactlyTheEventsAskedFor)
{
    for (const int events : {0, 1, 2, 3, 23, 24, 40, 400, 992}) {
        ImageRecipe recipe;
        recipe.events = events;
        const TVXLog history = historyOf(recipe);
        EXPECT_EQ(history.getEventCount(), events);
        EXPECT_EQ(history.getWriteOffset(), 256 + 8 * events);  // not wrapped
    }
    ImageRecipe tooMany;
    tooMany.events = 5000;
    EXPECT_EQ(historyOf(tooMany).getEventCount(), 992);
}

TEST(HistoryGenerator, FromTwentyFourEventsOnEveryCodeAppears)
{
    for (const std::uint8_t type : KnownTypes) {
        for (std::uint64_t seed = 1; seed <= 30; ++seed) {
            for (const int events : {24, 31, 120, 400}) {
                ImageRecipe recipe;
                recipe.typeByte = static_cast<std::uint8_t>(0x20 | type);
                recipe.mowerSeed = seed * 7;
                recipe.historySeed = seed;
                recipe.events = events;
                std::set<std::uint8_t> codes;
                for (const HistFrame& event : historyOf(recipe).getEvents())
                    codes.insert(event.eventCode);
                ASSERT_EQ(codes.size(), 13u) << "type " << int(type) << " seed " << seed << " events " << events;
                ASSERT_EQ(*codes.rbegin(), 12);
            }
        }
    }
}

TEST(HistoryGenerator, EventsAreDatedInOrderUpToTheVisit)
{
    for (std::uint64_t seed = 1; seed <= 40; ++seed) {
        ImageRecipe recipe;
        recipe.mowerSeed = recipe.historySeed = seed;
        recipe.events = 400;
        recipe.readAt = TVXLogTime(2016, 8, 3, 14, 30, 0);
        const std::vector<HistFrame> events = historyOf(recipe).getEvents();
        ASSERT_EQ(events.size(), 400u);
        std::tuple<int, int, int> previous {0, 0, 0};
        for (const HistFrame& e : events) {
            const int day = fromBcd(e.date1), month = fromBcd(e.date2), hour = fromBcd(e.time1), minute = fromBcd(e.time2);
            ASSERT_TRUE(day >= 1 && day <= 31 && month >= 3 && month <= 8 && hour >= 0 && hour < 24 && minute >= 0
                        && minute < 60)
                << int(e.date1) << " " << int(e.date2) << " " << int(e.time1) << " " << int(e.time2);
            const std::tuple<int, int, int> at {month, day, hour * 60 + minute};
            ASSERT_LE(previous, at) << "seed " << seed;
            previous = at;
        }
        // Switched off at home, on again at the dealer's just before the reading.
        EXPECT_EQ(events[398].eventCode, 7);
        EXPECT_LT(std::make_tuple(fromBcd(events[398].date2), fromBcd(events[398].date1)), std::make_tuple(8, 3));
        EXPECT_EQ(events[399].eventCode, 6);
        EXPECT_EQ(events[399].date1, 0x03);
        EXPECT_EQ(events[399].date2, 0x08);
        EXPECT_LE(fromBcd(events[399].time1) * 60 + fromBcd(events[399].time2), 14 * 60 + 30);
    }
}

TEST(HistoryGenerator, AlarmsNameAHeadOrAnAlarmOfTheCatalogueOnEveryType)
{
    std::set<std::uint8_t> seen;
    for (const std::uint8_t type : KnownTypes) {
        const auto typeByte = static_cast<std::uint8_t>(0x20 | type);
        for (std::uint64_t seed = 1; seed <= 20; ++seed) {
            ImageRecipe recipe;
            recipe.typeByte = typeByte;
            recipe.mowerSeed = recipe.historySeed = seed;
            recipe.events = 400;
            for (const HistFrame& e : historyOf(recipe).getEvents()) {
                if (e.eventCode != 5)
                    continue;
                seen.insert(e.extra);
                const std::uint8_t index = alarmIndex(e.extra, typeByte);
                EXPECT_NE(index, 0) << "a head alarm without a head, type " << int(type);
                EXPECT_LT(index, TVXStringTable::AlarmCount);
                // The shifted types' head masks lose no bit in the shift.
                if (e.extra < 32 && type == 5)
                    EXPECT_EQ(e.extra & 0x01, 0);
                if (e.extra < 32 && type == 11)
                    EXPECT_EQ(e.extra & 0x03, 0);
            }
        }
    }
    EXPECT_GE(seen.size(), 40u);
}

TEST(HistoryGenerator, AMowerKeepsItsSettingsWhileItsCountersGrow)
{
    ImageRecipe first;
    first.mowerSeed = 42;
    first.historySeed = 1;
    first.daysInService = 365;
    ImageRecipe later = first;
    later.historySeed = 2;
    later.daysInService = 3 * 365;
    const TVXLog a = historyOf(first);
    const TVXLog b = historyOf(later);
    EXPECT_EQ(generateHistoryImage(first), a.getImage());  // nothing left to chance

    EXPECT_EQ(a.getOptionFlags(), b.getOptionFlags());
    int changedParameters = 0;
    for (std::size_t i = 0; i < TVXLog::ParameterCount; ++i)
        changedParameters += a.getParameter(i) != b.getParameter(i);
    EXPECT_LE(changedParameters, 2);
    for (std::size_t i = 0; i < TVXLog::SetupByteCount; ++i)
        EXPECT_EQ(a.getSetupByte(i), b.getSetupByte(i));
    for (std::size_t r = 0; r < TVXLog::RangeCount; ++r)
        EXPECT_EQ(a.getRange(r), b.getRange(r));
    for (const std::size_t counter : {0u, 1u, 2u, 3u, 4u, 7u})
        EXPECT_GT(b.getStatistic(counter), a.getStatistic(counter)) << counter;
    EXPECT_NE(a.getEvents(), b.getEvents());

    // Capacities stay below the battery's full scale; an old mower's counters saturate.
    ImageRecipe old = first;
    old.typeByte = 0x25;  // the smaller battery
    old.daysInService = 25 * 365;
    const TVXLog c = historyOf(old);
    EXPECT_LT(c.getStatistic(5), 4784128u);
    EXPECT_LE(c.getStatistic(6), c.getStatistic(5));
    EXPECT_LE(c.getStatistic(3), 0xFFFFFFu);

    std::set<std::uint8_t> options;
    for (std::uint64_t seed = 1; seed <= 50; ++seed) {
        ImageRecipe other = first;
        other.mowerSeed = seed;
        const TVXLog h = historyOf(other);
        options.insert(h.getOptionFlags());
        for (std::size_t r = 0; r < TVXLog::RangeCount; ++r) {
            const SleepRange range = h.getRange(r);
            EXPECT_LE(range.start, range.end);
            EXPECT_LE(range.end, 144);
            EXPECT_EQ(range.weekdays & 0x01, 0);  // bit 0 is no weekday
        }
    }
    EXPECT_GE(options.size(), 10u);
}
