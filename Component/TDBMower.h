#pragma once

#include "Class/RecordCaption.h"
#include "Class/TVXLogTime.h"
#include "Component/FolderRecordStore.h"
#include "Component/TileLayout.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class RecordWindow;
class TDBMowerList;
struct RecordInput;
struct RecordVerdict;
class TVXLog;
class TVXLogTime;
class TVXMowerLog;
class UserInteraction;

// What became of a history offered to a record or to the list.
enum class InsertResult {
    NoRecord,     // no record has its serial number (or machine identifier); the caller keeps the history
    Inserted,     // filed, and its record written
    DateExists,   // the record already holds a history of this date; the caller keeps it
    WriteFailed,  // the record could not be read or written (the dealer was told); the
                  // record is as it was and the caller keeps the history
};

// Whether a history may be deleted. A record keeps at least one history, and
// a history goes only when its neighbour in the record's order (the one
// before it, or the second for the first) came from the same mower: the
// histories of a mower whose board was changed stay as the proof of it.
enum class DeleteRule {
    Allowed,
    OnlyHistory,    // the record's only history
    SerialDiffers,  // the neighbour has another serial number
    NotFound,       // the record holds no history of that date
};

enum class DeleteResult {
    Deleted,      // removed, and the record file written
    Refused,      // the rule forbids it (the dealer was told)
    Cancelled,    // the dealer said no
    WriteFailed,  // removed in memory, but the file could not be written (reported)
};

// One mower record as it lives in the database: its caption (owner, machine
// identity, serial number, where its store keeps it), the record itself once
// it was read, the three caption lines and the position of its tile in the
// list. The list creates the entries and owns them; a view draws them.
//
// At start-up an entry holds its caption only. The record's histories are
// read from the store when its window opens or an operation needs them, and
// stay in memory for the rest of the run. A record that can no longer be read
// then (damaged, removed or replaced since) is reported, keeps its tile, and
// nothing is written over it.
//
// Every change of the record is written to its store at once (whole or not at
// all), so that a crash never loses a history; the record is written once more
// at the end of the run when its window was opened, for the comments.
class TDBMower {
public:
    static constexpr int TileSize = TileLayout::TileSize;
    static constexpr std::size_t MaxRecordFileBytes = FolderRecordStore::MaxRecordFileBytes;

    // Reads the record file. Throws std::ios_base::failure when the file
    // cannot be read or holds no whole record, TVXCrc_error ("corruped file")
    // when its checksum fails: no entry exists for a file that cannot be read.
    TDBMower(const std::string& path, TDBMowerList& owner);
    // A record known by its caption only, as the store listed it.
    TDBMower(const RecordCaption& caption, TDBMowerList& owner);
    // Takes over a record in memory; its file name is set by SetFileName.
    TDBMower(std::unique_ptr<TVXMowerLog> record, TDBMowerList& owner);
    // Takes over a record that its store has just written.
    TDBMower(std::unique_ptr<TVXMowerLog> record, const RecordCaption& stored, TDBMowerList& owner);
    ~TDBMower();
    TDBMower(const TDBMower&) = delete;
    TDBMower& operator=(const TDBMower&) = delete;

    // Reads the record file again (see the first constructor); true or throws.
    bool Load();
    // Reads the record from its store when it is not in memory yet. False
    // when it cannot be read (the dealer was told why): nothing may then be
    // done to it.
    bool EnsureLoaded();
    bool IsLoaded() const { return mowerHandle && !placeholder_; }
    // Writes the record to its store, whole or not at all. A failure is
    // written to the trace log and shown to the user; the old record stays.
    // A record that was never read is not written. When another PC changed
    // the record since it was read, nothing is written: the record is read
    // again and shown, and the dealer told so.
    bool SaveRecord();
    // Reads the record again from its store (it changed on another PC) and
    // shows it; comments changed here and not yet written are kept. False
    // when it cannot be read (reported).
    bool Reload();
    // The record as the store lists it now, after another PC changed it: a
    // record in memory is read again (its window shows it), one that is not
    // takes the new caption. True when anything changed.
    bool CaptionChanged(const RecordCaption& caption);
    // Files again, into this record, the history of that date as it was
    // before a change of the journal (a history deleted by mistake). The
    // results are those of InsertLog; NoRecord when the journal holds no
    // such history.
    InsertResult RestoreHistory(std::int64_t change, const TVXLogTime& date);
    // The last SaveRecord found the record changed on another PC, and read it again.
    bool LastSaveFoundChange() const { return reloadedOnConflict_; }
    // Stores the window's comments and writes the record, when its window was
    // ever opened; false when that write failed (it was reported).
    bool SaveIfOpen();
    // Files the history under its date and writes the record. Inserted: the
    // file holds it, `history` is empty and the record window shows it (it is
    // opened when needed). DateExists or WriteFailed: the record and its
    // window are as they were and `history` stays with the caller.
    InsertResult InsertLog(std::unique_ptr<TVXLog>& history);
    // Moves over every history of the other record whose date this record
    // lacks, writes the record when one moved, and opens or raises its window
    // (which shows them on tabs of their own). False when the record cannot
    // be read or the write failed (reported): the histories then go back to
    // the other record and this one stays as it was.
    bool MergeFrom(TVXMowerLog& other);
    // Opens the record window, or brings it to the front; the record is read first.
    void OpenRecord();
    // The record window changed the owner data: the comments are stored, the
    // record is written and the list re-arranged.
    bool RecordChanged();
    // The owner-data dialog's input, checked under its rules (validateOwnerData).
    // When it passes, the record takes its owner data and machine identifier
    // (the suffix stays) and RecordChanged follows: the file is written at
    // once. False with the refusal in `verdict` when it does not pass; false
    // with a passed verdict when the write failed (reported): the record then
    // keeps its old data, as its file does.
    bool ChangeOwnerData(const RecordInput& input, RecordVerdict& verdict);

    DeleteRule CanDeleteHistory(const TVXLogTime& date) const;
    // Deletes the history of that date after the dealer confirmed it, and
    // writes the record at once; the window's other comments are stored first.
    // A refusal under the rule is shown as message 127.
    DeleteResult DeleteHistory(const TVXLogTime& date);
    // Sets the comment of the history of that date (UTF-8); true when it
    // changed. A text the record file cannot store is refused (false, the
    // comment stays), as is a date the record lacks.
    bool UpdateComment(const TVXLogTime& date, const std::string& comment);
    // UpdateComment, then writes the record when the comment changed; false
    // when it was refused or the write failed.
    bool StoreComment(const TVXLogTime& date, const std::string& comment);
    // Writes the record in memory to a file the user chooses (record format).
    bool Export();

    void SetFileName(const std::string& path) { caption_.key = path; }
    // Where the store keeps the record: the record file's path in a folder.
    const std::string& GetFileName() const { return caption_.key; }
    std::uint32_t GetSerial() const;
    // The record, read from its store on first use. When it can no longer be
    // read this is a record of the caption without histories, which is never
    // written: operations check EnsureLoaded first.
    TVXMowerLog& GetMowerHandle();
    const TVXMowerLog& GetMowerHandle() const;
    RecordWindow* GetChildForm() const { return childForm; }
    // The store the record lives in.
    RecordStore& Store() const;

    // What the list shows and searches, from the record when it is in memory,
    // from its caption otherwise.
    const TVXOwner& GetOwner() const;
    std::uint8_t GetTypeCode() const;
    std::uint8_t GetIdYear() const;
    std::uint32_t GetIdNumber() const;
    std::uint8_t GetIdSuffix() const;
    bool NewestHasAlarms() const;

    // Caption lines: owner name and second name; machine identifier; serial
    // number as 8 upper-case hexadecimal digits.
    const std::string& GetNameText() const { return nameText; }
    const std::string& GetMachineIdText() const { return machineIdText; }
    const std::string& GetSerialText() const { return serialText; }
    std::string BuildMachineId() const;
    // Sets the three caption lines from the record; true when one changed.
    bool RefreshCaptions();

    // Position of the tile in the list, set by Arrange.
    int GetLeft() const { return left; }
    int GetTop() const { return top; }
    void SetPosition(int x, int y)
    {
        left = x;
        top = y;
    }

private:
    // After the record changed: a new caption re-sorts the list, otherwise
    // only this tile is repainted.
    void ShowChange();
    // The record file's bytes of a record that holds no history yet, so that
    // histories filed into it can be taken out again to the last field (the
    // copied fields of a record follow its newest history); empty otherwise.
    std::string EmptyRecordBytes();
    // Takes out histories filed in memory whose write failed.
    void TakeBack(const std::vector<TVXLogTime>& dates, const std::string& emptyRecordBytes);

    // The record in memory, or null while only its caption is known.
    const TVXMowerLog* Live() const { return IsLoaded() ? mowerHandle.get() : nullptr; }
    // Reads the record from the store; the reason when it cannot.
    StoreResult ReadFromStore() const;
    // Writes the record; the store's result, nothing reported.
    StoreResult WriteRecord();
    // Tells the dealer (and the trace log) why a read or a write failed.
    void ReportStoreFailure(const StoreResult& result, bool reading = false);

    // Filing into a record that other PCs change too: read again and tried
    // once more, at most this often.
    static constexpr int ConflictRetries = 5;

    TDBMowerList& owner;
    mutable RecordCaption caption_;  // its checksum follows what the store holds
    mutable std::unique_ptr<TVXMowerLog> mowerHandle;
    mutable bool placeholder_ = false;  // mowerHandle stands in for a record that did not read
    // Comments changed here since the record was last written, by date.
    std::map<TVXLogTime, std::string> unsavedComments_;
    bool reloadedOnConflict_ = false;  // the last SaveRecord found the record changed elsewhere
    RecordWindow* childForm = nullptr;
    std::string nameText;
    std::string machineIdText;
    std::string serialText;
    int left = 0;
    int top = 0;
};
