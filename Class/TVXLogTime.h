#pragma once

#include <compare>
#include <cstdint>

struct LocalTime;

// The date key of a history, to the second. Ordered by year, month, day, hour,
// minute and second, each compared as an unsigned number.
class TVXLogTime {
public:
    // The computer's current local date and time.
    TVXLogTime();
    TVXLogTime(std::uint16_t year, std::uint8_t month, std::uint8_t day, std::uint8_t hour,
               std::uint8_t minute, std::uint8_t second);
    explicit TVXLogTime(const LocalTime& time);

    std::uint16_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;

    friend bool operator==(const TVXLogTime&, const TVXLogTime&) = default;
    friend auto operator<=>(const TVXLogTime&, const TVXLogTime&) = default;
};
