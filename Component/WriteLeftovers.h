#pragma once

#include <string>
#include <vector>

// The temporary files that an interrupted atomic write of a record file or of
// the checker leaves in a database folder ("0012ABCD.dat.tmpA1b2C3",
// "dbtisl.chk.tmpQ9x8Y7"). Nothing else is ever taken for one: a name must
// be that of a file the database writes followed by the temporary suffix, and
// the entry a regular file (not a link, not a folder).
std::vector<std::string> findWriteLeftovers(const std::string& folder);
// The same among names already read from the folder.
std::vector<std::string> findWriteLeftovers(const std::string& folder, const std::vector<std::string>& names);

struct LeftoverRemoval {
    std::vector<std::string> removed;   // paths
    std::vector<std::string> failures;  // one line each: path and reason
};

// Removes the leftovers of a folder. Only under the database lock: a running
// copy of the program may be in the middle of a write.
LeftoverRemoval removeWriteLeftovers(const std::string& folder);
