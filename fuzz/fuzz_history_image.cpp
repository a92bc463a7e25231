// Any image, type byte, software version and info head: decoding ends, stays
// inside the image and lists at most a ring's worth of events; every text renders.
#include "Class/HistoryRender.h"
#include "Class/TVXLog.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::array<std::uint8_t, TVXLog::InfoFrameSize> frame {};
    TVXLog::Image image {};
    const std::size_t frameBytes = size < frame.size() ? size : frame.size();
    std::memcpy(frame.data(), data, frameBytes);
    const std::size_t imageBytes = size - frameBytes < image.size() ? size - frameBytes : image.size();
    std::memcpy(image.data(), data + frameBytes, imageBytes);

    TVXLog log(image);
    log.fillFromInfoFrame(frame);
    if (log.getEventCount() > TVXLog::EventSlots)
        std::abort();
    const auto lines = renderHistoryText(log);
    if (lines.size() != 31u + log.getEventCount())
        std::abort();
    for (std::size_t r = 0; r < TVXLog::RangeCount; ++r)
        for (unsigned day = 1; day <= 7; ++day)
            (void)sleepRangeCell(log, r, day);
    (void)parameterRows(log);
    return 0;
}
