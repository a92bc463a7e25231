// The journal of a server database and the announcements of its changes.
#include "Component/ServerRecordStore.h"

#include "Class/RecordCaption.h"
#include "Class/RecordRows.h"
#include "Class/TVXException.h"
#include "Component/ChangeDescription.h"
#include "Component/RecordFileName.h"

#include <libpq-fe.h>

#include <set>

namespace {

using Status = StoreResult::Status;

const char* const SelectJournal =
    "SELECT change_id, to_char(changed_at, 'YYYY-MM-DD HH24:MI:SS'), pc, os_user, name_serial, kind, detail,"
    " coalesce(undoes, 0), before IS NOT NULL FROM journal";

JournalEntry entryOfRow(const PgResult& rows, int r)
{
    JournalEntry e;
    e.change = rows.integer(r, 0);
    e.at = std::string(rows.bytes(r, 1));
    e.pc = std::string(rows.bytes(r, 2));
    e.user = std::string(rows.bytes(r, 3));
    e.record = serialHex(static_cast<std::uint32_t>(rows.integer(r, 4)));
    e.kind = std::string(rows.bytes(r, 5));
    e.detail = std::string(rows.bytes(r, 6));
    e.undoes = rows.integer(r, 7);
    e.hasBefore = rows.integer(r, 8) != 0;
    return e;
}

}  // namespace

StoreResult ServerRecordStore::listen()
{
    if (StoreResult done = statement((std::string("LISTEN ") + serverschema::ChangeChannel).c_str()); !done)
        return done;
    listening_ = true;
    return StoreResult::ok();
}

int ServerRecordStore::changeSocket()
{
    return connection_ && listening_ && connection_->connected() ? PQsocket(connection_->raw()) : -1;
}

std::vector<std::string> ServerRecordStore::takeChanges(bool& missed)
{
    std::vector<std::string> keys;
    missed = false;
    if (!connection_)
        return keys;
    pg_conn* conn = connection_->raw();
    if (!PQconsumeInput(conn) || !connection_->connected()) {
        // Reached again later by the next operation; what was announced meanwhile is lost.
        missed = true;
        return keys;
    }
    std::set<std::string> seen;
    const int self = PQbackendPID(conn);
    while (PGnotify* note = PQnotifies(conn)) {
        // Our own changes the caller made itself.
        if (note->be_pid != self && seen.insert(note->extra).second)
            keys.emplace_back(note->extra);
        PQfreemem(note);
    }
    missed = missedChanges_;
    missedChanges_ = false;
    return keys;
}

StoreResult ServerRecordStore::journalChange(std::uint32_t nameSerial, const std::string* beforeBytes,
                                             const RecordRows* before, const RecordRows* after, std::int64_t undoes,
                                             std::int64_t* change)
{
    // A record written as it was (every opened record at the end of a run)
    // is no change: nothing to list or undo, nobody to tell.
    if (!undoes && before && after && *before == *after)
        return StoreResult::ok();
    const ChangeDescription what = describeChange(before, after);
    const std::string kind = undoes ? "undo" : what.kind;
    std::string detail = what.detail;
    if (undoes)
        detail = "of change " + std::to_string(undoes) + (what.detail.empty() ? "" : ": " + what.detail);
    const PgParam beforeParam = beforeBytes ? PgParam::bytea(*beforeBytes) : PgParam {pgtype::Bytea, {}, true};
    // A null before (a creation) is sent as no value at all.
    const char* const insertWithBefore =
        "INSERT INTO journal (pc, os_user, name_serial, kind, detail, undoes, before)"
        " VALUES ($1, $2, $3, $4, $5, nullif($6, 0), $7) RETURNING change_id";
    const char* const insertWithout =
        "INSERT INTO journal (pc, os_user, name_serial, kind, detail, undoes)"
        " VALUES ($1, $2, $3, $4, $5, nullif($6, 0)) RETURNING change_id";
    std::vector<PgParam> params {PgParam::text(pc_),   PgParam::text(osUser_), PgParam::int8(nameSerial),
                                 PgParam::text(kind),  PgParam::text(detail),  PgParam::int8(undoes)};
    if (beforeBytes)
        params.push_back(beforeParam);
    const PgResult inserted = connection_->exec(beforeBytes ? insertWithBefore : insertWithout, params);
    if (!inserted.ok())
        return failure(inserted, serialHex(nameSerial));
    if (change)
        *change = inserted.integer(0, 0);
    const PgResult announced = connection_->exec("SELECT pg_notify($1, $2)",
                                                 {PgParam::text(serverschema::ChangeChannel),
                                                  PgParam::text(serialHex(nameSerial))});
    if (!announced.ok())
        return failure(announced, serialHex(nameSerial));
    return StoreResult::ok();
}

StoreResult ServerRecordStore::journal(const JournalQuery& query, std::vector<JournalEntry>& entries)
{
    entries.clear();
    if (StoreResult opened = open(); !opened)
        return opened;
    std::string sql = std::string(SelectJournal) + " WHERE ($1 < 0 OR name_serial = $1)"
                      + " AND ($2 = '' OR changed_at >= $2::date) ORDER BY change_id";
    std::int64_t record = -1;
    if (!query.record.empty()) {
        const auto serial = parseSerialHex(query.record);
        if (!serial)
            return StoreResult::failed(Status::Refused, query.record + ": not a serial number");
        record = *serial;
    }
    const PgResult rows = connection_->exec(sql.c_str(), {PgParam::int8(record), PgParam::text(query.since)});
    if (!rows.ok())
        return failure(rows, uri_);
    entries.reserve(static_cast<std::size_t>(rows.rows()));
    for (int r = 0; r < rows.rows(); ++r)
        entries.push_back(entryOfRow(rows, r));
    return StoreResult::ok();
}

StoreResult ServerRecordStore::stateBefore(std::int64_t change, std::string& fileBytes)
{
    if (StoreResult reached = reach(); !reached)
        return reached;
    const PgResult row = connection_->exec("SELECT before FROM journal WHERE change_id = $1", {PgParam::int8(change)});
    if (!row.ok())
        return failure(row, uri_);
    if (row.rows() != 1)
        return StoreResult::failed(Status::NotFound, "change " + std::to_string(change) + ": no such change");
    if (row.isNull(0, 0))
        return StoreResult::failed(Status::NotFound, "change " + std::to_string(change) + " created its record");
    fileBytes = std::string(row.bytes(0, 0));
    return StoreResult::ok();
}

StoreResult ServerRecordStore::undo(std::int64_t change, JournalEntry& done)
{
    if (StoreResult opened = open(); !opened)
        return opened;
    if (StoreResult done = statement("BEGIN"); !done)
        return done;
    const PgResult row = connection_->exec("SELECT name_serial, before FROM journal WHERE change_id = $1",
                                           {PgParam::int8(change)});
    if (!row.ok())
        return failure(row, uri_);
    if (row.rows() != 1) {
        rollback();
        return StoreResult::failed(Status::NotFound, "change " + std::to_string(change) + ": no such change");
    }
    const auto nameSerial = static_cast<std::uint32_t>(row.integer(0, 0));
    const bool created = row.isNull(0, 1);
    const std::string restored(row.bytes(0, 1));

    // The record as it is now: locked, and kept in the journal of the undo.
    const PgResult current =
        connection_->exec("SELECT 1 FROM records WHERE name_serial = $1 FOR UPDATE", {PgParam::int8(nameSerial)});
    if (!current.ok())
        return failure(current, uri_);
    std::string nowBytes;
    RecordRows now;
    const bool exists = current.rows() == 1;
    if (exists) {
        if (StoreResult read = readRecordFileBytes(nameSerial, nowBytes); !read) {
            rollback();
            return read;
        }
        now = splitRecordFile(nowBytes);
    }

    RecordRows back;
    if (!created) {
        try {
            back = splitRecordFile(restored);
        } catch (const TVXException& e) {
            rollback();
            return StoreResult::failed(Status::Damaged, "change " + std::to_string(change) + ": " + e.what());
        }
    }
    std::int64_t id = 0;
    if (StoreResult journalled = journalChange(nameSerial, exists ? &nowBytes : nullptr, exists ? &now : nullptr,
                                               created ? nullptr : &back, change, &id);
        !journalled)
        return journalled;
    if (created) {
        // Undoing a creation removes the record; the journal keeps it.
        const PgResult removed = connection_->exec("DELETE FROM records WHERE name_serial = $1", {PgParam::int8(nameSerial)});
        if (!removed.ok())
            return failure(removed, uri_);
    } else {
        const RecordCaption caption = readRecordCaption(joinRecordFile(back));
        if (StoreResult written = writeRows(nameSerial, back, caption, !exists); !written) {
            rollback();
            return written;
        }
    }
    if (StoreResult done = statement("COMMIT"); !done)
        return done;

    std::vector<JournalEntry> entries;
    const PgResult entry = connection_->exec((std::string(SelectJournal) + " WHERE change_id = $1").c_str(),
                                             {PgParam::int8(id)});
    if (entry.ok() && entry.rows() == 1)
        done = entryOfRow(entry, 0);
    return StoreResult::ok();
}
