#pragma once

class TDBMower;
class TVXLogTime;

// One record's window as the database sees it. The application's record
// window implements it; tests have their own.
class RecordWindow {
public:
    virtual ~RecordWindow() = default;
    virtual void bringToFront() = 0;
    // A history of this date was filed into the record: show its tab (create
    // it if needed), make it the active one and refresh the general data.
    virtual void showHistory(const TVXLogTime& date) = 0;
    // Copies the comment of every history tab back into its history.
    virtual void storeComments() = 0;
    // The record was read again (it changed on another PC): show what it
    // holds now, tabs and general data, keeping what the dealer is typing.
    virtual void showRecord() {}
};

// Opens the window of a record. The window belongs to the factory and lives
// until the end of the run; the entry keeps a pointer to it and never
// destroys it. Nothing (null) when no window can be shown, as in the
// command-line tool.
class RecordWindowFactory {
public:
    virtual ~RecordWindowFactory() = default;
    virtual RecordWindow* openRecordWindow(TDBMower& mower) = 0;
};
