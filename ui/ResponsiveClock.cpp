#include "ui/ResponsiveClock.h"

#include <QCoreApplication>

#include <algorithm>

ResponsiveClock::ResponsiveClock(Clock& real, std::function<bool()> inputFiltered)
    : real_(real)
    , inputFiltered_(std::move(inputFiltered))
{
}

void ResponsiveClock::keepResponding()
{
    const std::uint64_t now = real_.monotonicMicros();
    if (now - lastEvents_ < EventIntervalMicros)
        return;
    lastEvents_ = now;
    const bool filtered = inputFiltered_ && inputFiltered_();
    QCoreApplication::processEvents(filtered ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

void ResponsiveClock::sleep(unsigned milliseconds)
{
    // Long waits are cut into slices, so that the window is never left for
    // longer than one slice.
    constexpr unsigned Slice = 50;
    while (milliseconds > 0) {
        const unsigned part = std::min(milliseconds, Slice);
        real_.sleep(part);
        milliseconds -= part;
        keepResponding();
    }
}

void ResponsiveClock::sleepMicros(unsigned microseconds)
{
    real_.sleepMicros(microseconds);
    keepResponding();
}
