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
    YesNoQuestion,  // the command-line tool's question: the answers it takes
    LinkLost,            // under the failure message of a command whose mower went away
    PortRefused,         // under "Selected port not free": %1 the port, %2 the group that may open it
    PortsRefused,        // under "No machine connected": %1 the ports, %2 the groups that may open them
    PortRefusedReason,   // quorvane-tool ports: %1 the group
    PortBusyReason,      // quorvane-tool ports
    NoFreePort,          // quorvane-tool ports
    UpgradeFileName,     // under "Corrupted file": %1 the file

    // the database and its files
    DatabaseInUse,  // a second application on the same database folder
    RecordSaveFailed,  // a record file could not be written
    CheckerWriteFailed,  // the checker could not be written
    ImportConflict,  // serial number of one record, machine number of another
    RecordFileTaken,  // a new record's file name belongs to a loaded record
    RecordUnreadable,  // a record damaged, removed or replaced since start-up, when it is opened
    RecordChangedElsewhere,  // a save refused: another PC changed the record since it was read
    HistoryNotFiledSaveBin,  // a history read from a mower could not be filed: save it as a .bin file?

    // the workshop database server
    ServerUnreachable,      // the server cannot be reached: followed by the reason
    ServerUnreachableStatus,  // the status line while the database commands wait for the server
    ServerRefused,          // the server's database cannot be used (schema missing or newer): the reason follows
    ServerPasswordInUri,    // DBSERVER holds a password
    ServerReachedAgain,     // the status line once the server is back
    ServerConnectionLost,   // an operation failed as the connection broke: the reason follows
    RecordChangedWhileTyping,  // a record window whose record changed elsewhere while a comment is being typed
    ChangeHistoryItem,      // the record window's Edition menu: the record's journal
    ChangeHistoryTitle,     // the journal dialog's title: %1 the record's serial number
    ChangeHistoryNumber,    // its columns
    ChangeHistoryWhen,
    ChangeHistoryWhere,
    ChangeHistoryWhat,
    ChangeHistoryRestore,   // the button that files a deleted history again
    ChangeHistoryEmpty,     // a database that keeps no journal (a folder)
    HistoryRestored,        // %1 the history's date
    HistoryNotRestored,     // %1 the history's date; the reason, when the store gave one, was said before
    ChangeRecordCreated,    // the journal dialog's changes: %1 the number of histories
    ChangeRecordRemoved,    // %1 the number of histories
    ChangeHistoryFiled,     // %1 the history's date
    ChangeHistoriesFiled,   // %1 the dates
    ChangeHistoryDeleted,   // %1 the history's date
    ChangeHistoriesDeleted, // %1 the dates
    ChangeCommentEdited,    // %1 the dates of the histories whose comment changed
    ChangeOwnerData,        // owner data or machine identifier
    ChangeUndo,             // %1 the change undone; what the undo did follows
    DatabasePart,           // the options dialog's part: the folder or a server
    DatabaseFolderChoice,
    DatabaseServerChoice,
    DatabaseTest,           // the button that tries the server
    DatabaseTestReached,    // %1 the server's version, %2 its number of records
    DatabaseTestFailed,     // followed by the reason
    DatabaseNextStart,      // a change takes effect at the next start
    InsertHistoryIdentity,  // over the insert dialog's list: %1 the serial number, %2 the mower type

    // the windows and dialogs
    RefreshPorts,  // the options dialog's button that lists the ports again
    LanguageNote,  // under the options dialog's language list
    ClosingAfterCommand,  // the status line while a close asked for during a command waits for its end
    ReadingsButton,       // the record window's list of every reading, at the corner of its tab row
    ReadingsButtonTip,

    // the rules of the record dialogs and of the comments
    FieldUnencodable,  // %1 the field's caption as the dialog shows it, %2 the character, %3 its code point
    FieldInvalidByte,
    NameTooLong,
    AddressTooLong,
    CommentUnencodable,
    CommentInvalidByte,
    CommentTooLong,

    // the progress window
    UpgradeKeepMowerOn,  // under the bar while the firmware is written

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
// The text in the given language (0 to 4), whatever the selected one.
std::string appTextIn(AppText text, int language);

// The text with %1, %2, ... replaced by the arguments, in that order.
std::string appText(AppText text, std::initializer_list<std::string> arguments);
