#include "Component/FolderRecordStore.h"

#include "Class/ByteIO.h"
#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Class/TVXMowerLog.h"
#include "Component/FolderIndex.h"
#include "Component/RecordFileName.h"
#include "core/AppPaths.h"
#include "core/AppTexts.h"
#include "core/AtomicFile.h"
#include "core/BoundedFile.h"
#include "core/CLogger.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ios>
#include <sys/stat.h>
#include <unordered_set>

namespace {

std::string fileNameOf(const std::string& path)
{
    return std::filesystem::path(path).filename().string();
}

std::uint32_t storedChecksum(std::string_view fileBytes)
{
    return byteio::getU32(reinterpret_cast<const unsigned char*>(fileBytes.data() + fileBytes.size() - 4));
}

}  // namespace

FolderRecordStore::FolderRecordStore(std::string folder, OpenMode mode) : folder_(std::move(folder)), mode_(mode)
{
    checker_.SetDataDir(folder_);
    checker_.SetCheckDir(folder_);
    checker_.SetCheckFileName(TVXCheckDir::DefaultFileName);
}

StoreResult FolderRecordStore::open()
{
    CLogger& logger = CLogger::instance();
    switch (lock_.acquire(folder_)) {
    case DatabaseLock::Result::InUse:
        logger.log("Database folder in use by another running program: " + folder_);
        return StoreResult::failed(StoreResult::Status::InUse, lock_.error());
    case DatabaseLock::Result::Failed:
        logger.log("Cannot lock the database folder: " + lock_.error());
        return StoreResult::ok();
    case DatabaseLock::Result::Acquired:
        break;
    }
    if (mode_ == OpenMode::Work) {
        // Only under the lock: a running copy may be in the middle of a write.
        const LeftoverRemoval removal = removeWriteLeftovers(folder_);
        for (const std::string& path : removal.removed)
            logger.log("Removed the temporary file of an interrupted write: " + path);
        for (const std::string& failure : removal.failures)
            logger.log("Cannot remove the temporary file of an interrupted write: " + failure);
    }
    return StoreResult::ok();
}

StoreResult FolderRecordStore::list(std::vector<RecordCaption>& captions)
{
    CLogger& logger = CLogger::instance();
    captions.clear();
    StoreResult result;
    std::vector<std::string> files;
    try {
        files = checker_.GetFileList();
    } catch (const TVXDBFC_error&) {
        const std::string reason = checker_.LastError();
        if (!checker_.StartNewDatabase()) {
            logger.log("db checker: " + reason);
            return StoreResult::failed(StoreResult::Status::Damaged, reason);
        }
        logger.log("new database, empty db checker made: " + checker_.CheckFilePath());
    }
    if (checker_.RewriteFailed()) {
        logger.log("cannot rewrite the db checker: " + checker_.LastError());
        result.warning = appText(AppText::CheckerWriteFailed) + "\n" + checker_.LastError();
    }

    std::unordered_set<std::uint32_t> seen;
    seen.reserve(files.size());
    keyBySerial_.reserve(keyBySerial_.size() + files.size());
    captions.reserve(files.size());
    std::string bytes;
    for (std::string& path : files) {
        // The checker's paths end in a record file name (of any case).
        const auto serial = path.size() < 12 ? std::nullopt
                                             : serialOfRecordFileName(std::string_view(path).substr(path.size() - 12));
        // Two entries for one file would write over each other's changes.
        if (!serial || !seen.insert(*serial).second) {
            logger.log("listed twice in the db checker: " + path);
            continue;
        }
        std::string error;
        if (readBoundedFile(path, MaxRecordFileBytes, bytes, error) != ReadStatus::Ok) {
            logger.log("error on opening file: " + path);
            logger.log(error);
            continue;
        }
        try {
            RecordCaption caption = readRecordCaption(bytes);
            keyBySerial_[*serial] = path;
            caption.key = std::move(path);
            captions.push_back(std::move(caption));
        } catch (const TVXCrc_error&) {
            logger.log(path + " corrupted (CRC)");
        } catch (const TVXFormat_error& e) {
            // A checksum that fits bytes that hold no whole record: the file was written wrongly.
            logger.log("error on opening file: " + path);
            logger.log(path + ": " + e.what());
        }
    }
    return result;
}

std::unique_ptr<TVXMowerLog> FolderRecordStore::readRecordAt(const std::string& path)
{
    std::string bytes;
    std::string error;
    if (readBoundedFile(path, MaxRecordFileBytes, bytes, error) != ReadStatus::Ok)
        throw std::ios_base::failure(error);
    try {
        return readRecordFile(bytes);  // throws TVXCrc_error for a wrong checksum
    } catch (const TVXFormat_error& e) {
        throw std::ios_base::failure(path + ": " + e.what());
    }
}

StoreResult FolderRecordStore::loadFile(RecordCaption& caption, std::string& bytes)
{
    using Status = StoreResult::Status;
    std::string error;
    switch (readBoundedFile(caption.key, MaxRecordFileBytes, bytes, error)) {
    case ReadStatus::Ok:
        return StoreResult::ok();
    case ReadStatus::NotFound:
        return StoreResult::failed(Status::NotFound, error);
    default:
        return StoreResult::failed(Status::Failed, error);
    }
}

StoreResult FolderRecordStore::load(RecordCaption& caption, std::unique_ptr<TVXMowerLog>& record)
{
    using Status = StoreResult::Status;
    const std::string& path = caption.key;
    std::string bytes;
    if (StoreResult read = loadFile(caption, bytes); !read)
        return read;
    try {
        std::unique_ptr<TVXMowerLog> read = readRecordFile(bytes);
        if (storedChecksum(bytes) != caption.checksum)
            return StoreResult::failed(Status::Replaced, path + ": another record than the one listed at start-up");
        record = std::move(read);
        return StoreResult::ok();
    } catch (const TVXCrc_error&) {
        return StoreResult::failed(Status::Damaged, path + ": fails its checksum");
    } catch (const TVXFormat_error& e) {
        return StoreResult::failed(Status::Damaged, path + ": holds no whole record: " + e.what());
    }
}

StoreResult FolderRecordStore::writeRecordAt(const std::string& path, TVXMowerLog& record, std::uint32_t* checksum)
{
    try {
        const std::string bytes = writeRecordFile(record);
        const WriteResult written = writeFileAtomically(path, bytes);
        if (!written)
            return StoreResult::failed(StoreResult::Status::Failed, written.error);
        if (checksum)
            *checksum = storedChecksum(bytes);
        return StoreResult::ok();
    } catch (const TVXWrite_error& e) {
        return StoreResult::failed(StoreResult::Status::Failed, path + ": " + e.what());
    }
}

StoreResult FolderRecordStore::save(RecordCaption& caption, TVXMowerLog& record)
{
    return writeRecordAt(caption.key, record, &caption.checksum);
}

StoreResult FolderRecordStore::setAside(const std::string& path)
{
    for (int n = 1; n < 1000; ++n) {
        const std::string aside = path + ".aside-" + std::to_string(n);
        struct stat st {};
        if (::lstat(aside.c_str(), &st) == 0)
            continue;
        if (std::rename(path.c_str(), aside.c_str()) != 0) {
            const std::string error = path + ": " + std::strerror(errno);
            CLogger::instance().log("cannot set the old record file aside: " + error);
            return StoreResult::failed(StoreResult::Status::Failed, error);
        }
        CLogger::instance().log("old record file set aside: " + path + " -> " + fileNameOf(aside));
        return StoreResult::ok();
    }
    CLogger::instance().log("cannot set the old record file aside: " + path);
    return StoreResult::failed(StoreResult::Status::Failed, path);
}

StoreResult FolderRecordStore::create(TVXMowerLog& record, RecordCaption& caption)
{
    const std::uint32_t serial = record.getSerialNumber();
    const std::string name = recordFileName(serial);
    const std::string path = joinPath(folder_, name);

    // A listed record whose newest history came from another mower keeps the
    // file of its first serial number: that file is not free.
    if (const auto taken = keyBySerial_.find(serial); taken != keyBySerial_.end())
        return StoreResult::failed(StoreResult::Status::Taken, taken->second);
    // A file of that name that did not load (damaged, or not in the checker)
    // is kept under another name rather than overwritten.
    FolderIndex folder(folder_);
    if (const auto onDisk = folder.find(name)) {
        if (StoreResult asided = setAside(joinPath(folder_, *onDisk)); !asided)
            return asided;
    }
    std::uint32_t checksum = 0;
    StoreResult result = writeRecordAt(path, record, &checksum);
    if (!result)
        return result;
    caption = ::captionOf(record);
    caption.key = path;
    caption.checksum = checksum;
    keyBySerial_[serial] = path;
    if (!checker_.IsListed(serial) && !checker_.AddEntry(serialHex(serial))) {
        CLogger::instance().log("cannot add a db checker entry: " + checker_.LastError());
        result.warning = appText(AppText::CheckerWriteFailed) + "\n" + checker_.LastError();
    }
    return result;
}

namespace {

// Why the folder cannot be filled; empty when it can.
std::string whyFolderHoldsDatabase(const std::string& folder)
{
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(folder, error);
    if (status.type() == fs::file_type::not_found)
        return {};
    if (error)
        return folder + ": " + error.message();
    if (!fs::is_directory(status))
        return folder + ": not a folder";
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (sameNameIgnoringCase(name, TVXCheckDir::DefaultFileName) || serialOfRecordFileName(name))
            return folder + ": holds a database already (" + name + ")";
    }
    if (error)
        return folder + ": cannot be read: " + error.message();
    return {};
}

}  // namespace

bool FolderRecordStore::isEmpty(std::string& why) const
{
    why = whyFolderHoldsDatabase(folder_);
    return why.empty();
}

StoreResult FolderRecordStore::fillEmptyWithFiles(const RecordFileSource& source)
{
    if (std::string why; !isEmpty(why))
        return StoreResult::failed(StoreResult::Status::Refused, why);
    // Made as the application makes its database folder: for its owner alone.
    if (std::string error; !makeFolders(folder_, error))
        return StoreResult::failed(StoreResult::Status::Failed, folder_ + ": the folder cannot be made: " + error);
    const std::string unlisted = " (the folder has no checker yet: remove its record files before trying again)";
    std::string checker;
    std::uint32_t nameSerial = 0;
    std::string bytes;
    while (source(nameSerial, bytes)) {
        const std::string path = joinPath(folder_, recordFileName(nameSerial));
        if (bytes.empty())
            return StoreResult::failed(StoreResult::Status::Failed, path + ": no record to write" + unlisted);
        try {
            readRecordCaption(bytes);
        } catch (const TVXException& e) {
            return StoreResult::failed(StoreResult::Status::Refused, path + ": not a whole record: " + e.what() + unlisted);
        }
        if (const WriteResult written = writeFileAtomically(path, bytes); !written)
            return StoreResult::failed(StoreResult::Status::Failed,
                                       path + ": cannot be written: " + written.error + unlisted);
        checker += TVXCheckDir::EncodeEntry(nameSerial);
    }
    // Last, so that a folder whose records were not all written is no database.
    const std::string checkPath = joinPath(folder_, TVXCheckDir::DefaultFileName);
    if (const WriteResult written = writeFileAtomically(checkPath, checker); !written)
        return StoreResult::failed(StoreResult::Status::Failed, checkPath + ": cannot be written: " + written.error);
    return StoreResult::ok();
}

DatabaseCheckReport FolderRecordStore::check()
{
    return checkDatabase(folder_);
}

StoreResult FolderRecordStore::repair(const DatabaseCheckReport& report)
{
    removal_ = {};
    // Without the lock a running copy may be writing the very file a
    // temporary belongs to.
    if (lock_.held() && !report.leftovers.empty())
        removal_ = removeWriteLeftovers(folder_);
    std::string error;
    if (!repairDatabase(folder_, report, error))
        return StoreResult::failed(StoreResult::Status::Failed, error);
    return StoreResult::ok();
}
