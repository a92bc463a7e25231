#include "Component/TDBMower.h"

#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Class/TVXMowerLog.h"
#include "core/BoundedFile.h"
#include "core/AppTexts.h"
#include "Component/MachineId.h"
#include "Component/MowerFilter.h"
#include "Component/RecordFileName.h"
#include "Component/RecordValidation.h"
#include "Component/RecordWindowTexts.h"
#include "Component/RecordWindows.h"
#include "Component/TDBMowerList.h"
#include "core/AtomicFile.h"
#include "core/Cp1252.h"
#include "core/CLogger.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "core/UserInteraction.h"

#include <algorithm>
#include <ios>
#include <optional>

TDBMower::TDBMower(const std::string& path, TDBMowerList& owner_) : owner(owner_)
{
    caption_.key = path;
    Load();
    RefreshCaptions();
}

TDBMower::TDBMower(const RecordCaption& caption, TDBMowerList& owner_) : owner(owner_), caption_(caption)
{
    RefreshCaptions();
}

TDBMower::TDBMower(std::unique_ptr<TVXMowerLog> record, TDBMowerList& owner_)
    : owner(owner_), mowerHandle(record ? std::move(record) : std::make_unique<TVXMowerLog>())
{
    RefreshCaptions();
}

TDBMower::TDBMower(std::unique_ptr<TVXMowerLog> record, const RecordCaption& stored, TDBMowerList& owner_)
    : TDBMower(std::move(record), owner_)
{
    caption_.key = stored.key;
    caption_.checksum = stored.checksum;
}

TDBMower::~TDBMower() = default;

bool TDBMower::Load()
{
    mowerHandle = FolderRecordStore::readRecordAt(caption_.key);
    placeholder_ = false;
    return true;
}

StoreResult TDBMower::ReadFromStore() const
{
    std::unique_ptr<TVXMowerLog> record;
    StoreResult result = owner.Store().load(caption_, record);
    if (result) {
        mowerHandle = std::move(record);
        placeholder_ = false;
    }
    return result;
}

bool TDBMower::EnsureLoaded()
{
    if (IsLoaded())
        return true;
    const StoreResult result = ReadFromStore();
    if (!result) {
        ReportStoreFailure(result, true);
        return false;
    }
    RefreshCaptions();
    return true;
}

bool TDBMower::CaptionChanged(const RecordCaption& caption)
{
    if (caption.checksum == caption_.checksum)
        return false;
    if (IsLoaded())
        return Reload();
    const std::string key = caption_.key;
    caption_ = caption;
    caption_.key = key;
    if (RefreshCaptions())
        owner.Arrange();
    else
        owner.NotifyChanged(*this);
    return true;
}

InsertResult TDBMower::RestoreHistory(std::int64_t change, const TVXLogTime& date)
{
    std::string bytes;
    const StoreResult read = owner.Store().stateBefore(change, bytes);
    if (!read) {
        ReportStoreFailure(read, true);
        return InsertResult::NoRecord;
    }
    std::unique_ptr<TVXLog> history;
    try {
        const std::unique_ptr<TVXMowerLog> before = readRecordFile(bytes);
        const auto found = before->logs().find(date);
        if (found == before->logs().end())
            return InsertResult::NoRecord;
        history = std::make_unique<TVXLog>(*found->second);
    } catch (const TVXException& e) {
        ReportStoreFailure(StoreResult::failed(StoreResult::Status::Damaged, e.what()), true);
        return InsertResult::NoRecord;
    }
    CLogger::instance().log("history restored from change " + std::to_string(change) + ": " + caption_.key);
    return InsertLog(history);
}

TVXMowerLog& TDBMower::GetMowerHandle()
{
    return const_cast<TVXMowerLog&>(std::as_const(*this).GetMowerHandle());
}

const TVXMowerLog& TDBMower::GetMowerHandle() const
{
    if (IsLoaded() || ReadFromStore())
        return *mowerHandle;
    if (!mowerHandle) {
        // A stand-in that shows the caption; SaveRecord never writes it.
        auto standIn = std::make_unique<TVXMowerLog>();
        standIn->getOwner() = caption_.owner;
        standIn->setTypeCode(caption_.typeCode);
        standIn->setIdYear(caption_.idYear);
        standIn->setIdNumber(caption_.idNumber);
        standIn->setIdSuffix(caption_.idSuffix);
        mowerHandle = std::move(standIn);
        placeholder_ = true;
    }
    return *mowerHandle;
}

StoreResult TDBMower::WriteRecord()
{
    if (!IsLoaded())
        return StoreResult::failed(StoreResult::Status::Refused, "record not read, not written: " + caption_.key);
    if (caption_.key.empty())
        return StoreResult::failed(StoreResult::Status::Refused, "record without a file name not written: " + serialText);
    StoreResult saved = owner.Store().save(caption_, *mowerHandle);
    if (saved)
        unsavedComments_.clear();
    return saved;
}

void TDBMower::ReportStoreFailure(const StoreResult& result, bool reading)
{
    using Status = StoreResult::Status;
    CLogger& logger = CLogger::instance();
    UserInteraction& user = owner.User();
    switch (result.status) {
    case Status::Ok:
        return;
    case Status::Refused:
        // A record that was never read, or has no name: nothing to tell the dealer.
        logger.log(result.reason);
        return;
    case Status::Changed:
        logger.log("record changed on another PC, not written: " + result.reason);
        user.messageBox(MsgType::Warning, storeFailureText(result), MbOK);
        return;
    case Status::Unreachable:
        logger.log("database server connection lost: " + result.reason);
        break;
    case Status::NotFound:
    case Status::Damaged:
    case Status::Replaced:
        logger.log("record can no longer be read, nothing written to it: " + result.reason);
        break;
    default:
        logger.log((reading ? "record can no longer be read, nothing written to it: " : "error writing record file: ")
                   + result.reason);
        break;
    }
    user.messageBox(MsgType::Error, storeFailureText(result, reading), MbOK);
}

bool TDBMower::SaveRecord()
{
    reloadedOnConflict_ = false;
    const StoreResult saved = WriteRecord();
    if (saved)
        return true;
    if (saved.status == StoreResult::Status::Changed) {
        if (!Reload())
            return false;
        reloadedOnConflict_ = true;
    }
    ReportStoreFailure(saved);
    return false;
}

bool TDBMower::Reload()
{
    if (!IsLoaded())
        return EnsureLoaded();
    std::unique_ptr<TVXMowerLog> fresh;
    const StoreResult read = owner.Store().load(caption_, fresh);
    if (!read) {
        ReportStoreFailure(read, true);
        return false;
    }
    mowerHandle->replaceWith(std::move(*fresh));
    for (const auto& [date, comment] : unsavedComments_) {
        const auto found = mowerHandle->logs().find(date);
        if (found != mowerHandle->logs().end())
            found->second->setComment(comment);
    }
    CLogger::instance().log("record read again: " + caption_.key);
    ShowChange();
    if (childForm)
        childForm->showRecord();
    return true;
}

bool TDBMower::SaveIfOpen()
{
    if (!childForm)
        return true;
    childForm->storeComments();
    StoreResult saved = WriteRecord();
    // Changed elsewhere: the comments typed here go onto the record as it is now.
    if (saved.status == StoreResult::Status::Changed && Reload()) {
        childForm->storeComments();
        saved = WriteRecord();
    }
    ReportStoreFailure(saved);
    return bool(saved);
}

InsertResult TDBMower::InsertLog(std::unique_ptr<TVXLog>& history)
{
    if (!history)
        return InsertResult::DateExists;
    if (!EnsureLoaded())
        return InsertResult::WriteFailed;
    const TVXLogTime date = history->getDate();
    if (mowerHandle->logs().count(date))
        return InsertResult::DateExists;
    // The record files a copy: the caller keeps the history until it is stored.
    const std::string emptyRecord = EmptyRecordBytes();
    // The record as it is, for the journal of a shared database (written
    // here, not while the record is locked there).
    std::string before;
    if (owner.Store().keepsJournal()) {
        try {
            before = writeRecordFile(*mowerHandle);
        } catch (const TVXWrite_error&) {
            before.clear();  // the store reads it itself
        }
    }
    mowerHandle->insertLog(std::make_unique<TVXLog>(*history));
    bool joined = false;
    const StoreResult filed =
        owner.Store().fileHistory(caption_, *mowerHandle, date, joined, before.empty() ? nullptr : &before);
    if (!filed) {
        TakeBack({date}, emptyRecord);
        if (filed.status == StoreResult::Status::DateExists) {
            // Filed on another PC within the same second: the record shows it.
            Reload();
            return InsertResult::DateExists;
        }
        ReportStoreFailure(filed);
        return InsertResult::WriteFailed;
    }
    // Another PC filed into the record meanwhile: the store holds its
    // histories and this one, not what else changed here; the record is read
    // again (comments changed here and not yet written are kept).
    if (joined)
        Reload();
    else
        unsavedComments_.clear();
    history.reset();
    ShowChange();
    if (childForm)
        childForm->showHistory(date);
    else
        OpenRecord();
    return InsertResult::Inserted;
}

bool TDBMower::MergeFrom(TVXMowerLog& other)
{
    if (!EnsureLoaded())
        return false;
    std::vector<TVXLogTime> merged;
    for (int attempt = 0;; ++attempt) {
        const std::size_t held = mowerHandle->insertionOrder().size();
        const std::string emptyRecord = EmptyRecordBytes();
        mowerHandle->mergeFrom(other);
        const std::vector<TVXLogTime>& order = mowerHandle->insertionOrder();
        merged.assign(order.begin() + static_cast<std::ptrdiff_t>(held), order.end());
        if (merged.empty())
            break;
        const StoreResult saved = WriteRecord();
        if (saved) {
            ShowChange();
            break;
        }
        for (const TVXLogTime& date : merged)
            other.insertLog(std::make_unique<TVXLog>(mowerHandle->findLog(date)));
        TakeBack(merged, emptyRecord);
        if (saved.status == StoreResult::Status::Changed && attempt < ConflictRetries) {
            if (!Reload())
                return false;
            continue;
        }
        ReportStoreFailure(saved);
        return false;
    }
    OpenRecord();
    // The window shows the whole record: the merged histories get their tabs.
    if (childForm && !merged.empty())
        childForm->showHistory(merged.back());
    return true;
}

std::string TDBMower::EmptyRecordBytes()
{
    if (mowerHandle->getLogCount() != 0)
        return {};
    try {
        return writeRecordFile(*mowerHandle);
    } catch (const TVXWrite_error&) {
        return {};  // its file cannot be written either: nothing will be filed
    }
}

void TDBMower::TakeBack(const std::vector<TVXLogTime>& dates, const std::string& emptyRecordBytes)
{
    if (!emptyRecordBytes.empty()) {
        // In place: the record window holds the record itself.
        *mowerHandle = std::move(*readRecordFile(emptyRecordBytes));
        return;
    }
    for (const TVXLogTime& date : dates)
        mowerHandle->eraseLog(date);
}

void TDBMower::OpenRecord()
{
    if (childForm)
        childForm->bringToFront();
    else if (EnsureLoaded())
        childForm = owner.Windows().openRecordWindow(*this);
}

bool TDBMower::RecordChanged()
{
    if (childForm)
        childForm->storeComments();
    const bool saved = SaveRecord();
    owner.Arrange();
    return saved;
}

bool TDBMower::ChangeOwnerData(const RecordInput& input, RecordVerdict& verdict)
{
    if (!EnsureLoaded()) {
        verdict = {};
        return false;
    }
    verdict = validateOwnerData(input, *mowerHandle, owner);
    if (!verdict.passed())
        return false;
    TVXMowerLog& record = *mowerHandle;
    const TVXOwner oldOwner = record.getOwner();
    const std::uint8_t oldType = record.getTypeCode();
    const std::uint8_t oldYear = record.getIdYear();
    const std::uint32_t oldNumber = record.getIdNumber();

    const OwnerData data = ownerDataOf(input);
    record.getOwner().setName(data.name);
    record.getOwner().setSurname(data.surname);
    record.getOwner().setAddress(data.address);
    record.setTypeCode(data.typeCode);
    record.setIdYear(data.idYear);
    record.setIdNumber(data.idNumber);
    if (RecordChanged()) {
        CLogger::instance().log("owner data changed: " + caption_.key);
        return true;
    }
    // Changed on another PC meanwhile: the record shows that PC's data now.
    if (reloadedOnConflict_)
        return false;
    // The file keeps the old data: so does the record, and the dealer may try again.
    record.getOwner() = oldOwner;
    record.setTypeCode(oldType);
    record.setIdYear(oldYear);
    record.setIdNumber(oldNumber);
    owner.Arrange();
    return false;
}

void TDBMower::ShowChange()
{
    if (RefreshCaptions())
        owner.Arrange();
    else
        owner.NotifyChanged(*this);
}

DeleteRule TDBMower::CanDeleteHistory(const TVXLogTime& date) const
{
    const TVXMowerLog& record = GetMowerHandle();
    const std::vector<TVXLogTime>& order = record.insertionOrder();
    const auto found = std::find(order.begin(), order.end(), date);
    if (found == order.end())
        return DeleteRule::NotFound;
    if (order.size() < 2)
        return DeleteRule::OnlyHistory;
    const TVXLogTime& neighbour = found == order.begin() ? order[1] : *(found - 1);
    if (record.findLog(neighbour).getSerialNumber() != record.findLog(date).getSerialNumber())
        return DeleteRule::SerialDiffers;
    return DeleteRule::Allowed;
}

DeleteResult TDBMower::DeleteHistory(const TVXLogTime& date)
{
    UserInteraction& user = owner.User();
    if (!EnsureLoaded())
        return DeleteResult::Refused;
    if (CanDeleteHistory(date) != DeleteRule::Allowed) {
        user.messageBox(MsgType::Error, catalogueText(Msg::CannotDeleteHistory), MbOK);
        return DeleteResult::Refused;
    }
    if (user.messageBox(MsgType::Confirmation, deleteConfirmationText(date), MbOK | MbCancel) == MbCancel)
        return DeleteResult::Cancelled;
    if (childForm)
        childForm->storeComments();
    mowerHandle->eraseLog(date);
    CLogger::instance().log("History deleted from " + caption_.key);
    ShowChange();
    return SaveRecord() ? DeleteResult::Deleted : DeleteResult::WriteFailed;
}

bool TDBMower::UpdateComment(const TVXLogTime& date, const std::string& comment)
{
    if (!IsLoaded())
        return false;
    const auto& logs = mowerHandle->logs();
    const auto found = logs.find(date);
    if (found == logs.end() || found->second->getComment() == comment)
        return false;
    const std::optional<std::string> stored = utf8ToCp1252(comment);
    if (!stored || stored->size() > 0xFFFF)
        return false;
    found->second->setComment(comment);
    unsavedComments_[date] = comment;
    return true;
}

bool TDBMower::StoreComment(const TVXLogTime& date, const std::string& comment)
{
    if (!EnsureLoaded())
        return false;
    const auto& logs = mowerHandle->logs();
    const auto found = logs.find(date);
    if (found != logs.end() && found->second->getComment() == comment)
        return true;
    return UpdateComment(date, comment) && SaveRecord();
}

bool TDBMower::Export()
{
    UserInteraction& user = owner.User();
    if (!EnsureLoaded())
        return false;
    const std::vector<FileFilter> filters {{"Export File (*.dat,*.thf)", "*.dat;*.thf"},
                                           {"All files", "*.*"}};
    const auto path = user.chooseSaveFile("Export", filters, 1, "");
    if (!path)
        return true;
    std::string error;
    try {
        const WriteResult written = writeFileAtomically(*path, writeRecordFile(*mowerHandle));
        if (!written)
            error = written.error;
    } catch (const TVXWrite_error& e) {
        error = *path + ": " + e.what();
    }
    if (!error.empty()) {
        CLogger::instance().log("Couldn't create export file");
        CLogger::instance().log(error);
        user.messageBox(MsgType::Error, catalogueText(Msg::ExportFileFailed), MbOK);
        return false;
    }
    user.showMessage(catalogueText(Msg::ExportDone));
    return true;
}

RecordStore& TDBMower::Store() const
{
    return owner.Store();
}

std::uint32_t TDBMower::GetSerial() const
{
    const TVXMowerLog* record = Live();
    return record ? record->getSerialNumber() : caption_.serialNumber;
}

const TVXOwner& TDBMower::GetOwner() const
{
    const TVXMowerLog* record = Live();
    return record ? record->getOwner() : caption_.owner;
}

std::uint8_t TDBMower::GetTypeCode() const
{
    const TVXMowerLog* record = Live();
    return record ? record->getTypeCode() : caption_.typeCode;
}

std::uint8_t TDBMower::GetIdYear() const
{
    const TVXMowerLog* record = Live();
    return record ? record->getIdYear() : caption_.idYear;
}

std::uint32_t TDBMower::GetIdNumber() const
{
    const TVXMowerLog* record = Live();
    return record ? record->getIdNumber() : caption_.idNumber;
}

std::uint8_t TDBMower::GetIdSuffix() const
{
    const TVXMowerLog* record = Live();
    return record ? record->getIdSuffix() : caption_.idSuffix;
}

bool TDBMower::NewestHasAlarms() const
{
    const TVXMowerLog* record = Live();
    return record ? newestHistoryHasAlarms(*record) : caption_.newestHasAlarms;
}

std::string TDBMower::BuildMachineId() const
{
    return buildMachineId(GetTypeCode(), GetIdYear(), GetIdNumber(), GetIdSuffix());
}

bool TDBMower::RefreshCaptions()
{
    const TVXOwner& ownerData = GetOwner();
    std::string name = ownerData.getName() + " " + ownerData.getSurname();
    std::string machineId = BuildMachineId();
    std::string serial = serialHex(GetSerial());
    const bool changed = name != nameText || machineId != machineIdText || serial != serialText;
    nameText = std::move(name);
    machineIdText = std::move(machineId);
    serialText = std::move(serial);
    return changed;
}
