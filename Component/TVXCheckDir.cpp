#include "Component/TVXCheckDir.h"

#include "Class/ByteIO.h"
#include "Class/TVXException.h"
#include "core/BoundedFile.h"
#include "Component/FolderIndex.h"
#include "Component/RecordFileName.h"
#include "core/AtomicFile.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

std::uint16_t TVXCheckDir::EntrySum(std::uint32_t serial)
{
    return static_cast<std::uint16_t>((serial >> 24) + ((serial >> 16) & 0xFF) + ((serial >> 8) & 0xFF)
                                      + (serial & 0xFF));
}

std::string TVXCheckDir::EncodeEntry(std::uint32_t serial)
{
    std::string entry;
    entry.reserve(EntrySize);
    byteio::putU32(entry, serial);
    byteio::putU16(entry, EntrySum(serial));
    return entry;
}

std::vector<TVXCheckDir::Entry> TVXCheckDir::DecodeEntries(std::string_view bytes)
{
    std::vector<Entry> entries;
    entries.reserve(bytes.size() / EntrySize);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    for (std::size_t at = 0; at + EntrySize <= bytes.size(); at += EntrySize)
        entries.push_back({byteio::getU32(p + at), byteio::getU16(p + at + 4)});
    return entries;
}

std::string TVXCheckDir::CheckFilePath() const
{
    return joinPath(checkDir, checkFileName);
}

std::vector<std::string> TVXCheckDir::GetFileList()
{
    fileList.clear();
    if (!ReadCheckFile())
        throw TVXDBFC_error();
    return std::move(fileList);
}

std::string TVXCheckDir::FindRecordFile(std::uint32_t serial, FolderIndex& folder) const
{
    // One reading of the folder costs a database of thousands of records far
    // less than a look-up of each name; it also finds a name of another case.
    if (const auto onDisk = folder.find(recordFileName(serial)))
        return joinPath(dataDir, *onDisk);
    if (!folder.readable()) {
        // The folder cannot be listed: the loader tries the name and says in
        // the trace log why it cannot be read, and the entry stays so that the
        // record is not forgotten.
        return joinPath(dataDir, recordFileName(serial));
    }
    return {};
}

bool TVXCheckDir::ReadCheckFile()
{
    std::string bytes;
    if (readBoundedFile(CheckFilePath(), MaxCheckFileBytes, bytes, lastError_) != ReadStatus::Ok)
        return false;
    if (bytes.size() % EntrySize != 0) {
        lastError_ = CheckFilePath() + ": size " + std::to_string(bytes.size()) + " is not a multiple of 6";
        return false;
    }
    checkBytes_ = bytes;
    FolderIndex folder(dataDir);
    listedSerials_.clear();
    listed_.reserve(bytes.size() / EntrySize);
    for (const Entry& entry : DecodeEntries(bytes)) {
        if (!entry.valid())
            continue;
        std::string path = FindRecordFile(entry.serial, folder);
        if (path.empty())
            continue;
        fileList.push_back(std::move(path));
        listedSerials_.push_back(entry.serial);
        listed_.insert(entry.serial);
    }
    rewriteFailed_ = !WriteCheckFile();
    return true;
}

bool TVXCheckDir::WriteCheckFile()
{
    std::string bytes;
    bytes.reserve(fileList.size() * EntrySize);
    for (const std::uint32_t serial : listedSerials_)
        bytes += EncodeEntry(serial);
    if (bytes == checkBytes_)
        return true;
    const WriteResult written = writeFileAtomically(CheckFilePath(), bytes);
    if (!written) {
        lastError_ = written.error;
        return false;
    }
    checkBytes_ = std::move(bytes);
    return true;
}

bool TVXCheckDir::AddEntry(const std::string& serialHex)
{
    const auto serial = parseSerialHex(serialHex);
    if (!serial) {
        lastError_ = "not a serial number: " + serialHex;
        return false;
    }
    // Read again rather than trust checkBytes_: the checker may have been
    // missing or unreadable at start, or be a damaged one that we leave as is.
    std::string bytes;
    const ReadStatus status = readBoundedFile(CheckFilePath(), MaxCheckFileBytes, bytes, lastError_);
    if (status != ReadStatus::Ok && status != ReadStatus::NotFound)
        return false;
    bytes += EncodeEntry(*serial);
    const WriteResult written = writeFileAtomically(CheckFilePath(), bytes);
    if (!written) {
        lastError_ = written.error;
        return false;
    }
    checkBytes_ = std::move(bytes);
    listed_.insert(*serial);
    return true;
}

bool TVXCheckDir::StartNewDatabase()
{
    // A checker that is there, even a damaged one, is the dealer's to mend;
    // record files without a checker are a database that lost it.
    struct stat st {};
    if (::lstat(CheckFilePath().c_str(), &st) == 0 || errno != ENOENT)
        return false;
    FolderIndex folder(dataDir);
    for (const std::string& name : folder.names())
        if (serialOfRecordFileName(name))
            return false;
    const WriteResult written = writeFileAtomically(CheckFilePath(), "");
    if (!written) {
        lastError_ = written.error;
        return false;
    }
    checkBytes_.clear();
    return true;
}
