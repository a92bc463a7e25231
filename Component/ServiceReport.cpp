#include "Component/ServiceReport.h"

#include "Class/HistoryRender.h"
#include "Class/HistoryTrends.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/HistoryComment.h"
#include "Component/RecordWindowTexts.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>

namespace {

constexpr std::uint8_t AlarmEventCode = 5;

enum ReportText { Title, PageNumbers, AlarmsTitle, NoAlarm, AlarmColumn, CountColumn, DatesColumn,
                  NumberColumn, DateColumn, EventColumn, NoEvent, ReadingTitle, ReadingDate, MenuItem,
                  PrintMenuItem, DialogTitle, PdfFilter };

std::string text(ReportText which)
{
    static const TVXStringTable::LocalizedText texts[] = {
        {"Service report", "Rapport d'entretien", "Rapporto di assistenza", "Servicerapport", "Servicebericht"},
        {"Page %1 of %2", "Page %1 sur %2", "Pagina %1 di %2", "Pagina %1 van %2", "Seite %1 von %2"},
        {"Alarms of this reading", "Alarmes de cette lecture", "Allarmi di questa lettura",
         "Alarmen van deze uitlezing", "Alarme dieser Auslesung"},
        {"No alarm in this reading.", "Aucune alarme dans cette lecture.", "Nessun allarme in questa lettura.",
         "Geen alarm in deze uitlezing.", "Kein Alarm in dieser Auslesung."},
        {"Alarm", "Alarme", "Allarme", "Alarm", "Alarm"},
        {"Count", "Nombre", "Numero", "Aantal", "Anzahl"},
        {"Dates", "Dates", "Date", "Data", "Daten"},
        {"No.", "N°", "N.", "Nr.", "Nr."},
        {"Date", "Date", "Data", "Datum", "Datum"},
        {"Event", "Événement", "Evento", "Gebeurtenis", "Ereignis"},
        {"No event in this reading.", "Aucun événement dans cette lecture.", "Nessun evento in questa lettura.",
         "Geen gebeurtenis in deze uitlezing.", "Kein Ereignis in dieser Auslesung."},
        {"Reading", "Lecture", "Lettura", "Uitlezing", "Auslesung"},
        {"Read on", "Lu le", "Letto il", "Uitgelezen op", "Ausgelesen am"},
        {"Service report...", "Rapport d'entretien...", "Rapporto di assistenza...", "Servicerapport...",
         "Servicebericht..."},
        {"Print service report...", "Imprimer le rapport d'entretien...", "Stampa rapporto di assistenza...",
         "Servicerapport afdrukken...", "Servicebericht drucken..."},
        {"Save the service report", "Enregistrer le rapport d'entretien", "Salva il rapporto di assistenza",
         "Servicerapport opslaan", "Servicebericht speichern"},
        {"PDF document", "Document PDF", "Documento PDF", "PDF-document", "PDF-Dokument"},
    };
    return TVXStringTable::instance().localized(texts[which]);
}

std::string trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    const std::size_t last = text.find_last_not_of(" \t");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::string message(std::uint16_t number)
{
    return TVXStringTable::instance().getMessageText(number);
}

ReportTable ownerTable(const TVXMowerLog& record)
{
    const TVXOwner& owner = record.getOwner();
    std::string address = owner.getAddress();
    while (!address.empty() && (address.back() == '\n' || address.back() == '\r'))
        address.pop_back();
    return {message(Msg::CustomerReferences), {},
            {{message(Msg::FirstnameLabel), owner.getName()},
             {message(Msg::LastnameLabel), owner.getSurname()},
             {message(Msg::AddressLabel), address}},
            {}};
}

ReportTable machineTable(const TVXMowerLog& record)
{
    return {message(Msg::MachineInformation), {},
            {{message(Msg::MachineNumberLabel), recordWindowId(record)},
             {message(Msg::MachineSerialLabel), recordSerialText(record)},
             {message(Msg::VersionLabel), recordSoftwareText(record)},
             {message(Msg::BootloaderLabel), recordBootloaderText(record)}},
            {}};
}

ReportTable readingTable(const TVXLog& history)
{
    ReportTable table {text(ReadingTitle), {}, {{text(ReadingDate), historyTitle(history.getDate())}}, {}};
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
    ReportTable table {message(Msg::ParametersAndOptions), {}, {}, {}};
    for (const OptionLine& option : optionLines(history))
        table.rows.push_back({option.text, option.value});
    for (const ParameterRow& row : parameterRows(history))
        table.rows.push_back({row.key, row.value});
    return table;
}

ReportTable statisticsTable(const TVXLog& history)
{
    ReportTable table {message(Msg::Statistics), {}, {}, {}};
    for (std::size_t i = 0; i < TVXLog::StatisticCount; ++i)
        table.rows.push_back({statisticLabel(i), statisticText(history, i)});
    return table;
}

ReportTable sleepHoursTable(const TVXLog& history)
{
    ReportTable table {message(Msg::SleepHours), {std::string()}, {}, {}};
    for (std::size_t r = 0; r < TVXLog::RangeCount; ++r)
        table.header.push_back(message(static_cast<std::uint16_t>(Msg::Range1 + r)));
    for (unsigned day = 1; day <= 7; ++day) {
        std::vector<std::string> row {message(static_cast<std::uint16_t>(Msg::Monday + day - 1))};
        for (std::size_t r = 0; r < TVXLog::RangeCount; ++r)
            row.push_back(sleepRangeCell(history, r, day));
        table.rows.push_back(std::move(row));
    }
    return table;
}

ReportTable alarmsTable(const TVXLog& history)
{
    ReportTable table {text(AlarmsTitle), {text(AlarmColumn), text(CountColumn), text(DatesColumn)}, {},
                       text(NoAlarm)};
    for (const AlarmSummary& alarm : alarmSummary(history))
        table.rows.push_back({alarm.name, std::to_string(alarm.count), alarm.dates});
    return table;
}

ReportTable eventsTable(const TVXLog& history)
{
    ReportTable table {message(Msg::HistoryPage),
                       {text(NumberColumn), text(DateColumn), text(EventColumn), "Extra", "FU1", "FU2"},
                       {},
                       text(NoEvent)};
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
    report.title = text(Title);
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
        report.tables.push_back({message(Msg::Comments), {}, {{memo}}, {}});
    report.events = eventsTable(history);
    report.trendsTitle = trendsCaption();
    report.pageNumbers = text(PageNumbers);
    return report;
}

std::string serviceReportMenuText()
{
    return text(MenuItem);
}

std::string printServiceReportMenuText()
{
    return text(PrintMenuItem);
}

std::string serviceReportDialogTitle()
{
    return text(DialogTitle);
}

FileFilter serviceReportFilter()
{
    return {text(PdfFilter), "*.pdf"};
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
