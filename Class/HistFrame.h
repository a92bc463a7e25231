#pragma once

#include <cstdint>

// One 8-byte event record of the history image's event ring.
struct HistFrame {
    std::uint8_t date1 = 0;      // BCD
    std::uint8_t date2 = 0;      // BCD
    std::uint8_t time1 = 0;      // BCD
    std::uint8_t time2 = 0;      // BCD
    std::uint8_t eventCode = 0;  // 5 is an alarm
    std::uint8_t extra = 0;      // the alarm code for an alarm
    std::uint8_t fu1 = 0;
    std::uint8_t fu2 = 0;

    friend bool operator==(const HistFrame&, const HistFrame&) = default;
};

// One of the mower's four sleep ranges. Times are in steps of 10 minutes after
// midnight; weekday bit 1 is Monday ... bit 7 Sunday, bit 0 unused.
struct SleepRange {
    std::uint8_t start = 0;
    std::uint8_t end = 0;
    std::uint8_t weekdays = 0;

    friend bool operator==(const SleepRange&, const SleepRange&) = default;
};
