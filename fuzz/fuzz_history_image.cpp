// Any history: the input is a .bin history file (the 16-byte info frame, then
// the 8192-byte image), optionally followed by a date (year low byte first,
// month, day, hour, minute, second) and the catalogue's language (0..4).
// Decoding ends, stays inside the image and lists at most a ring's worth of
// events; every text renders, each event line exactly 68 characters wide.
#include "fuzz/FuzzSample.h"

#include "Class/HistoryRender.h"
#include "Class/TVXLog.h"
#include "core/TVXStringTable.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t EventLineWidth = 68;
constexpr std::size_t DateBytes = 7;
constexpr std::uint8_t AlarmEvent = 5;

void fail(const char* what)
{
    std::fprintf(stderr, "history image: %s\n", what);
    std::abort();
}

FUZZ_NO_COVERAGE std::size_t characters(const std::string& text)
{
    std::size_t n = 0;
    for (const unsigned char c : text)
        n += (c & 0xC0) != 0x80;
    return n;
}

void checkEventLine(const std::string& line)
{
    if (characters(line) != EventLineWidth)
        fail("an event line is not 68 characters wide");
}

}  // namespace

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
    const std::size_t tail = frameBytes + imageBytes;
    if (size >= tail + DateBytes) {
        const std::uint8_t* d = data + tail;
        log.setDate(TVXLogTime(static_cast<std::uint16_t>(d[0] | d[1] << 8), d[2], d[3], d[4], d[5], d[6]));
    }
    // Every input names its language (French, the catalogue's first, unless
    // it says otherwise), so that none runs in the language of the one before.
    std::uint8_t language = 1;
    if (size > tail + DateBytes && data[tail + DateBytes] < TVXStringTable::LanguageCount)
        language = data[tail + DateBytes];
    if (language != TVXStringTable::instance().getLanguage())
        TVXStringTable::instance().setLanguage(language);

    const std::size_t count = log.getEventCount();
    if (count > TVXLog::EventSlots)
        fail("more events than the ring holds");
    const std::vector<HistFrame> events = log.getEvents();
    if (events.size() != count)
        fail("the event list is not as long as the event count");

    // Everything but the event lines, on every input.
    (void)informationLines(log);
    (void)optionLines(log);
    for (std::size_t i = 0; i < TVXLog::StatisticCount; ++i)
        (void)(statisticLabel(i) + statisticText(log, i));
    (void)historyTitle(log.getDate());
    for (std::size_t r = 0; r < TVXLog::RangeCount; ++r)
        for (unsigned day = 1; day <= 7; ++day)
            (void)sleepRangeCell(log, r, day);
    (void)parameterRows(log);

    // An event's line depends on its bytes only through the name it looks up
    // (its event code, or for an alarm the alarm index of its extra byte and
    // the type byte); the other cells print fixed-size numbers. So every input
    // looks up the name of each code it holds, renders the line of the first
    // event of each name (at most the catalogue's 82) and of the last event
    // (the widest number), and a sample of the inputs renders the whole text.
    if (fuzzsample::renderThis(data, size, 32) || count <= 32) {
        const std::vector<std::string> lines = renderHistoryText(log);
        if (lines.size() != 31u + count)
            fail("the history text has not 31 lines beside its events");
        for (std::size_t i = 26; i < lines.size(); ++i)
            checkEventLine(lines[i]);
        return 0;
    }
    const TVXStringTable& table = TVXStringTable::instance();
    std::bitset<512> looked;
    std::vector<std::string> names;
    for (std::size_t n = 0; n < count; ++n) {
        const HistFrame& e = events[n];
        const bool alarm = e.eventCode == AlarmEvent;
        const std::uint8_t index = alarm ? alarmIndex(e.extra, log.getTypeByte()) : e.eventCode;
        const std::size_t code = alarm ? 256u + index : index;
        const bool last = n + 1 == count;
        if (looked.test(code) && !last)
            continue;
        looked.set(code);
        std::string name = alarm ? table.getAlarmName(index) : table.getEventName(index);
        if (std::find(names.begin(), names.end(), name) != names.end() && !last)
            continue;
        names.push_back(std::move(name));
        const EventRow row = eventRow(n, e, log.getTypeByte());
        if (row.event != names.back())
            fail("an event line shows another name than the catalogue's");
        checkEventLine(eventLine(row.number, row.date, row.event, row.extra, row.fu1, row.fu2));
    }
    return 0;
}
