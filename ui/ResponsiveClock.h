#pragma once

#include "core/Clock.h"

#include <cstdint>
#include <functional>

// The real clock for the link commands of the window. A command runs on the
// one thread and may wait for seconds between two progress steps; while it
// waits, this clock lets the window repaint and answer the desktop, at most
// every 50 ms so that the programming loop's short polls stay short. The
// dealer's input waits in the queue, unless `inputFiltered` says that a
// filter is in place which lets through only what may happen during a
// command (CommandInputGate): then it is delivered to that filter at once.
class ResponsiveClock : public Clock {
public:
    explicit ResponsiveClock(Clock& real, std::function<bool()> inputFiltered = {});

    void sleep(unsigned milliseconds) override;
    void sleepMicros(unsigned microseconds) override;
    LocalTime now() override { return real_.now(); }
    std::uint64_t monotonicMicros() override { return real_.monotonicMicros(); }

    static constexpr std::uint64_t EventIntervalMicros = 50'000;

private:
    void keepResponding();

    Clock& real_;
    std::function<bool()> inputFiltered_;
    std::uint64_t lastEvents_ = 0;
};
