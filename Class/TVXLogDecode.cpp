#include "Class/TVXLog.h"

#include "Class/ByteIO.h"

#include <algorithm>
#include <stdexcept>

namespace {

constexpr std::size_t RingStart = 256;
constexpr std::size_t SlotSize = 8;
constexpr std::size_t LastSlot = TVXLog::ImageSize - SlotSize;  // 8184
constexpr std::uint16_t WrappedBit = 0x8000;

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

namespace {

std::uint16_t writeOffsetOf(const std::uint8_t* image)
{
    return byteio::getU16BE(image + 28);
}

std::uint16_t eventCountOf(const std::uint8_t* image)
{
    const std::uint16_t offset = writeOffsetOf(image);
    if (offset & WrappedBit)
        return TVXLog::EventSlots;
    // Whole slots below the write offset; an offset past the ring stops at its end.
    const std::size_t end = std::min<std::size_t>(offset, TVXLog::ImageSize);
    return static_cast<std::uint16_t>(end > RingStart ? (end - RingStart) / SlotSize : 0);
}

// Event n (below the count), oldest first.
const std::uint8_t* eventAt(const std::uint8_t* image, std::size_t n)
{
    std::size_t slot = n;
    const std::uint16_t offset = writeOffsetOf(image);
    if (offset & WrappedBit) {
        // Oldest first: from the slot the mower overwrites next round to the one before it.
        const std::size_t first = (wrappedStart(offset & ~WrappedBit) - RingStart) / SlotSize;
        slot = (first + n) % TVXLog::EventSlots;
    }
    return image + RingStart + SlotSize * slot;
}

}  // namespace

std::uint16_t TVXLog::getWriteOffset() const
{
    return writeOffsetOf(image_.data());
}

std::uint16_t TVXLog::getEventCount() const
{
    return eventCountOf(image_.data());
}

HistFrame TVXLog::getEvent(std::size_t n) const
{
    if (n >= getEventCount())
        throw std::out_of_range("TVXLog::getEvent");
    const std::uint8_t* p = eventAt(image_.data(), n);
    return HistFrame {p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7]};
}

bool TVXLog::imageHoldsAlarm(std::span<const std::uint8_t, ImageSize> image)
{
    const std::uint16_t count = eventCountOf(image.data());
    for (std::size_t n = 0; n < count; ++n)
        if (eventAt(image.data(), n)[4] == AlarmEventCode)
            return true;
    return false;
}

bool TVXLog::holdsAlarm() const
{
    return imageHoldsAlarm(image_);
}

std::vector<HistFrame> TVXLog::getEvents() const
{
    std::vector<HistFrame> events;
    const std::size_t count = getEventCount();
    events.reserve(count);
    for (std::size_t n = 0; n < count; ++n)
        events.push_back(getEvent(n));
    return events;
}

std::uint32_t TVXLog::getStatistic(std::size_t i) const
{
    if (i >= StatisticCount)
        throw std::out_of_range("TVXLog::getStatistic");
    const std::uint8_t* p = image_.data() + 80 + 4 * i;
    return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
}

std::uint8_t TVXLog::getParameter(std::size_t i) const
{
    return i < ParameterCount ? image_[132 + i] : 0;
}

std::uint8_t TVXLog::getSetupByte(std::size_t i) const
{
    return i < SetupByteCount ? image_[120 + i] : 0;
}

SleepRange TVXLog::getRange(std::size_t r) const
{
    if (r >= RangeCount)
        throw std::out_of_range("TVXLog::getRange");
    return SleepRange {image_[12 + 3 * r], image_[13 + 3 * r], image_[14 + 3 * r]};
}
