#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/UserInteraction.h"

class TVXLog;
class TVXMowerLog;

// What a service report for the customer says about one reading of a record,
// as texts in the catalogue's current language. The PDF writer only lays the
// texts out; everything a test wants to check is decided here.

struct ReportTable {
    std::string title;
    std::vector<std::string> header;              // empty: no header row
    std::vector<std::vector<std::string>> rows;   // a row shorter than the table: its last cell takes the rest
    std::string emptyText;                        // shown instead of the rows when there are none
};

struct ServiceReport {
    std::string title;       // "Service report"
    std::string subtitle;    // machine identifier, owner, reading's date
    std::vector<ReportTable> tables;  // in reading order
    ReportTable events;               // the reading's event list, after the tables; as long as the ring
    std::string trendsTitle;
    std::string pageNumbers;          // "Page %1 of %2"
};

// One alarm of a reading: its name, how often it was logged, and the dates of
// its first and last entry ("05/12 08:30", or one date when logged once).
struct AlarmSummary {
    std::string name;
    std::size_t count = 0;
    std::string dates;
};
// The alarms of a history, by name, most frequent first (name order on ties).
std::vector<AlarmSummary> alarmSummary(const TVXLog& history);

// The report of `history`, which belongs to `record`; with `comment` (stored
// form) instead of the history's own, as a window's memo may hold one not yet written.
ServiceReport serviceReport(const TVXMowerLog& record, const TVXLog& history,
                            const std::string* comment = nullptr);

// The record window's menu items.
std::string serviceReportMenuText();
std::string printServiceReportMenuText();
// The save dialog's title and filter, and the name it suggests: the machine
// identifier and the reading's date ("TX-05-123-B_2008-05-07.pdf"), with
// anything but letters, digits, dashes and underscores made an underscore.
std::string serviceReportDialogTitle();
FileFilter serviceReportFilter();
std::string serviceReportFileName(const TVXMowerLog& record, const TVXLog& history);
