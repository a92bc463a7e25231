#pragma once

#include "Component/DatabaseLock.h"
#include "Component/RecordStore.h"
#include "Component/TVXCheckDir.h"
#include "Component/WriteLeftovers.h"

#include <memory>
#include <string>
#include <unordered_map>

// The database as the program has always kept it: one folder holding a record
// file per mower, named after its serial number ("0012ABCD.dat", found in any
// case), and the checker that lists them. Every rule of the folder lives here:
// the lock that keeps a second copy of the program out, the temporary files of
// interrupted writes, the checker and its rewrite at start-up, setting an old
// file aside, the size bound of a record file. Every write is atomic.
class FolderRecordStore : public RecordStore {
public:
    enum class OpenMode {
        Work,     // the application: locked, and leftovers of interrupted writes removed
        Inspect,  // quorvane-tool check --repair: locked, leftovers left for check and repair
    };

    explicit FolderRecordStore(std::string folder, OpenMode mode = OpenMode::Work);

    std::string location() const override { return folder_; }
    // InUse when another process holds the folder's lock. A folder that
    // cannot be locked at all (read-only) is opened unlocked, and nothing
    // is removed from it.
    StoreResult open() override;
    StoreResult list(std::vector<RecordCaption>& captions) override;
    StoreResult load(RecordCaption& caption, std::unique_ptr<TVXMowerLog>& record) override;
    StoreResult save(RecordCaption& caption, TVXMowerLog& record) override;
    StoreResult create(TVXMowerLog& record, RecordCaption& caption) override;
    StoreResult loadFile(RecordCaption& caption, std::string& fileBytes) override;
    StoreResult fillEmptyWithFiles(const RecordFileSource& source) override;
    DatabaseCheckReport check() override;
    // Removes the leftovers the report found (under the lock only) and
    // rewrites the checker when the report says it needs it.
    StoreResult repair(const DatabaseCheckReport& report) override;

    bool locked() const { return lock_.held(); }
    // What repair removed, and what it could not.
    const LeftoverRemoval& removedLeftovers() const { return removal_; }

    // A record file read whole: throws std::ios_base::failure when it cannot
    // be read, is too large or holds no whole record, TVXCrc_error when its
    // checksum fails.
    static std::unique_ptr<TVXMowerLog> readRecordAt(const std::string& path);
    // Writes a record file, atomically; the CRC it ends with in `checksum`.
    static StoreResult writeRecordAt(const std::string& path, TVXMowerLog& record, std::uint32_t* checksum = nullptr);

    // A record of thousands of histories stays far below this; a larger file
    // is refused rather than read.
    static constexpr std::size_t MaxRecordFileBytes = 256u * 1024u * 1024u;

    // True when fillEmpty may fill the folder: it does not exist yet, or holds
    // neither record files nor a checker. Otherwise false with the reason.
    bool isEmpty(std::string& why) const;

private:
    StoreResult setAside(const std::string& path);

    std::string folder_;
    OpenMode mode_;
    DatabaseLock lock_;
    TVXCheckDir checker_;
    // The records of the list by the serial number of their file name: a new
    // record may not take one of these names.
    std::unordered_map<std::uint32_t, std::string> keyBySerial_;
    LeftoverRemoval removal_;
};
