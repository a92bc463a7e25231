#include "Class/HistoryGenerator.h"

#include "Class/ByteIO.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

std::uint64_t SampleRandom::next()
{
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int SampleRandom::between(int lo, int hi)
{
    if (hi <= lo)
        return lo;
    const std::uint64_t span = static_cast<std::uint64_t>(std::int64_t(hi) - lo) + 1;
    return static_cast<int>(lo + static_cast<std::int64_t>(next() % span));
}

std::uint64_t SampleRandom::derive(std::uint64_t seed, std::uint64_t label)
{
    SampleRandom mixed(seed ^ (label * 0xD1B54A32D192ED03ull + 0x2545F4914F6CDD1Dull));
    mixed.next();
    return mixed.next();
}

namespace {

namespace chr = std::chrono;

enum EventCode : std::uint8_t {
    StartCharging = 0,
    EndCharging = 1,
    OpenBonnet = 2,
    StationCapture = 3,
    StationSeeking = 4,
    Alarm = 5,
    SwitchOn = 6,
    SwitchOff = 7,
    StartWorking = 8,
    RestOnStation = 9,
    AbortCapture = 10,
    SoftwareUpdate = 11,
    UnloadBalls = 12,
};
constexpr int EventCodeCount = 13;

// From this many events on, an image shows every event code.
constexpr int EveryCodeFrom = 24;

constexpr std::size_t RingStart = 256;
constexpr int MinutesPerDay = 24 * 60;
constexpr int LastMinute = MinutesPerDay - 1;
constexpr std::uint32_t Max24 = 0xFFFFFF;

struct Event {
    int day = 0;     // days since 1970-01-01
    int minute = 0;  // minutes after midnight
    std::uint8_t code = 0;
    std::uint8_t extra = 0;
    std::uint8_t fu1 = 0;
    std::uint8_t fu2 = 0;
};

// What stays the same from one reading of a mower to the next.
struct MowerSettings {
    std::uint8_t options = 0;
    std::array<std::uint8_t, 12> ranges {};  // four sleep ranges: start, end, weekdays
    std::array<std::uint8_t, TVXLog::SetupByteCount> setup {};
    std::array<std::uint8_t, TVXLog::ParameterCount> parameters {};
    int mowingPerActiveDay = 0;  // minutes
    int chargingPercent = 0;     // of the mowing time
    int cyclesPerTenDays = 0;
    int metresPerMinute = 0;
    int rightWheelPercent = 0;
    int restPerActiveDay = 0;    // minutes
};

// Sleep ranges in steps of ten minutes; weekday bit 1 is Monday, bit 7 Sunday.
constexpr std::uint8_t AllWeek = 0xFE;
constexpr std::uint8_t Workdays = 0x3E;
constexpr std::uint8_t Saturday = 0x40;
constexpr std::uint8_t Sunday = 0x80;
constexpr std::uint8_t Wednesday = 0x08;
constexpr std::uint8_t SleepPatterns[][12] = {
    {0, 48, AllWeek, 120, 144, AllWeek, 0, 0, 0, 0, 0, 0},
    {0, 42, AllWeek, 126, 144, AllWeek, 0, 144, Sunday, 72, 84, Workdays},
    {48, 75, Workdays, 0, 36, Sunday, 120, 144, Saturday, 0, 0, 0},
    {0, 54, AllWeek, 114, 144, AllWeek, 0, 144, Saturday | Sunday, 0, 0, 0},
    {0, 45, AllWeek, 132, 144, AllWeek, 84, 96, AllWeek, 0, 144, Wednesday},
};

// The option bits and how often a dealer sets each.
constexpr std::pair<std::uint8_t, int> OptionOdds[] = {
    {0x10, 70}, {0x40, 40}, {0x08, 30}, {0x01, 15}, {0x80, 50}, {0x02, 30}, {0x04, 60}, {0x20, 25},
};

// The alarms a mower raises most: wheels blocked, battery low, wire signal and
// wire lost, no station, dead end, slipping, blocked on the wire, charge lost,
// no charge contact.
constexpr std::uint8_t CommonAlarms[] = {32, 33, 34, 45, 46, 47, 49, 50, 51, 52, 55, 56};
// Those of a mower seeking its station: no wire signal, no station found, wire
// lost, dead end, blocked on the wire.
constexpr std::uint8_t HomingAlarms[] = {46, 47, 49, 50, 52};
constexpr int FirstOtherAlarm = 32;
constexpr int LastAlarm = 66;

std::uint8_t bcd(int value)
{
    return static_cast<std::uint8_t>((value / 10) * 16 + value % 10);
}

void put24(TVXLog::Image& image, std::size_t offset, std::uint64_t value)
{
    const auto v = static_cast<std::uint32_t>(std::min<std::uint64_t>(value, Max24));
    image[offset] = static_cast<std::uint8_t>(v >> 16);
    image[offset + 1] = static_cast<std::uint8_t>(v >> 8);
    image[offset + 2] = static_cast<std::uint8_t>(v);
}

int dayNumber(const TVXLogTime& time)
{
    const chr::year_month_day date {chr::year(time.year), chr::month(time.month), chr::day(time.day)};
    const chr::year_month_day used = date.ok() ? date : chr::year_month_day {chr::year(2025), chr::June, chr::day(14)};
    return static_cast<int>(chr::sys_days(used).time_since_epoch().count());
}

chr::year_month_day dateOf(int day)
{
    return chr::year_month_day {chr::sys_days {chr::days {day}}};
}

MowerSettings settingsOf(std::uint64_t seed, std::uint8_t typeByte)
{
    SampleRandom r(seed);
    MowerSettings s;
    for (const auto& [bit, percent] : OptionOdds)
        if (r.chance(percent))
            s.options |= bit;
    std::memcpy(s.ranges.data(), SleepPatterns[r.between(0, int(std::size(SleepPatterns)) - 1)], s.ranges.size());
    // Owners move the night's limits a little.
    for (std::size_t k = 0; k < s.ranges.size(); k += 3) {
        std::uint8_t& start = s.ranges[k];
        std::uint8_t& end = s.ranges[k + 1];
        if (start == 0 && end > 6 && end < 144 && r.chance(50))
            end = static_cast<std::uint8_t>(end + r.between(-3, 3));
        if (end == 144 && start > 90 && r.chance(50))
            start = static_cast<std::uint8_t>(start + r.between(-3, 3));
    }
    const int setupLimits[TVXLog::SetupByteCount] = {5, 3, 40, 9, 9, 4, 2, 7};
    for (std::size_t i = 0; i < s.setup.size(); ++i)
        s.setup[i] = static_cast<std::uint8_t>(r.between(i == 2 ? 10 : 0, setupLimits[i]));
    // The type's factory values, a few of which the dealer has changed.
    SampleRandom factory(SampleRandom::derive(0x7A7E, typeByte & 0x0F));
    for (std::size_t i = 0; i < s.parameters.size(); ++i) {
        const int limit = i % 5 == 0 ? 1 : i % 5 == 1 ? 10 : i % 5 == 2 ? 60 : 200;
        int value = factory.between(0, limit);
        if (r.chance(12))
            value = std::clamp(value + r.between(-5, 5), 0, 255);
        s.parameters[i] = static_cast<std::uint8_t>(value);
    }
    s.mowingPerActiveDay = r.between(200, 380);
    s.chargingPercent = r.between(50, 70);
    s.cyclesPerTenDays = r.between(25, 40);
    s.metresPerMinute = r.between(9, 12);
    s.rightWheelPercent = r.between(97, 103);
    s.restPerActiveDay = r.between(500, 800);
    return s;
}

// When the mower may work on a weekday (ISO: 1 Monday .. 7 Sunday): after the
// night's range, before the evening's; not at all under a whole-day range.
struct DayShape {
    bool off = false;
    int morning = 7 * 60;
    int evening = 21 * 60;
};

DayShape shapeOf(const MowerSettings& s, unsigned isoWeekday)
{
    DayShape shape;
    const unsigned bit = 1u << isoWeekday;
    for (std::size_t k = 0; k < s.ranges.size(); k += 3) {
        const int start = s.ranges[k];
        const int end = s.ranges[k + 1];
        if (!(s.ranges[k + 2] & bit) || end <= start)
            continue;
        if (start == 0 && end >= 144)
            shape.off = true;
        else if (start == 0)
            shape.morning = std::max(shape.morning, end * 10);
        else if (end >= 144)
            shape.evening = std::min(shape.evening, start * 10);
    }
    if (shape.evening - shape.morning < 4 * 60)
        shape.evening = std::min(shape.morning + 4 * 60, 23 * 60);
    return shape;
}

// The extra byte of an alarm: a cutting head's mask (shifted where the type
// numbers its heads differently) or one of the other alarms.
std::uint8_t alarmExtra(SampleRandom& r, std::uint8_t typeByte)
{
    if (r.chance(35)) {
        int heads = 5;
        int shift = 0;
        if ((typeByte & 0x0F) == 5) {
            heads = 4;
            shift = 1;
        } else if ((typeByte & 0x0F) == 11) {
            heads = 3;
            shift = 2;
        }
        int mask = 1 << r.between(0, heads - 1);
        if (r.chance(20))
            mask |= 1 << r.between(0, heads - 1);
        return static_cast<std::uint8_t>(mask << shift);
    }
    if (r.chance(60))
        return r.pick(std::span<const std::uint8_t>(CommonAlarms));
    return static_cast<std::uint8_t>(r.between(FirstOtherAlarm, LastAlarm));
}

// One day of work: cycles of mowing, seeking the station and charging, now and
// then an alarm that waits for the owner, and the rest on the station at night.
void workingDay(int day, const DayShape& shape, std::uint8_t typeByte, SampleRandom& r, std::vector<Event>& out)
{
    const int month = static_cast<int>(unsigned(dateOf(day).month()));
    const int warmth = 8 + (6 - std::abs(month - 7)) * 3;
    int t = shape.morning + r.between(5, 40);
    int battery = r.between(92, 100);
    auto add = [&](std::uint8_t code, std::uint8_t extra = 0) {
        out.push_back({day, std::min(t, LastMinute), code, extra, static_cast<std::uint8_t>(std::clamp(battery, 0, 100)),
                       static_cast<std::uint8_t>(warmth + r.between(0, 6))});
    };
    add(StartWorking);
    for (;;) {
        int work = r.between(50, 140);
        if (r.chance(15)) {
            t += r.between(5, work - 5);
            battery -= r.between(10, 40);
            add(Alarm, alarmExtra(r, typeByte));
            t += r.between(15, 150);
            if (r.chance(70)) {
                add(OpenBonnet);
                t += r.between(1, 6);
            }
            add(StartWorking);
            work = r.between(30, 100);
        }
        t += work;
        battery = r.between(15, 35);
        add(StationSeeking);
        if (r.chance(6)) {
            // Lost on the way home: the owner carries it back to the wire.
            t += r.between(5, 25);
            add(Alarm, r.pick(std::span<const std::uint8_t>(HomingAlarms)));
            t += r.between(15, 120);
            add(StationSeeking);
        }
        t += r.between(2, 6);
        if (r.chance(7)) {
            add(AbortCapture);
            t += r.between(1, 3);
            add(StationSeeking);
            t += r.between(2, 8);
        } else {
            t += r.between(3, 12);
        }
        add(StationCapture);
        t += 1;
        add(StartCharging);
        t += r.between(45, 80);
        battery = r.between(97, 100);
        add(EndCharging);
        if (t + 90 > shape.evening) {
            t = std::max(t + 1, shape.evening) + r.between(0, 5);
            add(RestOnStation);
            return;
        }
        t += r.between(1, 8);
        add(StartWorking);
    }
}

// The events of the working days before lastDay, newest last: at least `wanted`
// when the mower's calendar allows.
std::vector<Event> workingDays(int lastDay, std::size_t wanted, const MowerSettings& s, std::uint8_t typeByte,
                               SampleRandom& r)
{
    std::vector<std::vector<Event>> days;
    std::size_t total = 0;
    for (int d = lastDay; total < wanted && d > lastDay - 4000; --d) {
        const chr::year_month_day date = dateOf(d);
        const unsigned month = unsigned(date.month());
        const DayShape shape = shapeOf(s, chr::weekday(chr::sys_days(date)).iso_encoding());
        const bool season = month >= 3 && month <= 10;
        if (!season || shape.off || r.chance(25))  // rain keeps it on the station too
            continue;
        std::vector<Event> day;
        workingDay(d, shape, typeByte, r, day);
        total += day.size();
        days.push_back(std::move(day));
    }
    std::vector<Event> events;
    events.reserve(total);
    for (auto day = days.rbegin(); day != days.rend(); ++day)
        events.insert(events.end(), day->begin(), day->end());
    return events;
}

// Minutes free after events[j - 1] before events[j] (or midnight).
int gapBefore(const std::vector<Event>& events, std::size_t j)
{
    const Event& before = events[j - 1];
    if (j == events.size() || events[j].day != before.day)
        return LastMinute - before.minute;
    return events[j].minute - before.minute;
}

// Adds an event of the code where it fits: a station event while charging, an
// alarm while working, an aborted capture while seeking; anywhere otherwise.
void insertEvent(std::vector<Event>& events, std::uint8_t code, std::uint8_t typeByte, SampleRandom& r)
{
    std::uint8_t after = StartCharging;
    int room = 10;
    if (code == Alarm) {
        after = StartWorking;
        room = 20;
    } else if (code == AbortCapture) {
        after = StationSeeking;
        room = 4;
    }
    if (events.empty())
        return;
    std::vector<std::size_t> fitting;
    std::vector<std::size_t> anywhere;
    for (std::size_t j = 1; j <= events.size(); ++j) {
        const int gap = gapBefore(events, j);
        if (gap >= room && events[j - 1].code == after)
            fitting.push_back(j);
        if (gap >= 2)
            anywhere.push_back(j);
    }
    const std::vector<std::size_t>& slots = !fitting.empty() ? fitting : anywhere;
    const std::size_t j = slots.empty() ? events.size() : r.pick(std::span<const std::size_t>(slots));
    Event event = events[j - 1];
    const int gap = gapBefore(events, j);
    event.minute += gap >= 2 ? r.between(1, std::min(gap - 1, room)) : 0;
    event.code = code;
    event.extra = code == Alarm ? alarmExtra(r, typeByte) : 0;
    events.insert(events.begin() + static_cast<std::ptrdiff_t>(j), event);
}

// The codes that no event from `from` on has, but for the visit's own two.
std::vector<std::uint8_t> missingCodes(const std::vector<Event>& events, std::size_t from)
{
    bool present[EventCodeCount] = {};
    present[SwitchOn] = present[SwitchOff] = true;
    for (std::size_t k = from; k < events.size(); ++k)
        if (events[k].code < EventCodeCount)
            present[events[k].code] = true;
    std::vector<std::uint8_t> missing;
    for (std::uint8_t code = 0; code < EventCodeCount; ++code)
        if (!present[code])
            missing.push_back(code);
    return missing;
}

std::vector<Event> historyEvents(const ImageRecipe& recipe, const MowerSettings& s, SampleRandom& r)
{
    const std::size_t count = static_cast<std::size_t>(std::clamp(recipe.events, 0, int(TVXLog::EventSlots)));
    const std::size_t keep = count > 2 ? count - 2 : 0;
    const int readDay = dayNumber(recipe.readAt);
    // The mower comes to the dealer's a few days after its last work.
    std::vector<Event> events = workingDays(readDay - r.between(1, 3), keep, s, recipe.typeByte, r);
    if (events.size() > keep)
        events.erase(events.begin(), events.end() - static_cast<std::ptrdiff_t>(keep));

    if (count >= EveryCodeFrom) {
        // The codes that the days lack take the place of as many of the oldest
        // events; those may hold a code's only event, hence the loop.
        std::vector<std::uint8_t> missing = missingCodes(events, 0);
        std::size_t dropped = 0;
        while (missing.size() > dropped && missing.size() < events.size()) {
            dropped = missing.size();
            missing = missingCodes(events, dropped);
        }
        events.erase(events.begin(), events.begin() + static_cast<std::ptrdiff_t>(std::min(dropped, events.size())));
        for (const std::uint8_t code : missing)
            insertEvent(events, code, recipe.typeByte, r);
    }

    // Switched off to be carried to the dealer's, and on again there.
    Event off;
    if (!events.empty()) {
        off = events.back();
        off.minute = std::min(off.minute + r.between(20, 120), LastMinute);
    } else {
        off.day = readDay - 1;
        off.minute = 18 * 60;
        off.fu1 = 90;
        off.fu2 = 15;
    }
    off.code = SwitchOff;
    off.extra = 0;
    Event on = off;
    on.day = readDay;
    on.minute = std::max(0, recipe.readAt.hour * 60 + recipe.readAt.minute - r.between(2, 15));
    on.code = SwitchOn;
    events.push_back(off);
    events.push_back(on);
    if (events.size() > count)
        events.erase(events.begin(), events.end() - static_cast<std::ptrdiff_t>(count));
    return events;
}

}  // namespace

TVXLog::Image generateHistoryImage(const ImageRecipe& recipe)
{
    const MowerSettings s = settingsOf(recipe.mowerSeed, recipe.typeByte);
    SampleRandom r(recipe.historySeed);
    TVXLog::Image image {};
    image[0] = s.options;
    image[1] = recipe.language;
    std::memcpy(&image[12], s.ranges.data(), s.ranges.size());

    const std::uint64_t active = static_cast<std::uint64_t>(std::max(1, recipe.daysInService)) * 55 / 100;
    const std::uint64_t mowing = active * static_cast<std::uint64_t>(s.mowingPerActiveDay);
    const std::uint64_t left = mowing * static_cast<std::uint64_t>(s.metresPerMinute);
    const std::uint64_t fullScale = (recipe.typeByte & 0x01) ? 4784128 : 6488064;
    const std::uint64_t charged = fullScale * static_cast<std::uint64_t>(r.between(3500, 9200)) / 10000;
    const std::uint64_t statistics[TVXLog::StatisticCount] = {
        mowing,
        mowing * static_cast<std::uint64_t>(s.chargingPercent) / 100,
        active * static_cast<std::uint64_t>(s.cyclesPerTenDays) / 10,
        left,
        left * static_cast<std::uint64_t>(s.rightWheelPercent) / 100,
        charged,
        charged * static_cast<std::uint64_t>(r.between(8800, 9800)) / 10000,
        active * static_cast<std::uint64_t>(s.restPerActiveDay),
    };
    for (std::size_t i = 0; i < TVXLog::StatisticCount; ++i)
        put24(image, 80 + 4 * i, statistics[i]);

    std::memcpy(&image[120], s.setup.data(), s.setup.size());
    std::array<std::uint8_t, TVXLog::ParameterCount> parameters = s.parameters;
    // Now and then the dealer changed a parameter at the last visit.
    if (r.chance(30)) {
        std::uint8_t& changed = parameters[static_cast<std::size_t>(r.between(0, int(parameters.size()) - 1))];
        changed = static_cast<std::uint8_t>(std::clamp(changed + r.between(-2, 2), 0, 255));
    }
    std::memcpy(&image[132], parameters.data(), parameters.size());

    const std::vector<Event> events = historyEvents(recipe, s, r);
    for (std::size_t k = 0; k < events.size(); ++k) {
        const Event& e = events[k];
        const chr::year_month_day date = dateOf(e.day);
        std::uint8_t* slot = &image[RingStart + 8 * k];
        slot[0] = bcd(static_cast<int>(unsigned(date.day())));
        slot[1] = bcd(static_cast<int>(unsigned(date.month())));
        slot[2] = bcd(e.minute / 60);
        slot[3] = bcd(e.minute % 60);
        slot[4] = e.code;
        slot[5] = e.extra;
        slot[6] = e.fu1;
        slot[7] = e.fu2;
    }
    byteio::putU16BE(&image[28], static_cast<std::uint16_t>(RingStart + 8 * events.size()));
    return image;
}
