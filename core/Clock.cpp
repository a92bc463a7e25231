#include "core/Clock.h"

#include <chrono>
#include <ctime>
#include <thread>

void SystemClock::sleep(unsigned milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void SystemClock::sleepMicros(unsigned microseconds)
{
    std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
}

LocalTime SystemClock::now()
{
    timespec ts {};
    clock_gettime(CLOCK_REALTIME, &ts);
    std::tm tm {};
    localtime_r(&ts.tv_sec, &tm);
    LocalTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.hundredths = static_cast<int>(ts.tv_nsec / 10000000);
    return t;
}

std::uint64_t SystemClock::monotonicMicros()
{
    using namespace std::chrono;
    return static_cast<std::uint64_t>(
        duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

SystemClock& SystemClock::instance()
{
    static SystemClock clock;
    return clock;
}
