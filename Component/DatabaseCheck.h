#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A read-only inspection of a database folder: the checker, every record file
// it lists and every record file it does not list. Nothing is changed.
struct DatabaseFinding {
    enum class Kind {
        FolderUnreadable,
        CheckerMissing,
        CheckerCorrupted,  // unreadable, or its size is not a multiple of 6
        BadEntrySum,
        DuplicateSerial,
        FileMissing,
        BadChecksum,
        Unreadable,        // cannot be read, too large, or no whole record
        Orphan,            // a record file that the checker does not list
        WriteLeftover,     // the temporary file of an interrupted write
    };
    Kind kind;
    std::string text;  // one line, ready to print
};

struct DatabaseCheckReport {
    std::vector<DatabaseFinding> findings;
    // What a repaired checker holds: the entries with a right sum whose file
    // exists, each serial once, in checker order, then the orphans that load.
    std::vector<std::uint32_t> keptSerials;
    std::vector<std::uint32_t> recoverableOrphans;
    bool checkerNeedsRewrite = false;
    std::vector<std::string> leftovers;  // paths of temporary files left by interrupted writes

    bool sound() const { return findings.empty(); }
};

DatabaseCheckReport checkDatabase(const std::string& folder);

// Rewrites the checker of the folder (atomically), when the report says it
// needs it, to hold the kept entries and the recoverable orphans. False with
// the reason when the checker cannot be written; the old checker then stays.
// Leftovers of interrupted writes are not touched here: that needs the lock.
bool repairDatabase(const std::string& folder, const DatabaseCheckReport& report, std::string& error);
