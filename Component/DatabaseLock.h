#pragma once

#include <string>

// Keeps a second running application from opening the same database folder.
// The lock is an flock on "quorvane.lock" in the folder (or on the folder
// itself when no lock file can be made there, as in a read-only folder), so
// the system drops it when the process ends, however it ends: a crashed run
// never leaves the database locked.
class DatabaseLock {
public:
    static constexpr const char* FileName = "quorvane.lock";

    enum class Result {
        Acquired,
        InUse,   // another process holds the lock
        Failed,  // the folder cannot be opened; error() says why
    };

    DatabaseLock() = default;
    ~DatabaseLock() { release(); }
    DatabaseLock(const DatabaseLock&) = delete;
    DatabaseLock& operator=(const DatabaseLock&) = delete;

    // Takes the lock of the folder, giving up at once when another holds it.
    Result acquire(const std::string& folder);
    void release();
    bool held() const { return fd_ >= 0; }
    const std::string& error() const { return error_; }

    // "The database folder ... is in use by another running copy of the
    // program." in the catalogue's current language.
    static std::string inUseMessage(const std::string& folder);

private:
    int fd_ = -1;
    std::string error_;
};
