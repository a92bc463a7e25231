#include "Class/HistoryRender.h"

#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"

#include <charconv>
#include <cstdio>

namespace {

constexpr std::uint8_t AlarmEvent = 5;

// Value × 100 / full scale, in single precision, where bit 0 of the type byte
// selects the smaller battery.
std::string capacityPercent(std::uint32_t value, std::uint8_t typeByte)
{
    const double fullScale = (typeByte & 0x01) ? 4784128.0 : 6488064.0;
    const auto percent = static_cast<float>(value * 100.0 / fullScale);
    // "%5.2f" without the locale's decimal comma.
    char digits[64];
    const auto result = std::to_chars(digits, digits + sizeof digits, percent, std::chars_format::fixed, 2);
    std::string text(digits, result.ptr);
    if (text.size() < 5)
        text.insert(0, 5 - text.size(), ' ');
    return text + " %";
}

const char* languageSuffix(std::uint8_t code)
{
    static const char* const suffixes[] = {" :English",  " :Français", " :Nederlands",
                                           " :Italiano", " :Español",  " :Deutsch"};
    return code < std::size(suffixes) ? suffixes[code] : " :??????????";
}

std::string hex(unsigned value, int digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}

std::string timeOfDay(std::uint8_t tenMinutes)
{
    char text[16];
    std::snprintf(text, sizeof text, "%2.2dH%2.2d", tenMinutes / 6, (tenMinutes % 6) * 10);
    return text;
}

}  // namespace

std::string historyTitle(const TVXLogTime& date)
{
    char text[48];
    std::snprintf(text, sizeof text, "%2.2d/%2.2d/%4.4d %2.2d h %2.2d", date.day, date.month, date.year,
                  date.hour, date.minute);
    return text;
}

std::uint8_t alarmIndex(std::uint8_t extra, std::uint8_t typeByte)
{
    if (extra >= 32)
        return extra;
    switch (typeByte & 0x0F) {
    case 5:
        return extra >> 1;
    case 11:
        return extra >> 2;
    default:
        return extra;
    }
}

EventRow eventRow(std::size_t number, const HistFrame& frame, std::uint8_t typeByte)
{
    const TVXStringTable& table = TVXStringTable::instance();
    EventRow row;
    row.number = std::to_string(number);
    char date[32];
    std::snprintf(date, sizeof date, "%2.2x/%2.2x %2.2x:%2.2x", frame.date1, frame.date2, frame.time1,
                  frame.time2);
    row.date = date;
    row.event = frame.eventCode == AlarmEvent ? table.getAlarmName(alarmIndex(frame.extra, typeByte))
                                              : table.getEventName(frame.eventCode);
    row.extra = std::to_string(frame.extra);
    row.fu1 = std::to_string(frame.fu1);
    row.fu2 = std::to_string(frame.fu2);
    row.eventCode = frame.eventCode;
    return row;
}

std::vector<EventRow> eventRows(const TVXLog& history)
{
    std::vector<EventRow> rows;
    rows.reserve(history.getEventCount());
    for (std::size_t n = 0; n < history.getEventCount(); ++n)
        rows.push_back(eventRow(n, history.getEvent(n), history.getTypeByte()));
    return rows;
}

std::string statisticText(const TVXLog& history, std::size_t i)
{
    const std::uint32_t value = history.getStatistic(i);
    switch (i) {
    case 0:
    case 1:
    case 7:
        return std::to_string(value) + " min";
    case 3:
    case 4:
        return std::to_string(value) + " m";
    case 5:
    case 6:
        return capacityPercent(value, history.getTypeByte());
    default:
        return std::to_string(value);
    }
}

std::string statisticLabel(std::size_t i)
{
    return catalogueText(static_cast<std::uint16_t>(Msg::MowingTime + i));
}

std::array<std::string, InformationLineCount> informationLines(const TVXLog& history)
{
    const TVXStringTable& table = TVXStringTable::instance();
    auto setup = [&](std::size_t i) { return std::to_string(history.getSetupByte(i)); };
    std::array<std::string, InformationLineCount> lines;
    lines[InfoFirmware] = table.getMessageText(Msg::FirmwareVersion) + ": " + hex(history.getTypeByte(), 2) +
                          hex(history.getSoftwareVersion(), 8);
    lines[InfoSerial] = "SNB: " + hex(history.getSerialNumber(), 8);
    lines[InfoLanguage] = table.getMessageText(Msg::MowerLanguage) + languageSuffix(history.getMowerLanguage());
    lines[InfoP000] = "P000 : " + setup(0);
    lines[InfoP001] = "P001 : " + setup(1);
    lines[InfoP002] = "P002 : " + setup(2);
    lines[InfoP003P004] = "P003,P004 : " + setup(3) + "," + setup(4);
    lines[InfoP005] = "P005 : " + setup(5);
    lines[InfoP006] = "P006 : " + setup(6);
    if (history.getInfoHead()[1] > 5)
        lines[InfoP007] = "P007 : " + setup(7);
    return lines;
}

std::string sleepRangeText(const SleepRange& range)
{
    return timeOfDay(range.start) + "-" + timeOfDay(range.end);
}

std::string sleepRangeCell(const TVXLog& history, std::size_t r, unsigned weekdayBit)
{
    const SleepRange& range = history.getRange(r);
    if (weekdayBit < 1 || weekdayBit > 7 || !(range.weekdays & (1u << weekdayBit)))
        return {};
    return sleepRangeText(range);
}

std::vector<ParameterRow> parameterRows(const TVXLog& history)
{
    std::vector<ParameterRow> rows;
    rows.reserve(TVXLog::ParameterCount);
    for (std::size_t i = 0; i < TVXLog::ParameterCount; ++i) {
        char key[8];
        std::snprintf(key, sizeof key, "P%2.2u", static_cast<unsigned>(i));
        rows.push_back({key, std::to_string(history.getParameter(i))});
    }
    return rows;
}
