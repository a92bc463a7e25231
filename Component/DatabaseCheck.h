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

    bool sound() const { return findings.empty(); }
};

DatabaseCheckReport checkDatabase(const std::string& folder);

// Rewrites the checker of the folder (atomically) to hold the kept entries
// and the recoverable orphans of a report. False with the reason when the
// checker cannot be written; the old checker then stays.
bool repairDatabase(const std::string& folder, const DatabaseCheckReport& report, std::string& error);
