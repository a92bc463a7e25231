#pragma once

#include <initializer_list>
#include <string>

// Every text that the numbered catalogue lacks, in the catalogue's five
// languages; appText returns the selected language's. New behaviour adds its
// texts here, in the group of its subsystem, so that the catalogue's numbering
// and its "0" fall-back stay as they are.
enum class AppText {
    // the application frame
    SettingsUnreadable,  // the settings file exists but cannot be read
    FindMower,           // the placeholder of the search field over the tiles
    WithAlarms,          // the toggle that keeps records whose newest history has alarms
    ShownOfTotal,        // "%1 of %2": tiles shown, records in all

    // the mower link

    // the database and its files

    // the windows and dialogs

    // the rules of the record dialogs and of the comments
    FieldUnencodable,  // %1 the field's caption as the dialog shows it, %2 the character, %3 its code point
    FieldInvalidByte,
    NameTooLong,
    AddressTooLong,
    CommentUnencodable,
    CommentInvalidByte,
    CommentTooLong,

    // the history trends and the service report
    TrendsCaption,
    ReportTitle,
    ReportPageNumbers,
    ReportAlarmsTitle,
    ReportNoAlarm,
    ReportAlarmColumn,
    ReportCountColumn,
    ReportDatesColumn,
    ReportNumberColumn,
    ReportDateColumn,
    ReportEventColumn,
    ReportNoEvent,
    ReportReadingTitle,
    ReportReadingDate,
    ReportMenuItem,
    ReportPrintMenuItem,
    ReportDialogTitle,
    ReportPdfFilter,
};

std::string appText(AppText text);

// The text with %1, %2, ... replaced by the arguments, in that order.
std::string appText(AppText text, std::initializer_list<std::string> arguments);
