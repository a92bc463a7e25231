#include "Component/DatabaseCheck.h"

#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "core/BoundedFile.h"
#include "Component/FolderIndex.h"
#include "Component/RecordFileName.h"
#include "Component/FolderRecordStore.h"
#include "Component/TVXCheckDir.h"
#include "Component/WriteLeftovers.h"
#include "core/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <optional>
#include <unistd.h>
#include <unordered_map>
#include <unordered_set>

namespace {

using Kind = DatabaseFinding::Kind;

// Why a record file does not load, or nothing when it does.
std::optional<DatabaseFinding> inspectRecordFile(const std::string& path)
{
    std::string bytes;
    std::string error;
    if (readBoundedFile(path, FolderRecordStore::MaxRecordFileBytes, bytes, error) != ReadStatus::Ok)
        return DatabaseFinding {Kind::Unreadable, path + ": cannot be read: " + error};
    try {
        readRecordFile(bytes);
    } catch (const TVXCrc_error&) {
        return DatabaseFinding {Kind::BadChecksum, path + ": fails its checksum"};
    } catch (const std::exception& e) {
        return DatabaseFinding {Kind::Unreadable, path + ": holds no whole record: " + e.what()};
    }
    return std::nullopt;
}

std::string entryLabel(std::size_t index, std::uint32_t serial)
{
    return "entry " + std::to_string(index + 1) + " (serial " + serialHex(serial) + ")";
}

}  // namespace

DatabaseCheckReport checkDatabase(const std::string& folder)
{
    DatabaseCheckReport report;
    auto add = [&](Kind kind, std::string text) { report.findings.push_back({kind, std::move(text)}); };

    DIR* dir = ::opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) {
        add(Kind::FolderUnreadable, folder + ": database folder cannot be read: " + std::strerror(errno));
        return report;
    }
    ::closedir(dir);

    const std::string checkPath = joinPath(folder, TVXCheckDir::DefaultFileName);
    std::string checkBytes;
    std::string error;
    const ReadStatus status = readBoundedFile(checkPath, TVXCheckDir::MaxCheckFileBytes, checkBytes, error);
    if (status == ReadStatus::NotFound) {
        add(Kind::CheckerMissing, checkPath + ": checker file missing");
        report.checkerNeedsRewrite = true;
    } else if (status != ReadStatus::Ok) {
        add(Kind::CheckerCorrupted, checkPath + ": checker file cannot be read: " + error);
        report.checkerNeedsRewrite = true;
        checkBytes.clear();
    } else if (checkBytes.size() % TVXCheckDir::EntrySize != 0) {
        add(Kind::CheckerCorrupted, checkPath + ": checker file corrupted: its size "
                                        + std::to_string(checkBytes.size()) + " is not a multiple of 6");
        report.checkerNeedsRewrite = true;
    }

    FolderIndex index(folder);
    std::unordered_map<std::uint32_t, std::size_t> firstEntry;
    const auto entries = TVXCheckDir::DecodeEntries(checkBytes);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const std::uint32_t serial = entries[k].serial;
        if (!entries[k].valid()) {
            add(Kind::BadEntrySum, entryLabel(k, serial) + ": bad entry sum " + std::to_string(entries[k].sum)
                                       + ", expected " + std::to_string(TVXCheckDir::EntrySum(serial)));
            report.checkerNeedsRewrite = true;
            continue;
        }
        const auto [first, inserted] = firstEntry.emplace(serial, k);
        if (!inserted) {
            add(Kind::DuplicateSerial,
                entryLabel(k, serial) + ": serial listed twice (first at entry " + std::to_string(first->second + 1) + ")");
            report.checkerNeedsRewrite = true;
            continue;
        }
        const std::string name = recordFileName(serial);
        const auto onDisk = ::access(joinPath(folder, name).c_str(), F_OK) == 0 ? std::optional(name)
                                                                                : index.find(name);
        if (!onDisk) {
            add(Kind::FileMissing, entryLabel(k, serial) + ": record file missing: "
                                       + joinPath(folder, recordFileName(serial)));
            firstEntry.erase(serial);  // an orphan of another case would not count as listed
            report.checkerNeedsRewrite = true;
            continue;
        }
        report.keptSerials.push_back(serial);
        if (auto finding = inspectRecordFile(joinPath(folder, *onDisk)))
            report.findings.push_back(std::move(*finding));
    }

    std::unordered_set<std::uint32_t> recovered;
    for (const std::string& name : index.names()) {
        const auto serial = serialOfRecordFileName(name);
        if (!serial || firstEntry.count(*serial))
            continue;
        const std::string path = joinPath(folder, name);
        if (auto finding = inspectRecordFile(path)) {
            add(Kind::Orphan, path + ": record file not listed in the checker, and not recoverable: "
                                  + finding->text);
            continue;
        }
        add(Kind::Orphan, path + ": record file not listed in the checker");
        if (recovered.insert(*serial).second)
            report.recoverableOrphans.push_back(*serial);
        report.checkerNeedsRewrite = true;
    }

    for (const std::string& path : findWriteLeftovers(folder, index.names())) {
        add(Kind::WriteLeftover, path + ": temporary file left by an interrupted write");
        report.leftovers.push_back(path);
    }
    return report;
}

bool repairDatabase(const std::string& folder, const DatabaseCheckReport& report, std::string& error)
{
    if (!report.checkerNeedsRewrite)
        return true;
    std::string bytes;
    for (const std::uint32_t serial : report.keptSerials)
        bytes += TVXCheckDir::EncodeEntry(serial);
    for (const std::uint32_t serial : report.recoverableOrphans)
        bytes += TVXCheckDir::EncodeEntry(serial);
    const WriteResult written = writeFileAtomically(joinPath(folder, TVXCheckDir::DefaultFileName), bytes);
    if (!written) {
        error = written.error;
        return false;
    }
    return true;
}
