#include "Class/TVXLog.h"

#include <algorithm>

namespace {

constexpr std::size_t RingStart = 256;
constexpr std::size_t SlotSize = 8;
constexpr std::size_t LastSlot = TVXLog::ImageSize - SlotSize;  // 8184
constexpr std::uint16_t WrappedBit = 0x8000;

HistFrame frameAt(const TVXLog::Image& image, std::size_t offset)
{
    const std::uint8_t* p = image.data() + offset;
    return HistFrame {p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]};
}

// The slot at which the list of a wrapped ring starts. A well-formed offset is
// a slot of the ring; one inside a slot starts at that slot, and one outside
// the ring at its first slot, so that every slot is listed once.
std::size_t wrappedStart(std::size_t s)
{
    if (s < RingStart || s > LastSlot)
        return RingStart;
    return RingStart + (s - RingStart) / SlotSize * SlotSize;
}

}  // namespace

void TVXLog::decodeImage()
{
    optionFlags_ = image_[0];
    mowerLanguage_ = image_[1];
    for (std::size_t r = 0; r < RangeCount; ++r)
        ranges_[r] = SleepRange {image_[12 + 3 * r], image_[13 + 3 * r], image_[14 + 3 * r]};
    for (std::size_t i = 0; i < StatisticCount; ++i) {
        const std::uint8_t* p = image_.data() + 80 + 4 * i;
        statistics_[i] = std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
    }
    std::copy_n(image_.begin() + 120, SetupByteCount, setupBytes_.begin());
    std::copy_n(image_.begin() + 132, ParameterCount, parameters_.begin());

    writeOffset_ = static_cast<std::uint16_t>(image_[28] << 8 | image_[29]);
    events_.clear();
    if (!(writeOffset_ & WrappedBit)) {
        // Whole slots below the write offset; an offset past the ring stops at its end.
        const std::size_t end = std::min<std::size_t>(writeOffset_, ImageSize);
        const std::size_t count = end > RingStart ? (end - RingStart) / SlotSize : 0;
        events_.reserve(count);
        for (std::size_t k = 0; k < count; ++k)
            events_.push_back(frameAt(image_, RingStart + SlotSize * k));
    } else {
        // Oldest first: from the slot the mower overwrites next round to the one before it.
        const std::size_t start = wrappedStart(writeOffset_ & ~WrappedBit);
        events_.reserve(EventSlots);
        std::size_t p = start;
        do {
            events_.push_back(frameAt(image_, p));
            p += SlotSize;
            if (p > LastSlot)
                p = RingStart;
        } while (p != start);
    }
}
