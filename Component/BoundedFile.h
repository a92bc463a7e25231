#pragma once

#include <cstddef>
#include <string>

// Reads a whole file of outside origin with a size bound, and says why it
// refused: a record, checker or history file is never trusted to be small.
enum class ReadStatus {
    Ok,
    CannotOpen,   // missing, no permission, not a regular file
    TooLarge,     // larger than the bound
    ReadFailed,   // an I/O error after opening
};

ReadStatus readBoundedFile(const std::string& path, std::size_t maxBytes, std::string& bytes,
                           std::string& error);
