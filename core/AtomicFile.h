#pragma once

#include <optional>
#include <string>
#include <string_view>

// Writes a whole file so that a crash or a full disk never leaves it half
// written: the bytes go to a temporary file in the same folder, which is
// flushed to disk and renamed over the old file. On failure the old file is
// left as it was, the temporary file is removed, and the reason is returned.
//
// A symbolic link is written through: its target is replaced, the link stays.
// A path that holds anything but a regular file (a folder, named pipe, device
// or socket, also behind a link) is refused and left untouched. A file that is
// replaced keeps its permissions (with reading and writing for its owner added
// when they lacked); a new file gets newFileMode of its folder.
struct WriteResult {
    bool ok = true;
    std::string error;  // the system's reason when !ok
    explicit operator bool() const { return ok; }
};

WriteResult writeFileAtomically(const std::string& path, std::string_view bytes);

// The permissions of a file the program creates in a folder: reading and
// writing for its owner, nothing for others. The group gets the reading and
// writing that the folder grants its group, but only in a folder shared with
// its group on purpose, that is one whose group has access that others lack
// (0770, 2770, 0750): in an ordinary 0755 folder the group gets nothing.
unsigned newFileMode(const std::string& folder);

// The temporary files of writeFileAtomically are named after the file they
// replace: NAME + ".tmp" + six letters or digits. A crash between creating and
// renaming one leaves it behind. This gives NAME for such a leftover's file
// name, nothing for any other name.
std::optional<std::string> atomicWriteTarget(std::string_view leftoverName);
