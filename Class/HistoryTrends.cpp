#include "Class/HistoryTrends.h"

#include "Class/HistoryRender.h"
#include "Class/TVXMowerLog.h"
#include "core/AppTexts.h"
#include "core/TVXStringTable.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

constexpr std::uint8_t AlarmEventCode = 5;

struct StatisticTrend {
    std::size_t index;
    const char* unit;
};
// The statistics' indexes as the history tab labels them: mowing and charging
// time in minutes, cycles counted, wheel distances in metres.
constexpr std::array<StatisticTrend, 5> Statistics {{
    {0, "min"}, {1, "min"}, {2, ""}, {3, "m"}, {4, "m"}}};

std::size_t alarmCount(const TVXLog& history)
{
    std::size_t alarms = 0;
    const std::size_t count = history.getEventCount();
    for (std::size_t n = 0; n < count; ++n)
        if (history.getEvent(n).eventCode == AlarmEventCode)
            ++alarms;
    return alarms;
}

}  // namespace

std::vector<TrendSeries> historyTrends(const TVXMowerLog& record)
{
    std::vector<TrendSeries> series(Statistics.size() + 1);
    for (std::size_t s = 0; s < Statistics.size(); ++s) {
        series[s].label = statisticLabel(Statistics[s].index);
        series[s].unit = Statistics[s].unit;
    }
    TrendSeries& alarms = series.back();
    alarms.label = TVXStringTable::instance().getEventName(AlarmEventCode);
    for (TrendSeries& one : series)
        one.points.reserve(record.logs().size());

    bool first = true;
    std::uint32_t previousSerial = 0;
    for (const auto& [date, history] : record.logs()) {
        const bool changed = !first && history->getSerialNumber() != previousSerial;
        for (std::size_t s = 0; s < Statistics.size(); ++s)
            series[s].points.push_back({date, double(history->getStatistic(Statistics[s].index)), changed});
        alarms.points.push_back({date, double(alarmCount(*history)), changed});
        previousSerial = history->getSerialNumber();
        first = false;
    }
    return series;
}

std::string trendsCaption()
{
    return appText(AppText::TrendsCaption);
}
