#include "Component/ServiceReport.h"

#include "Class/HistoryRender.h"
#include "Class/HistoryTrends.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/HistoryComment.h"
#include "Component/RecordWindowTexts.h"
#include "core/AppTexts.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

namespace {

constexpr std::uint8_t AlarmEventCode = 5;

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

ReportTable ownerTable(const TVXMowerLog& record)
{
    const TVXOwner& owner = record.getOwner();
    std::string address = owner.getAddress();
    while (!address.empty() && (address.back() == '\n' || address.back() == '\r'))
        address.pop_back();
    return {catalogueText(Msg::CustomerReferences), {},
            {{catalogueText(Msg::FirstnameLabel), owner.getName()},
             {catalogueText(Msg::LastnameLabel), owner.getSurname()},
             {catalogueText(Msg::AddressLabel), address}},
            {}};
}

ReportTable machineTable(const TVXMowerLog& record)
{
    return {catalogueText(Msg::MachineInformation), {},
            {{catalogueText(Msg::MachineNumberLabel), recordWindowId(record)},
             {catalogueText(Msg::MachineSerialLabel), recordSerialText(record)},
             {catalogueText(Msg::VersionLabel), recordSoftwareText(record)},
             {catalogueText(Msg::BootloaderLabel), recordBootloaderText(record)}},
            {}};
}

ReportTable readingTable(const TVXLog& history)
{
    ReportTable table {appText(AppText::ReportReadingTitle), {}, {{appText(AppText::ReportReadingDate), historyTitle(history.getDate())}}, {}};
    // "Firmware version: 2921031601", "P003,P004 : 1,7": a caption and its value.
    for (const std::string& line : informationLines(history)) {
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos) {
            if (!line.empty())
                table.rows.push_back({line});
            continue;
        }
        table.rows.push_back({trimmed(line.substr(0, colon)), trimmed(line.substr(colon + 1))});
    }
    return table;
}

ReportTable parametersTable(const TVXLog& history)
{
    ReportTable table {catalogueText(Msg::ParametersAndOptions), {}, {}, {}};
    for (const OptionLine& option : optionLines(history))
        table.rows.push_back({option.text, option.value});
    for (const ParameterRow& row : parameterRows(history))
        table.rows.push_back({row.key, row.value});
    return table;
}

ReportTable statisticsTable(const TVXLog& history)
{
    ReportTable table {catalogueText(Msg::Statistics), {}, {}, {}};
    for (std::size_t i = 0; i < TVXLog::StatisticCount; ++i)
        table.rows.push_back({statisticLabel(i), statisticText(history, i)});
    return table;
}

ReportTable sleepHoursTable(const TVXLog& history)
{
    ReportTable table {catalogueText(Msg::SleepHours), {std::string()}, {}, {}};
    for (std::size_t r = 0; r < TVXLog::RangeCount; ++r)
        table.header.push_back(catalogueText(static_cast<std::uint16_t>(Msg::Range1 + r)));
    for (unsigned day = 1; day <= 7; ++day) {
        std::vector<std::string> row {catalogueText(static_cast<std::uint16_t>(Msg::Monday + day - 1))};
        for (std::size_t r = 0; r < TVXLog::RangeCount; ++r)
            row.push_back(sleepRangeCell(history, r, day));
        table.rows.push_back(std::move(row));
    }
    return table;
}

ReportTable alarmsTable(const TVXLog& history)
{
    ReportTable table {appText(AppText::ReportAlarmsTitle), {appText(AppText::ReportAlarmColumn), appText(AppText::ReportCountColumn), appText(AppText::ReportDatesColumn)}, {},
                       appText(AppText::ReportNoAlarm)};
    for (const AlarmSummary& alarm : alarmSummary(history))
        table.rows.push_back({alarm.name, std::to_string(alarm.count), alarm.dates});
    return table;
}

ReportTable eventsTable(const TVXLog& history)
{
    ReportTable table {catalogueText(Msg::HistoryPage),
                       {appText(AppText::ReportNumberColumn), appText(AppText::ReportDateColumn), appText(AppText::ReportEventColumn), "Extra", "FU1", "FU2"},
                       {},
                       appText(AppText::ReportNoEvent)};
    table.rows.reserve(history.getEventCount());
    for (EventRow& row : eventRows(history))
        table.rows.push_back({std::move(row.number), std::move(row.date), std::move(row.event),
                              std::move(row.extra), std::move(row.fu1), std::move(row.fu2)});
    return table;
}

}  // namespace

std::vector<AlarmSummary> alarmSummary(const TVXLog& history)
{
    struct Seen {
        std::size_t count = 0;
        std::string first, last;
    };
    std::map<std::string, Seen> byName;
    const std::size_t count = history.getEventCount();
    for (std::size_t n = 0; n < count; ++n) {
        const HistFrame frame = history.getEvent(n);
        if (frame.eventCode != AlarmEventCode)
            continue;
        EventRow row = eventRow(n, frame, history.getTypeByte());
        Seen& seen = byName[row.event];
        if (seen.count++ == 0)
            seen.first = row.date;
        seen.last = std::move(row.date);
    }
    std::vector<AlarmSummary> alarms;
    alarms.reserve(byName.size());
    for (auto& [name, seen] : byName)
        alarms.push_back({name, seen.count, seen.count == 1 ? seen.first : seen.first + " - " + seen.last});
    std::stable_sort(alarms.begin(), alarms.end(),
                     [](const AlarmSummary& a, const AlarmSummary& b) { return a.count > b.count; });
    return alarms;
}

ServiceReport serviceReport(const TVXMowerLog& record, const TVXLog& history, const std::string* comment)
{
    ServiceReport report;
    report.title = appText(AppText::ReportTitle);
    const TVXOwner& owner = record.getOwner();
    report.subtitle = recordWindowId(record) + " - " + owner.getName() + " " + owner.getSurname() + " - " +
                      historyTitle(history.getDate());
    report.tables.push_back(ownerTable(record));
    report.tables.push_back(machineTable(record));
    report.tables.push_back(readingTable(history));
    report.tables.push_back(statisticsTable(history));
    report.tables.push_back(alarmsTable(history));
    report.tables.push_back(sleepHoursTable(history));
    report.tables.push_back(parametersTable(history));
    const std::string memo = memoTextFromComment(comment ? *comment : history.getComment());
    if (!memo.empty())
        report.tables.push_back({catalogueText(Msg::Comments), {}, {{memo}}, {}});
    report.events = eventsTable(history);
    report.trendsTitle = trendsCaption();
    report.pageNumbers = appText(AppText::ReportPageNumbers);
    return report;
}

std::string serviceReportMenuText()
{
    return appText(AppText::ReportMenuItem);
}

std::string printServiceReportMenuText()
{
    return appText(AppText::ReportPrintMenuItem);
}

std::string serviceReportDialogTitle()
{
    return appText(AppText::ReportDialogTitle);
}

FileFilter serviceReportFilter()
{
    return {appText(AppText::ReportPdfFilter), "*.pdf"};
}

std::string serviceReportFileName(const TVXMowerLog& record, const TVXLog& history)
{
    const TVXLogTime& date = history.getDate();
    char day[16];
    std::snprintf(day, sizeof day, "%04u-%02u-%02u", unsigned(date.year) % 10000, unsigned(date.month) % 100,
                  unsigned(date.day) % 100);
    std::string name = recordWindowId(record) + "_" + day;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_')
            c = '_';
    return name + ".pdf";
}
