#pragma once

#include <string>

struct RecordRows;

// What one change did to a record, as the journal keeps it: a kind that a
// program can read and a line a person can.
struct ChangeDescription {
    // "created", "filed" (one history), "merged" (several), "deleted",
    // "comment", "owner" (owner data or machine identity), "removed" (the
    // whole record), several joined by '+'; "unchanged" when nothing differs.
    std::string kind;
    // The dates of the histories concerned, "2008-05-07 14:05:30", and what
    // changed, on one line.
    std::string detail;
};

// Compares the record before and after a change; a null `before` is a record
// created, a null `after` a record removed.
ChangeDescription describeChange(const RecordRows* before, const RecordRows* after);
