#include "Component/TDBMowerList.h"

#include "Class/TVXException.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/DatabaseTexts.h"
#include "Component/FolderIndex.h"
#include "Component/MachineId.h"
#include "Component/MowerListObserver.h"
#include "Component/NameCollation.h"
#include "Component/RecordFileName.h"
#include "Component/TDBMower.h"
#include "core/CLogger.h"
#include "core/UserInteraction.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <ios>
#include <new>
#include <sys/stat.h>
#include <unordered_set>

TDBMowerList::TDBMowerList(UserInteraction& user, RecordWindowFactory& windows)
    : user_(user), windows_(windows)
{
}

TDBMowerList::~TDBMowerList() = default;

bool TDBMowerList::Load(const std::string& folder)
{
    dbDir = folder;
    checker.SetDataDir(folder);
    checker.SetCheckDir(folder);
    checker.SetCheckFileName(TVXCheckDir::DefaultFileName);
    try {
        fileList = checker.GetFileList();
    } catch (const TVXDBFC_error&) {
        CLogger::instance().log("db checker: " + checker.LastError());
        throw;
    }
    if (checker.RewriteFailed()) {
        CLogger::instance().log("cannot rewrite the db checker: " + checker.LastError());
        user_.messageBox(MsgType::Warning,
                         databaseText(DatabaseText::CheckerWriteFailed) + "\n" + checker.LastError(), MbOK);
    }
    CreateEntries();
    return true;
}

void TDBMowerList::CreateEntries()
{
    CLogger& logger = CLogger::instance();
    std::unordered_set<std::string> loaded;
    entries.reserve(entries.size() + fileList.size());
    for (const std::string& path : fileList) {
        // Two entries for one file would write over each other's changes.
        if (!loaded.insert(path).second) {
            logger.log("listed twice in the db checker: " + path);
            continue;
        }
        try {
            entries.push_back(std::make_unique<TDBMower>(path, *this));
        } catch (const TVXCrc_error&) {
            logger.log(path + " corrupted (CRC)");
        } catch (const std::ios_base::failure& e) {
            logger.log("error on opening file: " + path);
            logger.log(e.what());
        } catch (const std::bad_alloc&) {
            logger.log("Not enough memory when creating all icon");
            user_.messageBox(MsgType::Error, "System Error : NOT ENOUGH MEMORY TO LOAD DATA", MbOK);
            std::exit(-1);
        } catch (const std::exception& e) {
            // Whatever else a damaged file provokes, the other records load.
            logger.log("error on opening file: " + path);
            logger.log(e.what());
        }
    }
    Arrange();
}

void TDBMowerList::Arrange()
{
    for (const auto& mower : entries)
        mower->RefreshCaptions();

    if (sortByName) {
        std::vector<std::pair<std::wstring, std::unique_ptr<TDBMower>>> keyed;
        keyed.reserve(entries.size());
        for (auto& mower : entries) {
            std::wstring key = nameSortKey(mower->GetNameText());
            keyed.emplace_back(std::move(key), std::move(mower));
        }
        std::sort(keyed.begin(), keyed.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (std::size_t i = 0; i < keyed.size(); ++i)
            entries[i] = std::move(keyed[i].second);
    } else {
        std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
            return a->GetMachineIdText() < b->GetMachineIdText();
        });
    }

    // Positions are relative to the start of the content, not to the scrolled view.
    int nextLeft = 0;
    int nextTop = 0;
    for (const auto& mower : entries) {
        mower->SetPosition(nextLeft, nextTop);
        nextLeft += ColumnStep;
        if (nextLeft >= width_ - RowBreakMargin) {
            nextTop += RowStep;
            nextLeft = 0;
        }
    }
    if (observer_)
        observer_->listArranged();
}

void TDBMowerList::SortByName()
{
    sortByName = true;
    Arrange();
}

void TDBMowerList::SortByMachineId()
{
    sortByName = false;
    Arrange();
}

InsertResult TDBMowerList::InsertLog(std::unique_ptr<TVXLog>& history)
{
    if (!history)
        return InsertResult::NoRecord;
    for (const auto& mower : entries) {
        if (mower->GetSerial() != history->getSerialNumber())
            continue;
        const bool filed = mower->InsertLog(history);
        mower->OpenRecord();
        return filed ? InsertResult::Inserted : InsertResult::DateExists;
    }
    return InsertResult::NoRecord;
}

std::vector<std::string> TDBMowerList::GetMachineIdList() const
{
    std::vector<std::string> ids;
    ids.reserve(entries.size());
    for (const auto& mower : entries)
        ids.push_back(mower->GetMachineIdText());
    return ids;
}

bool TDBMowerList::InsertLogInto(const std::string& machineId, std::unique_ptr<TVXLog>& history)
{
    for (const auto& mower : entries)
        if (mower->GetMachineIdText() == machineId)
            return mower->InsertLog(history);
    return false;
}

bool TDBMowerList::SetAside(const std::string& path)
{
    for (int n = 1; n < 1000; ++n) {
        const std::string aside = path + ".aside-" + std::to_string(n);
        struct stat st {};
        if (::lstat(aside.c_str(), &st) == 0)
            continue;
        if (std::rename(path.c_str(), aside.c_str()) != 0) {
            const std::string error = path + ": " + std::strerror(errno);
            CLogger::instance().log("cannot set the old record file aside: " + error);
            user_.messageBox(MsgType::Error, databaseText(DatabaseText::SaveFailed) + "\n" + error, MbOK);
            return false;
        }
        CLogger::instance().log("old record file set aside: " + path + " -> " + std::filesystem::path(aside).filename().string());
        return true;
    }
    CLogger::instance().log("cannot set the old record file aside: " + path);
    user_.messageBox(MsgType::Error, databaseText(DatabaseText::SaveFailed) + "\n" + path, MbOK);
    return false;
}

bool TDBMowerList::CreateRecord(std::unique_ptr<TVXMowerLog>& record)
{
    if (!record)
        return false;
    const std::string name = recordFileName(record->getSerialNumber());
    const std::string path = joinPath(dbDir, name);

    // A loaded record whose newest history came from another mower keeps the
    // file of its first serial number: that file is not free.
    for (const auto& mower : entries) {
        if (sameNameIgnoringCase(std::filesystem::path(mower->GetFileName()).filename().string(), name)) {
            CLogger::instance().log("record file already belongs to " + mower->GetMachineIdText() + ": "
                                    + mower->GetFileName());
            user_.messageBox(MsgType::Error,
                             databaseText(DatabaseText::RecordFileTaken) + "\n" + mower->GetFileName(), MbOK);
            return false;
        }
    }
    // A file of that name that did not load (damaged, or not in the checker)
    // is kept under another name rather than overwritten.
    FolderIndex folder(dbDir);
    if (const auto onDisk = folder.find(name)) {
        if (!SetAside(joinPath(dbDir, *onDisk)))
            return false;
    }
    return AddRecord(std::move(record), path);
}

bool TDBMowerList::AddRecord(std::unique_ptr<TVXMowerLog> record, const std::string& path)
{
    const std::uint32_t serial = record->getSerialNumber();
    entries.push_back(std::make_unique<TDBMower>(std::move(record), *this));
    TDBMower& mower = *entries.back();
    mower.SetFileName(path);
    Arrange();
    mower.SaveRecord();
    if (!checker.IsListed(serial) && !checker.AddEntry(serialHex(serial))) {
        CLogger::instance().log("cannot add a db checker entry: " + checker.LastError());
        user_.messageBox(MsgType::Error,
                         databaseText(DatabaseText::CheckerWriteFailed) + "\n" + checker.LastError(), MbOK);
    }
    mower.OpenRecord();
    return true;
}

bool TDBMowerList::MachineExists(std::uint8_t typeCode, std::uint8_t idYear, std::uint32_t idNumber,
                                 std::uint8_t idSuffix) const
{
    const std::string id = buildMachineId(typeCode, idYear, idNumber, idSuffix);
    return std::any_of(entries.begin(), entries.end(),
                       [&](const auto& mower) { return mower->GetMachineIdText() == id; });
}

TDBMower* TDBMowerList::FindBySerial(std::uint32_t serial) const
{
    for (auto it = entries.rbegin(); it != entries.rend(); ++it)
        if ((*it)->GetSerial() == serial)
            return it->get();
    return nullptr;
}

TDBMower* TDBMowerList::FindByIdentity(std::uint8_t typeCode, std::uint8_t idYear, std::uint8_t idSuffix,
                                       std::uint32_t idNumber) const
{
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        const TVXMowerLog& record = (*it)->GetMowerHandle();
        if (record.getTypeCode() == typeCode && record.getIdYear() == idYear
            && record.getIdSuffix() == idSuffix && record.getIdNumber() == idNumber)
            return it->get();
    }
    return nullptr;
}

bool TDBMowerList::SaveAll()
{
    bool allSaved = true;
    for (const auto& mower : entries)
        allSaved = mower->SaveIfOpen() && allSaved;
    return allSaved;
}

void TDBMowerList::Refresh()
{
    if (observer_)
        observer_->refreshRequested();
}

void TDBMowerList::NotifyChanged(const TDBMower& mower)
{
    if (observer_)
        observer_->mowerChanged(mower);
}
