#include "Component/ServerSchema.h"

namespace {

const char* const Version1[] = {
    "CREATE TABLE quorvane_schema (version integer NOT NULL)",
    "INSERT INTO quorvane_schema (version) VALUES (1)",
    // One row per record: the record file's header, byte for byte, and what
    // the list shows of it, so that a start-up reads no history.
    "CREATE TABLE records ("
    " name_serial bigint PRIMARY KEY CHECK (name_serial BETWEEN 0 AND 4294967295),"
    " listed_order bigint GENERATED ALWAYS AS IDENTITY UNIQUE,"
    " format smallint NOT NULL,"
    " format_extra bytea NOT NULL,"
    " header_serial bigint NOT NULL,"
    " owner_name bytea NOT NULL,"
    " owner_surname bytea NOT NULL,"
    " owner_address bytea NOT NULL,"
    " type_code smallint NOT NULL,"
    " id_year smallint NOT NULL,"
    " id_number bigint NOT NULL,"
    " id_suffix smallint NOT NULL,"
    " serial_number bigint NOT NULL,"
    " newest_has_alarms boolean NOT NULL,"
    " history_count integer NOT NULL,"
    " checksum bigint NOT NULL)",
    // One row per history, in the order of the record file.
    "CREATE TABLE histories ("
    " name_serial bigint NOT NULL REFERENCES records (name_serial) ON DELETE CASCADE,"
    " position integer NOT NULL,"
    " info_head bytea NOT NULL,"
    " date_year integer NOT NULL,"
    " date_month smallint NOT NULL,"
    " date_day smallint NOT NULL,"
    " date_hour smallint NOT NULL,"
    " date_minute smallint NOT NULL,"
    " date_second smallint NOT NULL,"
    " serial_number bigint NOT NULL,"
    " bootloader_version smallint NOT NULL,"
    " software_version bigint NOT NULL,"
    " type_byte smallint NOT NULL,"
    " sleep_copy bytea NOT NULL,"
    " image bytea NOT NULL,"
    " comment bytea NOT NULL,"
    " PRIMARY KEY (name_serial, position))",
};

// The journal: every change of a record, with the record as it was before,
// so that any change can be listed and undone.
const char* const Version2[] = {
    "CREATE TABLE journal ("
    " change_id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY,"
    " changed_at timestamptz NOT NULL DEFAULT now(),"
    " pc text NOT NULL,"
    " os_user text NOT NULL,"
    " db_user text NOT NULL DEFAULT current_user,"
    " name_serial bigint NOT NULL,"
    " kind text NOT NULL,"
    " detail text NOT NULL,"
    " undoes bigint REFERENCES journal (change_id),"
    " before bytea)",
    "CREATE INDEX journal_of_record ON journal (name_serial, change_id)",
    // Kept as they are: trying to compress whole records costs every change
    // more time than the disk it would save.
    "ALTER TABLE journal ALTER COLUMN before SET STORAGE EXTERNAL",
    "UPDATE quorvane_schema SET version = 2",
};

}  // namespace

namespace serverschema {

std::vector<const char*> stepFrom(int from)
{
    switch (from) {
    case 0:
        return {std::begin(Version1), std::end(Version1)};
    case 1:
        return {std::begin(Version2), std::end(Version2)};
    default:
        return {};
    }
}

}  // namespace serverschema
