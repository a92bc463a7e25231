#pragma once

#include <cstdint>

// The local calendar time as the trace log and history dates need it.
struct LocalTime {
    int year = 0;
    int month = 1;   // 1..12
    int day = 1;     // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int hundredths = 0;
};

// Every wait and every reading of the time goes through a clock, so that the
// link code can be run instantly against a fake one in tests.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void sleep(unsigned milliseconds) = 0;
    virtual void sleepMicros(unsigned microseconds) = 0;
    virtual LocalTime now() = 0;
    // Monotonic time in microseconds since an arbitrary origin.
    virtual std::uint64_t monotonicMicros() = 0;
};

class SystemClock : public Clock {
public:
    void sleep(unsigned milliseconds) override;
    void sleepMicros(unsigned microseconds) override;
    LocalTime now() override;
    std::uint64_t monotonicMicros() override;

    // The process-wide real clock.
    static SystemClock& instance();
};
