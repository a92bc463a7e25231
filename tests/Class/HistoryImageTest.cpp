#include "Class/TVXLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

namespace {

// An image whose slot k holds k in its first two bytes, so each event names its slot.
TVXLog::Image ringImage(std::uint16_t writeOffset)
{
    TVXLog::Image image {};
    for (std::size_t k = 0; k < TVXLog::EventSlots; ++k) {
        image[256 + 8 * k] = std::uint8_t(k >> 8);
        image[256 + 8 * k + 1] = std::uint8_t(k);
    }
    image[28] = std::uint8_t(writeOffset >> 8);
    image[29] = std::uint8_t(writeOffset);
    return image;
}

std::size_t slotOf(const HistFrame& f) { return std::size_t(f.date1) << 8 | f.date2; }

std::size_t firstSlot(std::uint16_t writeOffset)
{
    const TVXLog log(ringImage(writeOffset));
    return log.getEventCount() ? slotOf(log.getEvent(0)) : 9999;
}

}  // namespace

TEST(HistoryImage, FieldsOfTheImage)
{
    TVXLog::Image image {};
    image[0] = 0xA5, image[1] = 3;
    image[21] = 10, image[22] = 20, image[23] = 0xFE;        // range 3
    image[100] = 0x49, image[101] = 0x00, image[102] = 0x01, image[103] = 0xFF;  // statistic 5
    image[127] = 77, image[132] = 1, image[205] = 73;
    const TVXLog log(image);
    EXPECT_EQ(log.getOptionFlags(), 0xA5);
    EXPECT_EQ(log.getMowerLanguage(), 3);
    EXPECT_EQ(log.getRange(3), (SleepRange {10, 20, 0xFE}));
    EXPECT_EQ(log.getStatistic(5), 0x490001u);
    EXPECT_EQ(log.getSetupByte(7), 77);
    EXPECT_EQ(log.getSetupByte(8), 0);
    EXPECT_EQ(log.getParameter(0), 1);
    EXPECT_EQ(log.getParameter(73), 73);
    EXPECT_EQ(log.getParameter(74), 0);
    EXPECT_THROW(log.getRange(4), std::out_of_range);
    EXPECT_THROW(log.getStatistic(8), std::out_of_range);
}

TEST(HistoryImage, RingNotWrapped)
{
    EXPECT_EQ(TVXLog(ringImage(0x0100)).getEventCount(), 0);
    const TVXLog full(ringImage(0x2000));
    ASSERT_EQ(full.getEventCount(), 992);
    EXPECT_EQ(slotOf(full.getEvent(0)), 0u);
    EXPECT_EQ(slotOf(full.getEvent(991)), 991u);
    EXPECT_EQ(TVXLog(ringImage(0x0110)).getEventCount(), 2);
    EXPECT_THROW(TVXLog(ringImage(0x0110)).getEvent(2), std::out_of_range);
}

TEST(HistoryImage, RingWrapped)
{
    const TVXLog atStart(ringImage(0x8100));
    ASSERT_EQ(atStart.getEventCount(), 992);
    EXPECT_EQ(slotOf(atStart.getEvent(0)), 0u);
    EXPECT_EQ(slotOf(atStart.getEvent(991)), 991u);

    const TVXLog middle(ringImage(0x9000));  // s = 4096, slot 480
    ASSERT_EQ(middle.getEventCount(), 992);
    EXPECT_EQ(slotOf(middle.getEvent(0)), 480u);
    EXPECT_EQ(slotOf(middle.getEvent(511)), 991u);
    EXPECT_EQ(slotOf(middle.getEvent(512)), 0u);
    EXPECT_EQ(slotOf(middle.getEvent(991)), 479u);
    EXPECT_THROW(middle.getEvent(992), std::out_of_range);
    const std::vector<HistFrame> events = middle.getEvents();
    ASSERT_EQ(events.size(), 992u);
    EXPECT_EQ(slotOf(events.front()), 480u);
    EXPECT_EQ(slotOf(events.back()), 479u);

    const TVXLog last(ringImage(0x8000 | 8184));
    EXPECT_EQ(slotOf(last.getEvent(0)), 991u);
    EXPECT_EQ(slotOf(last.getEvent(1)), 0u);
}

// Offsets a mower never writes still give whole slots of the ring, each once,
// and decoding ends.
TEST(HistoryImage, MalformedWriteOffsets)
{
    EXPECT_EQ(TVXLog(ringImage(0x0000)).getEventCount(), 0);
    EXPECT_EQ(TVXLog(ringImage(0x00FF)).getEventCount(), 0);
    EXPECT_EQ(TVXLog(ringImage(0x0107)).getEventCount(), 0);
    EXPECT_EQ(TVXLog(ringImage(0x010F)).getEventCount(), 1);
    EXPECT_EQ(TVXLog(ringImage(8193)).getEventCount(), 992);
    EXPECT_EQ(TVXLog(ringImage(0x7FFF)).getEventCount(), 992);

    EXPECT_EQ(firstSlot(0x8000 | 257), 0u);      // inside slot 0
    EXPECT_EQ(firstSlot(0x8000 | 4099), 480u);   // inside slot 480
    EXPECT_EQ(firstSlot(0x8000 | 8190), 0u);     // no whole slot there
    EXPECT_EQ(firstSlot(0xFFFF), 0u);
    EXPECT_EQ(firstSlot(0x8000), 0u);            // below the ring
    for (std::uint16_t w : {0x8000, 0x8101, 0x9003, 0x9FF9, 0xA000, 0xFFFF}) {
        const TVXLog log(ringImage(w));
        ASSERT_EQ(log.getEventCount(), 992) << w;
        std::vector<bool> seen(992);
        for (std::size_t n = 0; n < 992; ++n)
            seen[slotOf(log.getEvent(n))] = true;
        EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 992) << w;
    }
}
