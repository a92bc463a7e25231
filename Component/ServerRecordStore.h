#pragma once

#include "Component/PgConnection.h"
#include "Component/RecordStore.h"
#include "Component/ServerSchema.h"

#include <memory>
#include <string>

struct HistoryRow;
struct RecordRows;

// The database on a PostgreSQL server, shared by every PC of a workshop: a
// row per record (keyed by the serial number that names it) and a row per
// history, every byte of the record file kept, so that the file rebuilt from
// them is the file they came from. Every change is one transaction; a record
// changed by another PC since this one read it is never written over.
// There is no lock of the whole database: many PCs work at once.
class ServerRecordStore : public RecordStore {
public:
    // The schema this program knows; a server of a newer one is refused.
    static constexpr int SchemaVersion = serverschema::Newest;

    explicit ServerRecordStore(std::string uri);
    ~ServerRecordStore() override;

    // The URI as given (it never holds a password).
    std::string location() const override { return uri_; }
    // Connects and checks the schema: Refused for a URI that holds a password
    // or a schema that is missing or newer than this program knows,
    // Unreachable when the server cannot be reached.
    StoreResult open() override;
    StoreResult list(std::vector<RecordCaption>& captions) override;
    StoreResult load(RecordCaption& caption, std::unique_ptr<TVXMowerLog>& record) override;
    StoreResult save(RecordCaption& caption, TVXMowerLog& record) override;
    // Under the record's row lock: a filing never meets a record changed by
    // another PC, it joins it.
    StoreResult fileHistory(RecordCaption& caption, TVXMowerLog& record, const TVXLogTime& date,
                            bool& joined, const std::string* before = nullptr) override;
    StoreResult create(TVXMowerLog& record, RecordCaption& caption) override;
    StoreResult loadFile(RecordCaption& caption, std::string& fileBytes) override;
    // All records in one transaction: a copy that fails leaves the server empty.
    StoreResult fillEmptyWithFiles(const RecordFileSource& source) override;
    std::optional<bool> machineExists(std::uint8_t typeCode, std::uint8_t idYear, std::uint32_t idNumber,
                                      std::uint8_t idSuffix) override;
    std::optional<RecordCaption> recordOfMower(std::uint32_t serialNumber) override;
    // Rebuilds every record from its rows and checks it against its checksum.
    DatabaseCheckReport check() override;
    // A server database is mended with the server's own tools: Refused.
    StoreResult repair(const DatabaseCheckReport& report) override;

    // Creates the tables of a new database, or upgrades an older schema, in
    // one transaction; run by the role that owns the database. Refused for a
    // newer schema. `version` below the newest makes an older schema (tests
    // of the upgrade).
    static StoreResult initSchema(const std::string& uri, int version = SchemaVersion);

    int changeSocket() override;
    std::vector<std::string> takeChanges(bool& missed) override;
    StoreResult captionOf(const std::string& key, RecordCaption& caption) override;
    bool keepsJournal() const override { return true; }
    StoreResult journal(const JournalQuery& query, std::vector<JournalEntry>& entries) override;
    StoreResult stateBefore(std::int64_t change, std::string& fileBytes) override;
    StoreResult undo(std::int64_t change, JournalEntry& done) override;
    // The server's version and the number of its records, for a connection test.
    StoreResult describe(std::string& serverVersion, long long& records);

    static constexpr const char* UriPrefix = "postgresql://";
    static bool isServerUri(const std::string& text);

private:
    // Connected (again, after a broken connection), or Unreachable.
    StoreResult reach();
    StoreResult failure(const PgResult& result, const std::string& what);
    // A statement without parameters or rows (BEGIN, COMMIT); Unreachable
    // when the connection broke.
    StoreResult statement(const char* sql);
    // The record's rows and caption columns, written in the open transaction.
    // With the rows as they were (a save), only the histories that differ are written.
    StoreResult writeRows(std::uint32_t nameSerial, const RecordRows& rows, const RecordCaption& caption,
                          bool insert, const RecordRows* old = nullptr);
    StoreResult insertHistory(std::uint32_t nameSerial, const HistoryRow& history, std::int32_t position);
    StoreResult insertHistories(std::uint32_t nameSerial, const RecordRows& rows, std::size_t from);
    StoreResult changeHistories(std::uint32_t nameSerial, const RecordRows& old, const RecordRows& now);
    StoreResult readInSnapshot(RecordCaption& caption, std::string& fileBytes);
    // In the open transaction: the journal entry of a change and its
    // announcement to the other PCs, sent when the transaction commits.
    StoreResult journalChange(std::uint32_t nameSerial, const std::string* beforeBytes, const RecordRows* before,
                              const RecordRows* after, std::int64_t undoes, std::int64_t* change = nullptr);
    StoreResult listen();
    StoreResult readRecordFileBytes(std::uint32_t nameSerial, std::string& fileBytes);
    void rollback();

    std::string uri_;
    std::unique_ptr<PgConnection> connection_;
    std::string pc_;
    std::string osUser_;
    bool listening_ = false;
    // The connection broke since the last takeChanges: announcements may be lost.
    bool missedChanges_ = false;
};
