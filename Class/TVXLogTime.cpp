#include "Class/TVXLogTime.h"

#include "core/Clock.h"

TVXLogTime::TVXLogTime() : TVXLogTime(SystemClock::instance().now()) {}

TVXLogTime::TVXLogTime(std::uint16_t year_, std::uint8_t month_, std::uint8_t day_, std::uint8_t hour_,
                       std::uint8_t minute_, std::uint8_t second_)
    : year(year_), month(month_), day(day_), hour(hour_), minute(minute_), second(second_)
{
}

TVXLogTime::TVXLogTime(const LocalTime& time)
    : year(static_cast<std::uint16_t>(time.year)),
      month(static_cast<std::uint8_t>(time.month)),
      day(static_cast<std::uint8_t>(time.day)),
      hour(static_cast<std::uint8_t>(time.hour)),
      minute(static_cast<std::uint8_t>(time.minute)),
      second(static_cast<std::uint8_t>(time.second))
{
}
