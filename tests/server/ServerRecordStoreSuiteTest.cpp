#include "Component/RecordStoreSuite.h"

#include "Class/RecordRows.h"
#include "Component/RecordFileName.h"
#include "Component/ServerRecordStore.h"
#include "support/PgTestDatabase.h"

using storesuite::StorePart;

namespace {

std::int64_t nameSerialOf(const RecordCaption& caption)
{
    const auto serial = parseSerialHex(caption.key);
    EXPECT_TRUE(serial.has_value()) << "a server names a record by its serial number: " << caption.key;
    return serial.value_or(0);
}

}  // namespace

// The server store for the shared suite: a fresh database on the test cluster.
// The changes behind the stores' back are made in SQL, as an administrator
// (or a program of another version) would make them.
class ServerStoreFactory : public storesuite::RecordStoreFactory {
public:
    ServerStoreFactory()
    {
        EXPECT_TRUE(db.ready());
    }

    std::unique_ptr<RecordStore> makeStore() override { return std::make_unique<ServerRecordStore>(db.uri()); }
    // Nothing is left by an interrupted transaction, and a record of the name
    // is never unlisted. A server is shared by every PC at once, and gives a
    // record as it is now (ServerStoreTest checks what it does instead).
    bool supports(StorePart part) const override { return part == StorePart::FailingWrites; }

    // The server refuses every write to the tables as on a full disk (the
    // error it gives then) while the checks run.
    std::string checksWhereWritesFail(const std::function<std::vector<NamedCheck>()>& checks) override
    {
        db.exec("CREATE FUNCTION refuse_writes() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN"
                " RAISE EXCEPTION 'could not extend file: No space left on device' USING ERRCODE = 'disk_full';"
                " END $$");
        db.exec("CREATE TRIGGER refuse_writes BEFORE INSERT OR UPDATE OR DELETE ON records"
                " FOR EACH STATEMENT EXECUTE FUNCTION refuse_writes()");
        db.exec("CREATE TRIGGER refuse_writes BEFORE INSERT OR UPDATE OR DELETE ON histories"
                " FOR EACH STATEMENT EXECUTE FUNCTION refuse_writes()");
        std::string failed;
        for (const NamedCheck& check : checks())
            if (!check.held)
                failed += check.name + "\n";
        db.exec("DROP FUNCTION refuse_writes() CASCADE");
        if (!failed.empty())
            failed.pop_back();
        return failed;
    }

    // A byte of a history image changed: the rows no longer rebuild the file
    // whose checksum the record row holds.
    void damage(const RecordCaption& caption) override
    {
        const PgResult changed = db.exec(
            "UPDATE histories SET image = set_byte(image, 100, get_byte(image, 100) # 64)"
            " WHERE name_serial = $1 AND position = 0",
            {PgParam::int8(nameSerialOf(caption))});
        EXPECT_EQ(changed.affectedRows(), 1);
    }

    void remove(const RecordCaption& caption) override
    {
        const PgResult removed =
            db.exec("DELETE FROM records WHERE name_serial = $1", {PgParam::int8(nameSerialOf(caption))});
        EXPECT_EQ(removed.affectedRows(), 1);
    }

    // Every row of the record made anew from the other record file, under the
    // same name and in the same place of the list.
    void replace(const RecordCaption& caption, const std::string& other) override
    {
        const std::int64_t name = nameSerialOf(caption);
        const RecordRows rows = splitRecordFile(other);
        const RecordCaption c = readRecordCaption(other);
        const PgResult head = db.exec(
            "UPDATE records SET format = $2, format_extra = $3, header_serial = $4, owner_name = $5,"
            " owner_surname = $6, owner_address = $7, type_code = $8, id_year = $9, id_number = $10,"
            " id_suffix = $11, serial_number = $12, newest_has_alarms = $13, history_count = $14, checksum = $15"
            " WHERE name_serial = $1",
            {PgParam::int8(name), PgParam::int2(rows.format), PgParam::bytea(rows.formatExtra),
             PgParam::int8(rows.headerSerial), PgParam::bytea(rows.name), PgParam::bytea(rows.surname),
             PgParam::bytea(rows.address), PgParam::int2(rows.typeCode), PgParam::int2(rows.idYear),
             PgParam::int8(rows.idNumber), PgParam::int2(rows.idSuffix), PgParam::int8(c.serialNumber),
             PgParam::boolean(c.newestHasAlarms), PgParam::int4(c.historyCount), PgParam::int8(c.checksum)});
        EXPECT_EQ(head.affectedRows(), 1);
        db.exec("DELETE FROM histories WHERE name_serial = $1", {PgParam::int8(name)});
        for (std::size_t i = 0; i < rows.histories.size(); ++i) {
            const HistoryRow& h = rows.histories[i];
            db.exec("INSERT INTO histories (name_serial, position, info_head, date_year, date_month, date_day,"
                    " date_hour, date_minute, date_second, serial_number, bootloader_version, software_version,"
                    " type_byte, sleep_copy, image, comment)"
                    " VALUES ($1, $2, $3, $4, $5, $6, $7, $8, $9, $10, $11, $12, $13, $14, $15, $16)",
                    {PgParam::int8(name), PgParam::int4(static_cast<std::int32_t>(i)), PgParam::bytea(h.infoHead),
                     PgParam::int4(h.date.year), PgParam::int2(h.date.month), PgParam::int2(h.date.day),
                     PgParam::int2(h.date.hour), PgParam::int2(h.date.minute), PgParam::int2(h.date.second),
                     PgParam::int8(h.serialNumber), PgParam::int2(h.bootloaderVersion),
                     PgParam::int8(h.softwareVersion), PgParam::int2(h.typeByte), PgParam::bytea(h.sleepCopy),
                     PgParam::bytea(h.image), PgParam::bytea(h.comment)});
        }
    }

    // Every row of both tables and the schema version, as text.
    std::string snapshot() override
    {
        const PgResult all = db.exec(
            "SELECT (SELECT coalesce(string_agg(s::text, ','), '') FROM quorvane_schema s) || E'\\n'"
            " || (SELECT coalesce(string_agg(r::text, E'\\n' ORDER BY name_serial), '') FROM records r) || E'\\n'"
            " || (SELECT coalesce(string_agg(h::text, E'\\n' ORDER BY name_serial, position), '') FROM histories h)");
        return all.ok() ? std::string(all.bytes(0, 0)) : "<no snapshot>";
    }

    PgTestDatabase db;
};

namespace storesuite {
INSTANTIATE_TYPED_TEST_SUITE_P(Server, RecordStoreSuite, ServerStoreFactory);
}  // namespace storesuite
