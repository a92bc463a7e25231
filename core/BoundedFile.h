#pragma once

#include <cstddef>
#include <string>

// The one reader of whole files that come from outside: records, checkers,
// .bin histories, TVF files, settings, the trace log, simulator images. Only
// a regular file is read; a named pipe, a device, a socket or a folder is
// refused before it is opened, so that nothing can make the program wait in
// open() or take a terminal as its own. The size is bounded, and every
// refusal comes with its reason.
enum class ReadStatus {
    Ok,
    NotFound,     // nothing at the path (a dangling symbolic link too)
    NotRegular,   // a folder, named pipe, device or socket
    CannotOpen,   // no permission, a loop of symbolic links, or another refusal of the system
    TooLarge,     // larger than the bound
    ReadFailed,   // an I/O error after opening
};

// Fills `bytes` with the whole file, or empties it and sets `error` to one
// line that names the path and the reason.
ReadStatus readBoundedFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                           std::string& error);

// What stands at a path that is not a regular file, for messages: "a folder",
// "a named pipe", "a character device", ...; empty for a regular file or when
// nothing is there.
std::string describeNonRegularFile(const std::string& path);
