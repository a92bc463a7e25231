#include "Component/TDBMowerList.h"

#include "Class/TVXException.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "core/AppTexts.h"
#include "Component/FolderRecordStore.h"
#include "Component/MachineId.h"
#include "Component/MowerListObserver.h"
#include "Component/NameCollation.h"
#include "Component/RecordFileName.h"
#include "Component/TDBMower.h"
#include "core/CLogger.h"
#include "core/UserInteraction.h"

#include <algorithm>
#include <unordered_set>
#include <cstdlib>
#include <new>

TDBMowerList::TDBMowerList(UserInteraction& user, RecordWindowFactory& windows)
    : ownStore_(std::make_unique<FolderRecordStore>(std::string())), store_(ownStore_.get()), user_(user),
      windows_(windows)
{
}

TDBMowerList::~TDBMowerList() = default;

bool TDBMowerList::Load(const std::string& folder)
{
    ownStore_ = std::make_unique<FolderRecordStore>(folder);
    return LoadFrom(*ownStore_);
}

bool TDBMowerList::LoadFrom(RecordStore& store)
{
    store_ = &store;
    std::vector<RecordCaption> captions;
    StoreResult listed;
    try {
        listed = store.list(captions);
    } catch (const std::bad_alloc&) {
        CLogger::instance().log("Not enough memory when creating all icon");
        user_.messageBox(MsgType::Error, "System Error : NOT ENOUGH MEMORY TO LOAD DATA", MbOK);
        std::exit(-1);
    }
    if (listed.status == StoreResult::Status::Damaged)
        throw TVXDBFC_error();
    if (!listed) {
        // The server went away between opening and listing: the list stays
        // empty, and the dealer knows why.
        CLogger::instance().log("cannot list the records: " + listed.reason);
        user_.messageBox(MsgType::Error, storeFailureText(listed, true), MbOK);
    }
    if (!listed.warning.empty())
        user_.messageBox(MsgType::Warning, listed.warning, MbOK);
    CreateEntries(captions);
    return true;
}

void TDBMowerList::CreateEntries(const std::vector<RecordCaption>& captions)
{
    entries.reserve(entries.size() + captions.size());
    for (const RecordCaption& caption : captions)
        entries.push_back(std::make_unique<TDBMower>(caption, *this));
    Arrange();
}

void TDBMowerList::Arrange()
{
    if (observer_)
        observer_->scrollToTop();
    // The caption of a record not read since start-up cannot have changed.
    for (const auto& mower : entries)
        if (mower->IsLoaded())
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

TDBMower* TDBMowerList::CatchUpWithMower(std::uint32_t serial)
{
    // A record made on another PC since start-up joins the list.
    const std::optional<RecordCaption> caption = store_->recordOfMower(serial);
    if (!caption)
        return nullptr;
    for (const auto& mower : entries)
        if (mower->GetFileName() == caption->key)
            return nullptr;
    entries.push_back(std::make_unique<TDBMower>(*caption, *this));
    TDBMower* added = entries.back().get();
    Arrange();
    return added;
}

TDBMower* TDBMowerList::FindByKey(const std::string& key) const
{
    for (const auto& mower : entries)
        if (mower->GetFileName() == key)
            return mower.get();
    return nullptr;
}

bool TDBMowerList::CatchUp()
{
    bool missed = false;
    const std::vector<std::string> keys = store_->takeChanges(missed);
    std::vector<RecordCaption> captions;
    bool removed = false;
    if (missed) {
        if (!store_->list(captions))
            return false;  // the next announcement or reconnection tries again
        // Records removed meanwhile (the undo of a creation) leave the list too.
        std::unordered_set<std::string> listed;
        for (const RecordCaption& caption : captions)
            listed.insert(caption.key);
        std::vector<std::string> gone;
        for (const auto& mower : entries)
            if (!listed.count(mower->GetFileName()))
                gone.push_back(mower->GetFileName());
        for (const std::string& key : gone)
            removed = RemoveUnopened(key) || removed;
    } else {
        for (const std::string& key : keys) {
            RecordCaption caption;
            const StoreResult read = store_->captionOf(key, caption);
            if (read)
                captions.push_back(std::move(caption));
            else if (read.status == StoreResult::Status::NotFound)
                removed = RemoveUnopened(key) || removed;
        }
    }
    bool changed = false;
    bool added = false;
    for (const RecordCaption& caption : captions) {
        TDBMower* mower = FindByKey(caption.key);
        if (!mower) {
            entries.push_back(std::make_unique<TDBMower>(caption, *this));
            added = true;
        } else {
            changed = mower->CaptionChanged(caption) || changed;
        }
    }
    if (added)
        Arrange();
    return added || changed || removed;
}

bool TDBMowerList::RemoveUnopened(const std::string& key)
{
    // A record removed elsewhere (the undo of its creation) leaves the list;
    // one whose window is open stays until the end of the run.
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        if ((*it)->GetFileName() != key || (*it)->GetChildForm())
            continue;
        CLogger::instance().log("record removed on another PC: " + key);
        entries.erase(it);
        Arrange();
        return true;
    }
    return false;
}

InsertResult TDBMowerList::InsertLog(std::unique_ptr<TVXLog>& history)
{
    if (!history)
        return InsertResult::NoRecord;
    if (!FindBySerial(history->getSerialNumber()))
        CatchUpWithMower(history->getSerialNumber());
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

bool TDBMowerList::CreateRecord(std::unique_ptr<TVXMowerLog>& record)
{
    if (!record)
        return false;
    RecordCaption stored;
    const StoreResult created = store_->create(*record, stored);
    if (created.status == StoreResult::Status::Taken) {
        // A loaded record whose newest history came from another mower keeps
        // the file of its first serial number.
        std::string owner;
        for (const auto& mower : entries)
            if (mower->GetFileName() == created.reason)
                owner = mower->GetMachineIdText();
        CLogger::instance().log("record file already belongs to " + owner + ": " + created.reason);
        user_.messageBox(MsgType::Error, appText(AppText::RecordFileTaken) + "\n" + created.reason, MbOK);
        return false;
    }
    if (!created) {
        CLogger::instance().log("error writing record file: " + created.reason);
        user_.messageBox(MsgType::Error, storeFailureText(created), MbOK);
        return false;
    }
    entries.push_back(std::make_unique<TDBMower>(std::move(record), stored, *this));
    TDBMower& mower = *entries.back();
    Arrange();
    if (!created.warning.empty())
        user_.messageBox(MsgType::Error, created.warning, MbOK);
    mower.OpenRecord();
    return true;
}

bool TDBMowerList::MachineExists(std::uint8_t typeCode, std::uint8_t idYear, std::uint32_t idNumber,
                                 std::uint8_t idSuffix) const
{
    const std::string id = buildMachineId(typeCode, idYear, idNumber, idSuffix);
    if (std::any_of(entries.begin(), entries.end(), [&](const auto& mower) { return mower->GetMachineIdText() == id; }))
        return true;
    // Another PC may have made that machine's record meanwhile.
    return store_->machineExists(typeCode, idYear, idNumber, idSuffix).value_or(false);
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
        const TDBMower& mower = **it;
        if (mower.GetTypeCode() == typeCode && mower.GetIdYear() == idYear && mower.GetIdSuffix() == idSuffix
            && mower.GetIdNumber() == idNumber)
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
