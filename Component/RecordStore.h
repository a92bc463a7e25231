#pragma once

#include "Class/RecordCaption.h"
#include "Component/DatabaseCheck.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TVXLogTime;
class TVXMowerLog;

// What became of one operation of a store. The reason is the system's or the
// store's own text (a path and what failed), for the trace log and for the
// line under the dealer's message; the store itself never shows anything.
struct StoreResult {
    enum class Status {
        Ok,
        InUse,     // open: another running copy of the program holds the database
        NotFound,  // load: the record is gone
        Damaged,   // load: the record no longer reads whole (checksum, format);
                   // list: the table of contents is damaged
        Replaced,  // load: another record now stands where the listed one was
        Changed,   // save: the record changed in the store since it was read (another PC);
                   // nothing was written
        Unreachable,  // the database server cannot be reached, or the connection broke
        DateExists,   // fileHistory: the record holds a history of that date by now
        Taken,     // create: the name belongs to a record of the list (reason: its key)
        Refused,   // the operation does not apply (a database that is not empty...)
        Failed,    // the system refused a read or a write
    };
    Status status = Status::Ok;
    std::string reason;
    // A text for the dealer about a part that failed while the operation
    // itself succeeded (a record written whose index entry was not).
    std::string warning;

    explicit operator bool() const { return status == Status::Ok; }
    static StoreResult ok() { return {}; }
    static StoreResult failed(Status status, std::string reason) { return {status, std::move(reason), {}}; }
};

// What the dealer is told of a failed read or write, in his language: the
// message of its kind with the reason under it.
std::string storeFailureText(const StoreResult& result, bool reading = false);

// One change of the journal of a database that keeps one.
struct JournalEntry {
    std::int64_t change = 0;  // its number, rising with time
    std::string at;           // "2026-12-10 17:42:05", the server's local time
    std::string pc;           // the computer it was made on
    std::string user;         // the account on that computer
    std::string record;       // the key of the record (its serial number)
    std::string kind;         // see ChangeDescription
    std::string detail;
    std::int64_t undoes = 0;  // the change it undid, or 0
    bool hasBefore = false;   // the record as it was before is kept (not for a creation)
};

struct JournalQuery {
    std::string record;  // a serial number in hexadecimal; empty: every record
    std::string since;   // "YYYY-MM-DD"; empty: from the start
};

// Hands over the records of a database one by one for RecordStore::fillEmpty:
// the serial number that names the record and the record; false when done.
using RecordSource = std::function<bool(std::uint32_t& nameSerial, std::unique_ptr<TVXMowerLog>& record)>;
// The same with each record as the bytes of its record file, which the store
// keeps byte for byte (a copy from one store to another). Empty bytes stop the
// fill as failed: the source could not give its record.
using RecordFileSource = std::function<bool(std::uint32_t& nameSerial, std::string& fileBytes)>;

// Where the records of the database live. The list and the tools reach the
// records only through a store; every write is whole or not at all, and every
// failure comes back as a result that the caller reports.
class RecordStore {
public:
    virtual ~RecordStore() = default;

    // The database as the dealer names it (the folder, the server).
    virtual std::string location() const = 0;

    // Takes the database for this run of the program: InUse when another copy
    // holds it. What interrupted writes of an earlier run left is cleared.
    virtual StoreResult open() = 0;
    // The caption of every record that reads whole, each record once, in the
    // order of the table of contents. A record that does not read gets a
    // trace-log line and no caption. Damaged when the table of contents
    // cannot be read; the captions are then empty.
    virtual StoreResult list(std::vector<RecordCaption>& captions) = 0;
    // The whole record of a caption that list or create gave. NotFound,
    // Damaged or Replaced when it changed since (nothing is written then). A
    // store shared by several PCs gives the record as it is now, and the
    // caption's checksum follows it.
    virtual StoreResult load(RecordCaption& caption, std::unique_ptr<TVXMowerLog>& record) = 0;
    // Writes the record in place of the caption's, whole or not at all; the
    // caption's checksum follows the new content. Changed, writing nothing,
    // when another PC changed the record since this one read it.
    virtual StoreResult save(RecordCaption& caption, TVXMowerLog& record) = 0;
    // Files the history of that date, which the record in memory holds, into
    // the record as the store holds it now: when another PC changed the
    // record since it was read, the history joins what it holds then (and
    // `joined` says that the record in memory should be read again). Nothing
    // is written when the record holds that date by then (DateExists).
    // `before`, when given, is the record file of the record as it was read
    // (without that history): a store shared with other PCs need not read it
    // again while the record is locked.
    virtual StoreResult fileHistory(RecordCaption& caption, TVXMowerLog& record, const TVXLogTime& date,
                                    bool& joined, const std::string* before = nullptr)
    {
        (void)date;
        (void)before;
        joined = false;
        return save(caption, record);
    }
    // A new record named after its serial number, and its entry in the table
    // of contents; the caption says where it now lives. Taken when the name
    // belongs to a record of the list; an unlisted record of that name is
    // kept under another name first.
    virtual StoreResult create(TVXMowerLog& record, RecordCaption& caption) = 0;
    // The bytes of the record file of a caption, as load reads them.
    virtual StoreResult loadFile(RecordCaption& caption, std::string& fileBytes) = 0;
    // Fills a database that holds no record yet with every record of the
    // source, its table of contents last. Refused when it is not empty; a
    // record file that does not read whole is refused too.
    virtual StoreResult fillEmptyWithFiles(const RecordFileSource& source) = 0;
    StoreResult fillEmpty(const RecordSource& source);

    // For a database that other PCs change at the same time: whether it
    // holds a record of that machine identity now, and the caption of the
    // record whose newest history came from that mower. Nothing where the
    // list read at start-up is the whole truth (a folder under its lock).
    virtual std::optional<bool> machineExists(std::uint8_t, std::uint8_t, std::uint32_t, std::uint8_t)
    {
        return std::nullopt;
    }
    virtual std::optional<RecordCaption> recordOfMower(std::uint32_t) { return std::nullopt; }

    // Changes made by other programs on the same database. A socket that
    // becomes readable when one is announced (-1: none are, or the connection
    // is broken: open() connects again); the keys of
    // the records changed since the last call, each once; `missed` when
    // announcements may have been lost (a broken connection): the caller then
    // lists again.
    virtual int changeSocket() { return -1; }
    virtual std::vector<std::string> takeChanges(bool& missed)
    {
        missed = false;
        return {};
    }
    // The caption of one record as it is now; NotFound when it is gone.
    virtual StoreResult captionOf(const std::string& key, RecordCaption& caption)
    {
        (void)key;
        (void)caption;
        return StoreResult::failed(StoreResult::Status::Refused, location() + ": reads captions at start-up only");
    }

    // The journal of every change, where the store keeps one.
    virtual bool keepsJournal() const { return false; }
    virtual StoreResult journal(const JournalQuery& query, std::vector<JournalEntry>& entries)
    {
        (void)query;
        entries.clear();
        return StoreResult::failed(StoreResult::Status::Refused, location() + ": keeps no journal of changes");
    }
    // The record file as it was before a change.
    virtual StoreResult stateBefore(std::int64_t change, std::string& fileBytes)
    {
        (void)change;
        (void)fileBytes;
        return StoreResult::failed(StoreResult::Status::Refused, location() + ": keeps no journal of changes");
    }
    // Puts the record back as it was before the change (a record the change
    // created is removed), itself journalled; `done` is the new entry.
    virtual StoreResult undo(std::int64_t change, JournalEntry& done)
    {
        (void)change;
        (void)done;
        return StoreResult::failed(StoreResult::Status::Refused, location() + ": keeps no journal of changes");
    }

    // A read-only inspection, and the repair of what it found.
    virtual DatabaseCheckReport check() = 0;
    virtual StoreResult repair(const DatabaseCheckReport& report) = 0;
};
