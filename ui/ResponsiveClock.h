#pragma once

#include "core/Clock.h"

#include <cstdint>

// The real clock for the link commands of the window. A command runs on the
// one thread and may wait for seconds between two progress steps; while it
// waits, this clock lets the window repaint and answer the desktop (never the
// dealer's input: no second command can start), at most every 50 ms so that
// the programming loop's short polls stay short.
class ResponsiveClock : public Clock {
public:
    explicit ResponsiveClock(Clock& real);

    void sleep(unsigned milliseconds) override;
    void sleepMicros(unsigned microseconds) override;
    LocalTime now() override { return real_.now(); }
    std::uint64_t monotonicMicros() override { return real_.monotonicMicros(); }

    static constexpr std::uint64_t EventIntervalMicros = 50'000;

private:
    void keepResponding();

    Clock& real_;
    std::uint64_t lastEvents_ = 0;
};
