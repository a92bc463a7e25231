#include "Component/ServerRecordStore.h"

#include "Class/ByteIO.h"
#include "Class/RecordFile.h"
#include "Class/RecordRows.h"
#include "Class/TVXException.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/RecordFileName.h"
#include "core/CLogger.h"
#include "core/Cp1252.h"

#include <algorithm>
#include <map>
#include <optional>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {

using Status = StoreResult::Status;

const char* const SelectRecord =
    "SELECT format, format_extra, header_serial, owner_name, owner_surname, owner_address, type_code, id_year,"
    " id_number, id_suffix, checksum FROM records WHERE name_serial = $1";
const char* const SelectHistories =
    "SELECT info_head, date_year, date_month, date_day, date_hour, date_minute, date_second, serial_number,"
    " bootloader_version, software_version, type_byte, sleep_copy, image, comment"
    " FROM histories WHERE name_serial = $1 ORDER BY position";

std::uint32_t fileChecksum(std::string_view fileBytes)
{
    return byteio::getU32(reinterpret_cast<const unsigned char*>(fileBytes.data() + fileBytes.size() - 4));
}

std::uint32_t nameSerialOf(const RecordCaption& caption)
{
    return parseSerialHex(caption.key).value_or(0);
}

std::uint8_t byteOf(std::int64_t value)
{
    return static_cast<std::uint8_t>(value);
}

}  // namespace

ServerRecordStore::ServerRecordStore(std::string uri) : uri_(std::move(uri))
{
    char host[256] = {};
    if (::gethostname(host, sizeof host - 1) == 0)
        pc_ = host;
    if (const passwd* account = ::getpwuid(::geteuid()))
        osUser_ = account->pw_name;
    else if (const char* user = std::getenv("USER"))
        osUser_ = user;
    if (pc_.empty())
        pc_ = "?";
    if (osUser_.empty())
        osUser_ = "?";
}

ServerRecordStore::~ServerRecordStore() = default;

bool ServerRecordStore::isServerUri(const std::string& text)
{
    return text.rfind(UriPrefix, 0) == 0 || text.rfind("postgres://", 0) == 0;
}

StoreResult ServerRecordStore::reach()
{
    std::string error;
    if (connection_ && connection_->connected())
        return StoreResult::ok();
    if (connection_ && connection_->ensureConnected(error)) {
        // A new session: it listens no more, and what was announced meanwhile is lost.
        missedChanges_ = true;
        if (listening_) {
            listening_ = false;
            listen();
        }
        return StoreResult::ok();
    }
    if (!connection_) {
        if (PgConnection::hasPassword(uri_))
            return StoreResult::failed(Status::Refused, "the connection URI holds a password");
        connection_ = PgConnection::connect(uri_, error);
        if (connection_)
            return StoreResult::ok();
    }
    return StoreResult::failed(Status::Unreachable, error);
}

StoreResult ServerRecordStore::failure(const PgResult& result, const std::string& what)
{
    const std::string reason = what + ": " + result.error();
    rollback();
    if (!connection_ || !connection_->connected())
        return StoreResult::failed(Status::Unreachable, reason);
    return StoreResult::failed(Status::Failed, reason);
}

StoreResult ServerRecordStore::statement(const char* sql)
{
    std::string error;
    if (connection_->command(sql, error))
        return StoreResult::ok();
    return StoreResult::failed(connection_->connected() ? Status::Failed : Status::Unreachable, error);
}

void ServerRecordStore::rollback()
{
    if (connection_ && connection_->connected()) {
        std::string ignored;
        connection_->command("ROLLBACK", ignored);
    }
}

StoreResult ServerRecordStore::open()
{
    if (PgConnection::hasPassword(uri_))
        return StoreResult::failed(Status::Refused, "the connection URI holds a password");
    if (StoreResult reached = reach(); !reached)
        return reached;
    const PgResult version = connection_->exec("SELECT max(version) FROM quorvane_schema");
    if (!version.ok()) {
        if (version.sqlState() == "42P01")
            return StoreResult::failed(Status::Refused, uri_ + ": the database holds no Quorvane tables yet; "
                                                               "quorvane-tool server init makes them");
        return failure(version, uri_);
    }
    const std::int64_t found = version.integer(0, 0);
    if (found > SchemaVersion)
        return StoreResult::failed(Status::Refused, uri_ + ": the database has schema version "
                                                        + std::to_string(found) + ", newer than this program knows ("
                                                        + std::to_string(SchemaVersion) + ")");
    if (found < SchemaVersion)
        return StoreResult::failed(Status::Refused, uri_ + ": the database has schema version "
                                                        + std::to_string(found)
                                                        + "; quorvane-tool server init upgrades it");
    return listen();
}

StoreResult ServerRecordStore::initSchema(const std::string& uri, int target)
{
    ServerRecordStore store(uri);
    if (StoreResult reached = store.reach(); !reached)
        return reached;
    PgConnection& db = *store.connection_;
    std::string error;
    if (!db.command("BEGIN", error))
        return StoreResult::failed(Status::Failed, error);
    // One initialisation at a time, even from two PCs.
    if (!db.command("SELECT pg_advisory_xact_lock(2026121001)", error)) {
        store.rollback();
        return StoreResult::failed(Status::Failed, error);
    }
    std::int64_t version = 0;
    const PgResult existing = db.exec("SELECT to_regclass('quorvane_schema') IS NOT NULL");
    if (!existing.ok())
        return store.failure(existing, uri);
    if (existing.integer(0, 0)) {
        const PgResult current = db.exec("SELECT max(version) FROM quorvane_schema");
        if (!current.ok())
            return store.failure(current, uri);
        version = current.integer(0, 0);
    }
    if (version > SchemaVersion) {
        store.rollback();
        return StoreResult::failed(Status::Refused, uri + ": the database has schema version " + std::to_string(version)
                                                        + ", newer than this program knows");
    }
    // One step at a time: a database of any earlier version keeps every record.
    for (int from = static_cast<int>(version); from < target; ++from)
        for (const char* statement : serverschema::stepFrom(from))
            if (!db.command(statement, error)) {
                store.rollback();
                return StoreResult::failed(Status::Failed, error);
            }
    if (!db.command("COMMIT", error))
        return StoreResult::failed(Status::Failed, error);
    return StoreResult::ok();
}

StoreResult ServerRecordStore::describe(std::string& serverVersion, long long& records)
{
    if (StoreResult reached = reach(); !reached)
        return reached;
    const PgResult version = connection_->exec("SELECT current_setting('server_version')");
    if (!version.ok())
        return failure(version, uri_);
    // Text results would do as well; binary keeps one reader of results.
    serverVersion = std::string(version.bytes(0, 0));
    const PgResult count = connection_->exec("SELECT count(*) FROM records");
    if (!count.ok())
        return failure(count, uri_);
    records = count.integer(0, 0);
    return StoreResult::ok();
}

namespace {

const char* const SelectCaptions =
    "SELECT name_serial, owner_name, owner_surname, owner_address, type_code, id_year, id_number, id_suffix,"
    " serial_number, newest_has_alarms, history_count, checksum FROM records";

RecordCaption captionOfRow(const PgResult& rows, int r)
{
    RecordCaption c;
    c.key = serialHex(static_cast<std::uint32_t>(rows.integer(r, 0)));
    c.owner.setName(cp1252ToUtf8(rows.bytes(r, 1)));
    c.owner.setSurname(cp1252ToUtf8(rows.bytes(r, 2)));
    c.owner.setAddress(cp1252ToUtf8(rows.bytes(r, 3)));
    c.typeCode = byteOf(rows.integer(r, 4));
    c.idYear = byteOf(rows.integer(r, 5));
    c.idNumber = static_cast<std::uint32_t>(rows.integer(r, 6));
    c.idSuffix = byteOf(rows.integer(r, 7));
    c.serialNumber = static_cast<std::uint32_t>(rows.integer(r, 8));
    c.newestHasAlarms = rows.integer(r, 9) != 0;
    c.historyCount = static_cast<std::uint16_t>(rows.integer(r, 10));
    c.checksum = static_cast<std::uint32_t>(rows.integer(r, 11));
    return c;
}

}  // namespace

std::optional<bool> ServerRecordStore::machineExists(std::uint8_t typeCode, std::uint8_t idYear,
                                                     std::uint32_t idNumber, std::uint8_t idSuffix)
{
    if (!reach())
        return std::nullopt;
    const PgResult found = connection_->exec(
        "SELECT EXISTS (SELECT 1 FROM records WHERE type_code = $1 AND id_year = $2 AND id_number = $3"
        " AND id_suffix = $4)",
        {PgParam::int2(typeCode), PgParam::int2(idYear), PgParam::int8(idNumber), PgParam::int2(idSuffix)});
    if (!found.ok() || found.rows() != 1)
        return std::nullopt;
    return found.integer(0, 0) != 0;
}

std::optional<RecordCaption> ServerRecordStore::recordOfMower(std::uint32_t serialNumber)
{
    if (!reach())
        return std::nullopt;
    const std::string sql = std::string(SelectCaptions) + " WHERE serial_number = $1 ORDER BY listed_order DESC LIMIT 1";
    const PgResult found = connection_->exec(sql.c_str(), {PgParam::int8(serialNumber)});
    if (!found.ok() || found.rows() != 1)
        return std::nullopt;
    return captionOfRow(found, 0);
}

StoreResult ServerRecordStore::captionOf(const std::string& key, RecordCaption& caption)
{
    if (StoreResult reached = reach(); !reached)
        return reached;
    const std::uint32_t nameSerial = parseSerialHex(key).value_or(0);
    const std::string sql = std::string(SelectCaptions) + " WHERE name_serial = $1";
    const PgResult found = connection_->exec(sql.c_str(), {PgParam::int8(nameSerial)});
    if (!found.ok())
        return failure(found, key);
    if (found.rows() != 1)
        return StoreResult::failed(Status::NotFound, key + ": no such record on " + uri_);
    caption = captionOfRow(found, 0);
    return StoreResult::ok();
}

StoreResult ServerRecordStore::list(std::vector<RecordCaption>& captions)
{
    captions.clear();
    if (StoreResult reached = reach(); !reached)
        return reached;
    const std::string sql = std::string(SelectCaptions) + " ORDER BY listed_order";
    const PgResult rows = connection_->exec(sql.c_str());
    if (!rows.ok())
        return failure(rows, uri_);
    captions.reserve(static_cast<std::size_t>(rows.rows()));
    for (int r = 0; r < rows.rows(); ++r)
        captions.push_back(captionOfRow(rows, r));
    return StoreResult::ok();
}

StoreResult ServerRecordStore::readRecordFileBytes(std::uint32_t nameSerial, std::string& fileBytes)
{
    const PgResult head = connection_->exec(SelectRecord, {PgParam::int8(nameSerial)});
    if (!head.ok())
        return failure(head, uri_);
    if (head.rows() == 0)
        return StoreResult::failed(Status::NotFound, serialHex(nameSerial) + ": no such record on " + uri_);
    const PgResult histories = connection_->exec(SelectHistories, {PgParam::int8(nameSerial)});
    if (!histories.ok())
        return failure(histories, uri_);
    RecordRows rows;
    rows.format = byteOf(head.integer(0, 0));
    rows.formatExtra = std::string(head.bytes(0, 1));
    rows.headerSerial = static_cast<std::uint32_t>(head.integer(0, 2));
    rows.name = std::string(head.bytes(0, 3));
    rows.surname = std::string(head.bytes(0, 4));
    rows.address = std::string(head.bytes(0, 5));
    rows.typeCode = byteOf(head.integer(0, 6));
    rows.idYear = byteOf(head.integer(0, 7));
    rows.idNumber = static_cast<std::uint32_t>(head.integer(0, 8));
    rows.idSuffix = byteOf(head.integer(0, 9));
    rows.histories.reserve(static_cast<std::size_t>(histories.rows()));
    for (int r = 0; r < histories.rows(); ++r) {
        HistoryRow h;
        h.infoHead = std::string(histories.bytes(r, 0));
        h.date = TVXLogTime(static_cast<std::uint16_t>(histories.integer(r, 1)), byteOf(histories.integer(r, 2)),
                            byteOf(histories.integer(r, 3)), byteOf(histories.integer(r, 4)),
                            byteOf(histories.integer(r, 5)), byteOf(histories.integer(r, 6)));
        h.serialNumber = static_cast<std::uint32_t>(histories.integer(r, 7));
        h.bootloaderVersion = byteOf(histories.integer(r, 8));
        h.softwareVersion = static_cast<std::uint32_t>(histories.integer(r, 9));
        h.typeByte = byteOf(histories.integer(r, 10));
        h.sleepCopy = std::string(histories.bytes(r, 11));
        h.image = std::string(histories.bytes(r, 12));
        h.comment = std::string(histories.bytes(r, 13));
        rows.histories.push_back(std::move(h));
    }
    try {
        fileBytes = joinRecordFile(rows);
    } catch (const TVXFormat_error& e) {
        return StoreResult::failed(Status::Damaged, serialHex(nameSerial) + ": its rows hold no record: " + e.what());
    }
    if (fileChecksum(fileBytes) != static_cast<std::uint32_t>(head.integer(0, 10)))
        return StoreResult::failed(Status::Damaged,
                                   serialHex(nameSerial) + ": its rows do not rebuild the record they were written from");
    return StoreResult::ok();
}

StoreResult ServerRecordStore::readInSnapshot(RecordCaption& caption, std::string& bytes)
{
    if (StoreResult reached = reach(); !reached)
        return reached;
    if (StoreResult done = statement("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"); !done)
        return done;
    StoreResult read = readRecordFileBytes(nameSerialOf(caption), bytes);
    rollback();  // read only: nothing to keep
    return read;
}

StoreResult ServerRecordStore::loadFile(RecordCaption& caption, std::string& bytes)
{
    StoreResult read = readInSnapshot(caption, bytes);
    if (read)
        caption.checksum = fileChecksum(bytes);
    return read;
}

StoreResult ServerRecordStore::load(RecordCaption& caption, std::unique_ptr<TVXMowerLog>& record)
{
    std::string bytes;
    if (StoreResult read = readInSnapshot(caption, bytes); !read)
        return read;
    try {
        record = readRecordFile(bytes);
    } catch (const TVXException& e) {
        return StoreResult::failed(Status::Damaged, caption.key + ": " + e.what());
    }
    caption.checksum = fileChecksum(bytes);
    return StoreResult::ok();
}

StoreResult ServerRecordStore::writeRows(std::uint32_t nameSerial, const RecordRows& rows,
                                         const RecordCaption& caption, bool insert, const RecordRows* old)
{
    const std::vector<PgParam> head {
        PgParam::int8(nameSerial),
        PgParam::int2(rows.format),
        PgParam::bytea(rows.formatExtra),
        PgParam::int8(rows.headerSerial),
        PgParam::bytea(rows.name),
        PgParam::bytea(rows.surname),
        PgParam::bytea(rows.address),
        PgParam::int2(rows.typeCode),
        PgParam::int2(rows.idYear),
        PgParam::int8(rows.idNumber),
        PgParam::int2(rows.idSuffix),
        PgParam::int8(caption.serialNumber),
        PgParam::boolean(caption.newestHasAlarms),
        PgParam::int4(caption.historyCount),
        PgParam::int8(caption.checksum),
    };
    const char* const insertRecord =
        "INSERT INTO records (name_serial, format, format_extra, header_serial, owner_name, owner_surname,"
        " owner_address, type_code, id_year, id_number, id_suffix, serial_number, newest_has_alarms,"
        " history_count, checksum) VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15)"
        " ON CONFLICT (name_serial) DO NOTHING";
    const char* const updateRecord =
        "UPDATE records SET format = $2, format_extra = $3, header_serial = $4, owner_name = $5,"
        " owner_surname = $6, owner_address = $7, type_code = $8, id_year = $9, id_number = $10,"
        " id_suffix = $11, serial_number = $12, newest_has_alarms = $13, history_count = $14, checksum = $15"
        " WHERE name_serial = $1";
    const PgResult written = connection_->exec(insert ? insertRecord : updateRecord, head);
    if (!written.ok())
        return failure(written, serialHex(nameSerial));
    if (insert && written.affectedRows() == 0)
        return StoreResult::failed(Status::Taken, serialHex(nameSerial));
    if (insert)
        return insertHistories(nameSerial, rows, 0);
    if (old)
        return changeHistories(nameSerial, *old, rows);
    const PgResult cleared = connection_->exec("DELETE FROM histories WHERE name_serial = $1", {PgParam::int8(nameSerial)});
    if (!cleared.ok())
        return failure(cleared, serialHex(nameSerial));
    return insertHistories(nameSerial, rows, 0);
}

StoreResult ServerRecordStore::insertHistory(std::uint32_t nameSerial, const HistoryRow& h, std::int32_t position)
{
    const PgResult added = connection_->exec(
        "INSERT INTO histories (name_serial, position, info_head, date_year, date_month, date_day, date_hour,"
        " date_minute, date_second, serial_number, bootloader_version, software_version, type_byte,"
        " sleep_copy, image, comment)"
        " VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16)",
        {PgParam::int8(nameSerial), PgParam::int4(position), PgParam::bytea(h.infoHead),
         PgParam::int4(h.date.year), PgParam::int2(h.date.month), PgParam::int2(h.date.day),
         PgParam::int2(h.date.hour), PgParam::int2(h.date.minute), PgParam::int2(h.date.second),
         PgParam::int8(h.serialNumber), PgParam::int2(h.bootloaderVersion), PgParam::int8(h.softwareVersion),
         PgParam::int2(h.typeByte), PgParam::bytea(h.sleepCopy), PgParam::bytea(h.image),
         PgParam::bytea(h.comment)});
    if (!added.ok())
        return failure(added, serialHex(nameSerial));
    return StoreResult::ok();
}

StoreResult ServerRecordStore::insertHistories(std::uint32_t nameSerial, const RecordRows& rows, std::size_t from)
{
    for (std::size_t i = from; i < rows.histories.size(); ++i)
        if (StoreResult added = insertHistory(nameSerial, rows.histories[i], static_cast<std::int32_t>(i)); !added)
            return added;
    return StoreResult::ok();
}

namespace {

// Each date's place among the histories; nothing when a date comes twice.
std::optional<std::map<TVXLogTime, std::size_t>> placesByDate(const RecordRows& rows)
{
    std::map<TVXLogTime, std::size_t> places;
    for (std::size_t i = 0; i < rows.histories.size(); ++i)
        if (!places.emplace(rows.histories[i].date, i).second)
            return std::nullopt;
    return places;
}

}  // namespace

StoreResult ServerRecordStore::changeHistories(std::uint32_t nameSerial, const RecordRows& old, const RecordRows& now)
{
    // Only the rows that differ are written: filing one history into a record
    // of hundreds writes one row, not hundreds.
    const auto oldPlaces = placesByDate(old);
    const auto newPlaces = placesByDate(now);
    if (!oldPlaces || !newPlaces) {
        const PgResult cleared =
            connection_->exec("DELETE FROM histories WHERE name_serial = $1", {PgParam::int8(nameSerial)});
        if (!cleared.ok())
            return failure(cleared, serialHex(nameSerial));
        return insertHistories(nameSerial, now, 0);
    }
    const PgParam serial = PgParam::int8(nameSerial);
    bool moved = false;
    for (const auto& [date, place] : *oldPlaces) {
        const auto kept = newPlaces->find(date);
        const PgParam at = PgParam::int4(static_cast<std::int32_t>(place));
        if (kept == newPlaces->end()) {
            const PgResult gone =
                connection_->exec("DELETE FROM histories WHERE name_serial = $1 AND position = $2", {serial, at});
            if (!gone.ok())
                return failure(gone, serialHex(nameSerial));
        } else if (kept->second != place) {
            // Out of the way first: positions are unique at every moment.
            const PgResult away = connection_->exec(
                "UPDATE histories SET position = $3 WHERE name_serial = $1 AND position = $2",
                {serial, at, PgParam::int4(-1 - static_cast<std::int32_t>(kept->second))});
            if (!away.ok())
                return failure(away, serialHex(nameSerial));
            moved = true;
        }
    }
    if (moved) {
        const PgResult placed = connection_->exec(
            "UPDATE histories SET position = -1 - position WHERE name_serial = $1 AND position < 0", {serial});
        if (!placed.ok())
            return failure(placed, serialHex(nameSerial));
    }
    for (const auto& [date, place] : *newPlaces) {
        const HistoryRow& h = now.histories[place];
        const auto was = oldPlaces->find(date);
        if (was == oldPlaces->end()) {
            if (StoreResult added = insertHistory(nameSerial, h, static_cast<std::int32_t>(place)); !added)
                return added;
        } else if (!(old.histories[was->second] == h)) {
            const PgResult changed = connection_->exec(
                "UPDATE histories SET info_head = $3, serial_number = $4, bootloader_version = $5,"
                " software_version = $6, type_byte = $7, sleep_copy = $8, image = $9, comment = $10"
                " WHERE name_serial = $1 AND position = $2",
                {serial, PgParam::int4(static_cast<std::int32_t>(place)), PgParam::bytea(h.infoHead),
                 PgParam::int8(h.serialNumber), PgParam::int2(h.bootloaderVersion), PgParam::int8(h.softwareVersion),
                 PgParam::int2(h.typeByte), PgParam::bytea(h.sleepCopy), PgParam::bytea(h.image),
                 PgParam::bytea(h.comment)});
            if (!changed.ok())
                return failure(changed, serialHex(nameSerial));
        }
    }
    return StoreResult::ok();
}

namespace {

// What a record is written as: its file's rows, and the caption columns.
bool rowsOf(TVXMowerLog& record, RecordRows& rows, RecordCaption& caption, std::string& error)
{
    try {
        const std::string bytes = writeRecordFile(record);
        rows = splitRecordFile(bytes);
        caption = captionOf(record);
        caption.checksum = fileChecksum(bytes);
        return true;
    } catch (const TVXException& e) {
        error = e.what();
        return false;
    }
}

}  // namespace

StoreResult ServerRecordStore::save(RecordCaption& caption, TVXMowerLog& record)
{
    RecordRows rows;
    RecordCaption written;
    std::string error;
    if (!rowsOf(record, rows, written, error))
        return StoreResult::failed(Status::Failed, caption.key + ": " + error);
    if (StoreResult reached = reach(); !reached)
        return reached;
    const std::uint32_t nameSerial = nameSerialOf(caption);
    if (StoreResult done = statement("BEGIN"); !done)
        return done;
    // The row lock makes two PCs that save one record take turns; the second
    // finds the checksum changed and writes nothing.
    const PgResult current =
        connection_->exec("SELECT checksum FROM records WHERE name_serial = $1 FOR UPDATE", {PgParam::int8(nameSerial)});
    if (!current.ok())
        return failure(current, caption.key);
    if (current.rows() == 0) {
        rollback();
        return StoreResult::failed(Status::NotFound, caption.key + ": no such record on " + uri_);
    }
    if (static_cast<std::uint32_t>(current.integer(0, 0)) != caption.checksum) {
        rollback();
        return StoreResult::failed(Status::Changed, caption.key + ": changed on another PC since it was read");
    }
    // The journal keeps the record as it was, to list and undo the change.
    std::string beforeBytes;
    if (StoreResult read = readRecordFileBytes(nameSerial, beforeBytes); !read) {
        rollback();
        return read;
    }
    const RecordRows before = splitRecordFile(beforeBytes);
    if (StoreResult journalled = journalChange(nameSerial, &beforeBytes, &before, &rows, 0); !journalled)
        return journalled;
    if (StoreResult done = writeRows(nameSerial, rows, written, false, &before); !done)
        return done;
    if (StoreResult done = statement("COMMIT"); !done)
        return done;
    caption.checksum = written.checksum;
    return StoreResult::ok();
}

StoreResult ServerRecordStore::fileHistory(RecordCaption& caption, TVXMowerLog& record, const TVXLogTime& date,
                                           bool& joined, const std::string* given)
{
    joined = false;
    const auto filed = record.logs().find(date);
    if (filed == record.logs().end())
        return StoreResult::failed(Status::Refused, caption.key + ": the record holds no history of that date");
    if (StoreResult reached = reach(); !reached)
        return reached;
    const std::uint32_t nameSerial = nameSerialOf(caption);
    std::string error;
    if (StoreResult done = statement("BEGIN"); !done)
        return done;
    const PgResult current =
        connection_->exec("SELECT checksum FROM records WHERE name_serial = $1 FOR UPDATE", {PgParam::int8(nameSerial)});
    if (!current.ok())
        return failure(current, caption.key);
    if (current.rows() == 0) {
        rollback();
        return StoreResult::failed(Status::NotFound, caption.key + ": no such record on " + uri_);
    }
    const auto stored = static_cast<std::uint32_t>(current.integer(0, 0));
    // The record as it was, for the journal: the caller's copy when it is
    // what the server holds (its checksum says so), which spares reading a
    // record of hundreds of histories while it is locked.
    std::string beforeBytes;
    if (given && stored == caption.checksum && given->size() >= 4 && fileChecksum(*given) == stored) {
        beforeBytes = *given;
    } else if (StoreResult read = readRecordFileBytes(nameSerial, beforeBytes); !read) {
        rollback();
        return read;
    }
    const RecordRows before = splitRecordFile(beforeBytes);

    // The record in memory, or the record as it is now with the history added.
    std::unique_ptr<TVXMowerLog> latest;
    TVXMowerLog* written = &record;
    if (stored != caption.checksum) {
        try {
            latest = readRecordFile(beforeBytes);
            if (latest->logs().count(date)) {
                rollback();
                return StoreResult::failed(Status::DateExists, caption.key + ": a history of that date was filed on another PC");
            }
            latest->insertLog(std::make_unique<TVXLog>(*filed->second));
        } catch (const TVXException& e) {
            rollback();
            return StoreResult::failed(Status::Failed, caption.key + ": " + e.what());
        }
        written = latest.get();
        joined = true;
    }
    RecordRows rows;
    RecordCaption after;
    if (!rowsOf(*written, rows, after, error)) {
        rollback();
        return StoreResult::failed(Status::Failed, caption.key + ": " + error);
    }
    if (StoreResult journalled = journalChange(nameSerial, &beforeBytes, &before, &rows, 0); !journalled)
        return journalled;
    if (StoreResult done = writeRows(nameSerial, rows, after, false, &before); !done)
        return done;
    if (StoreResult done = statement("COMMIT"); !done)
        return done;
    // Joined: the record in memory is not what the store holds; whoever reads
    // it again gets the checksum that goes with it.
    if (!joined)
        caption.checksum = after.checksum;
    return StoreResult::ok();
}

StoreResult ServerRecordStore::create(TVXMowerLog& record, RecordCaption& caption)
{
    RecordRows rows;
    RecordCaption written;
    std::string error;
    const std::uint32_t nameSerial = record.getSerialNumber();
    if (!rowsOf(record, rows, written, error))
        return StoreResult::failed(Status::Failed, serialHex(nameSerial) + ": " + error);
    if (StoreResult reached = reach(); !reached)
        return reached;
    if (StoreResult done = statement("BEGIN"); !done)
        return done;
    if (StoreResult done = writeRows(nameSerial, rows, written, true); !done) {
        rollback();
        return done;
    }
    if (StoreResult journalled = journalChange(nameSerial, nullptr, nullptr, &rows, 0); !journalled)
        return journalled;
    if (StoreResult done = statement("COMMIT"); !done)
        return done;
    caption = written;
    caption.key = serialHex(nameSerial);
    return StoreResult::ok();
}

namespace {

// A fill writes many rows a statement: a statement a row costs the server
// more in parsing and planning than in writing the row. Statements of a
// megabyte do best: larger ones cost the server more in handling their
// memory than they save (and stay far below the 65535 parameters one may hold).
constexpr std::size_t FillRowsPerStatement = 64;
constexpr std::size_t FillBytesPerStatement = 1u << 20;

struct FillRecord {
    std::uint32_t nameSerial = 0;
    RecordRows rows;
    RecordCaption caption;
};

std::size_t bytesOfHistory(const HistoryRow& h)
{
    return h.infoHead.size() + h.sleepCopy.size() + h.image.size() + h.comment.size() + 48;
}

// "HEAD VALUES ($1, ..., $k), ($k+1, ...) TAIL": that many rows of that many columns.
std::string insertOfRows(const char* head, std::size_t rows, std::size_t columns, const char* tail)
{
    std::string sql = head;
    sql += " VALUES ";
    std::size_t n = 0;
    for (std::size_t r = 0; r < rows; ++r) {
        sql += r ? ", (" : "(";
        for (std::size_t c = 0; c < columns; ++c) {
            if (c)
                sql += ", ";
            sql += '$';
            sql += std::to_string(++n);
        }
        sql += ')';
    }
    sql += tail;
    return sql;
}

// The records waiting in a fill, in their order, then their histories, in
// the open transaction. False with the failed statement's result, or with
// `taken` when a record's name was there already.
bool writeFillRecords(PgConnection& db, const std::vector<FillRecord>& records, PgResult& failed, bool& taken)
{
    taken = false;
    if (records.empty())
        return true;
    std::vector<PgParam> params;
    params.reserve(records.size() * 15);
    for (const FillRecord& r : records) {
        params.push_back(PgParam::int8(r.nameSerial));
        params.push_back(PgParam::int2(r.rows.format));
        params.push_back(PgParam::bytea(r.rows.formatExtra));
        params.push_back(PgParam::int8(r.rows.headerSerial));
        params.push_back(PgParam::bytea(r.rows.name));
        params.push_back(PgParam::bytea(r.rows.surname));
        params.push_back(PgParam::bytea(r.rows.address));
        params.push_back(PgParam::int2(r.rows.typeCode));
        params.push_back(PgParam::int2(r.rows.idYear));
        params.push_back(PgParam::int8(r.rows.idNumber));
        params.push_back(PgParam::int2(r.rows.idSuffix));
        params.push_back(PgParam::int8(r.caption.serialNumber));
        params.push_back(PgParam::boolean(r.caption.newestHasAlarms));
        params.push_back(PgParam::int4(r.caption.historyCount));
        params.push_back(PgParam::int8(r.caption.checksum));
    }
    // The list order follows the order of the rows.
    const std::string insertRecords = insertOfRows(
        "INSERT INTO records (name_serial, format, format_extra, header_serial, owner_name, owner_surname,"
        " owner_address, type_code, id_year, id_number, id_suffix, serial_number, newest_has_alarms,"
        " history_count, checksum)",
        records.size(), 15, " ON CONFLICT (name_serial) DO NOTHING");
    PgResult written = db.exec(insertRecords.c_str(), params);
    if (!written.ok()) {
        failed = std::move(written);
        return false;
    }
    if (written.affectedRows() != static_cast<long>(records.size())) {
        taken = true;
        return false;
    }

    std::size_t rows = 0;
    std::size_t bytes = 0;
    params.clear();
    auto flush = [&] {
        if (rows == 0)
            return true;
        const std::string insertHistories = insertOfRows(
            "INSERT INTO histories (name_serial, position, info_head, date_year, date_month, date_day, date_hour,"
            " date_minute, date_second, serial_number, bootloader_version, software_version, type_byte,"
            " sleep_copy, image, comment)",
            rows, 16, "");
        PgResult added = db.exec(insertHistories.c_str(), params);
        params.clear();
        rows = 0;
        bytes = 0;
        if (added.ok())
            return true;
        failed = std::move(added);
        return false;
    };
    for (const FillRecord& r : records) {
        for (std::size_t i = 0; i < r.rows.histories.size(); ++i) {
            const HistoryRow& h = r.rows.histories[i];
            if (rows == FillRowsPerStatement || (rows > 0 && bytes + bytesOfHistory(h) > FillBytesPerStatement))
                if (!flush())
                    return false;
            params.push_back(PgParam::int8(r.nameSerial));
            params.push_back(PgParam::int4(static_cast<std::int32_t>(i)));
            params.push_back(PgParam::bytea(h.infoHead));
            params.push_back(PgParam::int4(h.date.year));
            params.push_back(PgParam::int2(h.date.month));
            params.push_back(PgParam::int2(h.date.day));
            params.push_back(PgParam::int2(h.date.hour));
            params.push_back(PgParam::int2(h.date.minute));
            params.push_back(PgParam::int2(h.date.second));
            params.push_back(PgParam::int8(h.serialNumber));
            params.push_back(PgParam::int2(h.bootloaderVersion));
            params.push_back(PgParam::int8(h.softwareVersion));
            params.push_back(PgParam::int2(h.typeByte));
            params.push_back(PgParam::bytea(h.sleepCopy));
            params.push_back(PgParam::bytea(h.image));
            params.push_back(PgParam::bytea(h.comment));
            ++rows;
            bytes += bytesOfHistory(h);
        }
    }
    return flush();
}

}  // namespace

StoreResult ServerRecordStore::fillEmptyWithFiles(const RecordFileSource& source)
{
    if (StoreResult opened = open(); !opened)
        return opened;
    std::string error;
    if (!connection_->command("BEGIN", error))
        return StoreResult::failed(Status::Failed, error);
    // No other PC files into a database while it is being filled.
    if (!connection_->command("LOCK TABLE records IN EXCLUSIVE MODE", error)) {
        rollback();
        return StoreResult::failed(Status::Failed, error);
    }
    const PgResult any = connection_->exec("SELECT count(*) FROM records");
    if (!any.ok())
        return failure(any, uri_);
    if (any.integer(0, 0) != 0) {
        rollback();
        return StoreResult::failed(Status::Refused, uri_ + ": holds a database already ("
                                                        + std::to_string(any.integer(0, 0)) + " records)");
    }
    // The records wait here until there are enough of them for a statement.
    std::vector<FillRecord> waiting;
    std::size_t waitingBytes = 0;
    std::map<std::uint32_t, bool> names;
    auto writeWaiting = [&]() -> StoreResult {
        PgResult failed;
        bool taken = false;
        if (!writeFillRecords(*connection_, waiting, failed, taken)) {
            if (taken) {
                rollback();
                return StoreResult::failed(Status::Refused, uri_ + ": two records of one name");
            }
            return failure(failed, uri_);
        }
        waiting.clear();
        waitingBytes = 0;
        return StoreResult::ok();
    };
    std::uint32_t nameSerial = 0;
    std::string bytes;
    while (source(nameSerial, bytes)) {
        FillRecord next;
        next.nameSerial = nameSerial;
        if (bytes.empty()) {
            // The source could not give its record.
            rollback();
            return StoreResult::failed(Status::Failed, serialHex(nameSerial) + ": no record to write");
        }
        try {
            next.rows = splitRecordFile(bytes);
            // Bytes after the last history are no part of the record: the
            // checksum is that of the file the rows rebuild.
            next.caption = readRecordCaption(joinRecordFile(next.rows));
        } catch (const TVXException& e) {
            rollback();
            return StoreResult::failed(Status::Refused, serialHex(nameSerial) + ": not a whole record: " + e.what());
        }
        if (!names.emplace(nameSerial, true).second) {
            rollback();
            return StoreResult::failed(Status::Refused, serialHex(nameSerial) + ": two records of this name");
        }
        for (const HistoryRow& h : next.rows.histories)
            waitingBytes += bytesOfHistory(h);
        waiting.push_back(std::move(next));
        if (waiting.size() == FillRowsPerStatement || waitingBytes >= FillBytesPerStatement)
            if (StoreResult written = writeWaiting(); !written)
                return written;
    }
    if (StoreResult written = writeWaiting(); !written)
        return written;
    if (StoreResult done = statement("COMMIT"); !done)
        return done;
    return StoreResult::ok();
}

DatabaseCheckReport ServerRecordStore::check()
{
    using Kind = DatabaseFinding::Kind;
    DatabaseCheckReport report;
    if (StoreResult opened = open(); !opened) {
        report.findings.push_back({Kind::FolderUnreadable, uri_ + ": " + opened.reason});
        return report;
    }
    std::vector<RecordCaption> captions;
    if (StoreResult listed = list(captions); !listed) {
        report.findings.push_back({Kind::FolderUnreadable, uri_ + ": " + listed.reason});
        return report;
    }
    for (RecordCaption& caption : captions) {
        std::string bytes;
        const StoreResult read = readInSnapshot(caption, bytes);
        if (!read) {
            if (read.status == Status::NotFound)
                continue;  // removed since it was listed
            report.findings.push_back({read.status == Status::Damaged ? Kind::BadChecksum : Kind::Unreadable,
                                       uri_ + ": record " + read.reason});
            continue;
        }
        try {
            RecordCaption rebuilt = readRecordCaption(bytes);
            if (rebuilt.serialNumber != caption.serialNumber || rebuilt.historyCount != caption.historyCount
                || rebuilt.newestHasAlarms != caption.newestHasAlarms || rebuilt.owner != caption.owner)
                report.findings.push_back({Kind::Unreadable, uri_ + ": record " + caption.key
                                                                 + ": its list columns differ from its rows"});
        } catch (const TVXException& e) {
            report.findings.push_back({Kind::Unreadable, uri_ + ": record " + caption.key + ": " + e.what()});
        }
    }
    return report;
}

StoreResult ServerRecordStore::repair(const DatabaseCheckReport&)
{
    return StoreResult::failed(Status::Refused, uri_ + ": a server database is not repaired by this program; "
                                                    "restore it from its backup (pg_dump)");
}
