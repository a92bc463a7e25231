#pragma once

#include <string>
#include <string_view>

// Writes a whole file so that a crash or a full disk never leaves it half
// written: the bytes go to a temporary file in the same folder, which is
// flushed to disk and renamed over the old file. On failure the old file is
// left as it was, the temporary file is removed, and the reason is returned.
struct WriteResult {
    bool ok = true;
    std::string error;  // the system's reason when !ok
    explicit operator bool() const { return ok; }
};

WriteResult writeFileAtomically(const std::string& path, std::string_view bytes);

// Reads a whole file of at most maxBytes; returns false (with the reason) when
// it does not exist, cannot be read or is larger.
bool readWholeFile(const std::string& path, std::string& bytes, std::string& error,
                   std::size_t maxBytes = 256u * 1024u * 1024u);
