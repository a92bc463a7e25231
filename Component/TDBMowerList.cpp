#include "Component/TDBMowerList.h"

#include "Class/TVXException.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "core/AppTexts.h"
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
        const std::string reason = checker.LastError();
        if (!checker.StartNewDatabase()) {
            CLogger::instance().log("db checker: " + reason);
            throw;
        }
        CLogger::instance().log("new database, empty db checker made: " + checker.CheckFilePath());
        fileList.clear();
    }
    if (checker.RewriteFailed()) {
        CLogger::instance().log("cannot rewrite the db checker: " + checker.LastError());
        user_.messageBox(MsgType::Warning,
                         appText(AppText::CheckerWriteFailed) + "\n" + checker.LastError(), MbOK);
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
    if (observer_)
        observer_->scrollToTop();
    for (const auto& mower : entries)
        mower->RefreshCaptions();

    // Keys are built once per entry, not once per comparison.
    struct Keyed {
        std::wstring name;
        std::unique_ptr<TDBMower> mower;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(entries.size());
    for (auto& mower : entries)
        keyed.push_back({sortByName ? nameSortKey(mower->GetNameText()) : std::wstring(), std::move(mower)});
    if (sortByName) {
        std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
            if (const auto order = a.name <=> b.name; order != 0)
                return order < 0;
            return a.mower->GetSerial() < b.mower->GetSerial();
        });
    } else {
        std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
            if (const int order = a.mower->GetMachineIdText().compare(b.mower->GetMachineIdText()); order != 0)
                return order < 0;
            return a.mower->GetSerial() < b.mower->GetSerial();
        });
    }
    for (std::size_t i = 0; i < keyed.size(); ++i)
        entries[i] = std::move(keyed[i].mower);

    BuildSearchKeys();
    PlaceTiles();
}

void TDBMowerList::BuildSearchKeys()
{
    searchKeys_.clear();
    searchKeys_.reserve(entries.size());
    for (const auto& mower : entries)
        searchKeys_.push_back(searchKeyOf(*mower));
}

void TDBMowerList::SetFilter(std::string_view text, bool alarmsOnly)
{
    filter_.Set(text, alarmsOnly);
    PlaceTiles();
}

void TDBMowerList::SetWidth(int width)
{
    if (width == layout_.width())
        return;
    layout_.setWidth(width);
    PlaceTiles();
}

void TDBMowerList::PlaceTiles()
{
    // An entry added without Arrange has no key yet.
    if (searchKeys_.size() != entries.size())
        BuildSearchKeys();
    visible_.clear();
    visible_.reserve(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!filter_.IsActive() || filter_.Matches(searchKeys_[i]))
            visible_.push_back(entries[i].get());
        else
            entries[i]->SetPosition(-1, -1);
    }
    // Positions are relative to the start of the content, not to the scrolled view.
    layout_.setCount(visible_.size());
    for (std::size_t i = 0; i < visible_.size(); ++i)
        visible_[i]->SetPosition(layout_.left(i), layout_.top(i));
    if (observer_)
        observer_->listArranged();
}

TDBMower* TDBMowerList::EntryAt(int x, int y) const
{
    const long index = layout_.indexAt(x, y);
    return index < 0 ? nullptr : visible_[static_cast<std::size_t>(index)];
}

int TDBMowerList::ContentHeight() const
{
    return layout_.contentHeight();
}

std::pair<std::size_t, std::size_t> TDBMowerList::EntriesBetween(int top, int bottom) const
{
    return layout_.between(top, bottom);
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
        const InsertResult result = mower->InsertLog(history);
        if (result != InsertResult::WriteFailed)
            mower->OpenRecord();
        return result;
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

InsertResult TDBMowerList::InsertLogInto(const std::string& machineId, std::unique_ptr<TVXLog>& history)
{
    for (const auto& mower : entries)
        if (mower->GetMachineIdText() == machineId)
            return mower->InsertLog(history);
    return InsertResult::NoRecord;
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
            user_.messageBox(MsgType::Error, appText(AppText::RecordSaveFailed) + "\n" + error, MbOK);
            return false;
        }
        CLogger::instance().log("old record file set aside: " + path + " -> " + std::filesystem::path(aside).filename().string());
        return true;
    }
    CLogger::instance().log("cannot set the old record file aside: " + path);
    user_.messageBox(MsgType::Error, appText(AppText::RecordSaveFailed) + "\n" + path, MbOK);
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
                             appText(AppText::RecordFileTaken) + "\n" + mower->GetFileName(), MbOK);
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
    return AddRecord(record, path);
}

bool TDBMowerList::AddRecord(std::unique_ptr<TVXMowerLog>& record, const std::string& path)
{
    if (!record)
        return false;
    // The file first: the list shows no record that the disk does not hold.
    if (!TDBMower::SaveRecordAs(path, *record, user_))
        return false;
    const std::uint32_t serial = record->getSerialNumber();
    entries.push_back(std::make_unique<TDBMower>(std::move(record), *this));
    TDBMower& mower = *entries.back();
    mower.SetFileName(path);
    Arrange();
    if (!checker.IsListed(serial) && !checker.AddEntry(serialHex(serial))) {
        CLogger::instance().log("cannot add a db checker entry: " + checker.LastError());
        user_.messageBox(MsgType::Error,
                         appText(AppText::CheckerWriteFailed) + "\n" + checker.LastError(), MbOK);
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
    // A changed address or a new history can change what the filter shows.
    for (std::size_t i = 0; i < entries.size() && i < searchKeys_.size(); ++i) {
        if (entries[i].get() != &mower)
            continue;
        const bool shown = !filter_.IsActive() || filter_.Matches(searchKeys_[i]);
        searchKeys_[i] = searchKeyOf(mower);
        if (shown != (!filter_.IsActive() || filter_.Matches(searchKeys_[i]))) {
            PlaceTiles();
            return;
        }
        break;
    }
    if (observer_)
        observer_->mowerChanged(mower);
}
