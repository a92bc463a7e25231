#pragma once

#include <string>

// Texts of the database that the numbered catalogue lacks, in the five
// languages of the catalogue; the current language's is returned.
enum class DatabaseText {
    InUse,             // a second application on the same database folder
    SaveFailed,        // a record file could not be written
    CheckerWriteFailed,
    ImportConflict,    // serial number of one record, machine number of another
    RecordFileTaken,   // a new record's file name belongs to a loaded record
};

std::string databaseText(DatabaseText text);
