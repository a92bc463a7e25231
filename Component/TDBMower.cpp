#include "Component/TDBMower.h"

#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Class/TVXMowerLog.h"
#include "core/BoundedFile.h"
#include "core/AppTexts.h"
#include "Component/MachineId.h"
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

TDBMower::TDBMower(const std::string& path, TDBMowerList& owner_)
    : owner(owner_), mowerHandle(std::make_unique<TVXMowerLog>()), fileName(path)
{
    Load();
    RefreshCaptions();
}

TDBMower::TDBMower(std::unique_ptr<TVXMowerLog> record, TDBMowerList& owner_)
    : owner(owner_), mowerHandle(record ? std::move(record) : std::make_unique<TVXMowerLog>())
{
    RefreshCaptions();
}

TDBMower::~TDBMower() = default;

bool TDBMower::Load()
{
    std::string bytes;
    std::string error;
    if (readBoundedFile(fileName, MaxRecordFileBytes, bytes, error) != ReadStatus::Ok)
        throw std::ios_base::failure(error);
    try {
        mowerHandle = readRecordFile(bytes);  // throws TVXCrc_error for a wrong checksum
    } catch (const TVXFormat_error& e) {
        // A checksum that fits bytes that hold no whole record: the file was
        // written wrongly. It is reported like a file that cannot be read.
        throw std::ios_base::failure(fileName + ": " + e.what());
    }
    return true;
}

bool TDBMower::SaveRecord()
{
    if (fileName.empty()) {
        CLogger::instance().log("record without a file name not written: " + serialText);
        return false;
    }
    return SaveRecordAs(fileName, *mowerHandle, owner.User());
}

bool TDBMower::SaveRecordAs(const std::string& path, TVXMowerLog& record, UserInteraction& user)
{
    std::string error;
    try {
        const WriteResult written = writeFileAtomically(path, writeRecordFile(record));
        if (written)
            return true;
        error = written.error;
    } catch (const TVXWrite_error& e) {
        error = path + ": " + e.what();
    }
    CLogger::instance().log("error writing record file: " + error);
    user.messageBox(MsgType::Error, appText(AppText::RecordSaveFailed) + "\n" + error, MbOK);
    return false;
}

bool TDBMower::SaveIfOpen()
{
    if (!childForm)
        return true;
    childForm->storeComments();
    return SaveRecord();
}

InsertResult TDBMower::InsertLog(std::unique_ptr<TVXLog>& history)
{
    if (!history)
        return InsertResult::DateExists;
    const TVXLogTime date = history->getDate();
    if (mowerHandle->logs().count(date))
        return InsertResult::DateExists;
    // The record files a copy: the caller keeps the history until it is on disk.
    const std::string emptyRecord = EmptyRecordBytes();
    mowerHandle->insertLog(std::make_unique<TVXLog>(*history));
    if (!SaveRecord()) {
        TakeBack({date}, emptyRecord);
        return InsertResult::WriteFailed;
    }
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
    const std::size_t held = mowerHandle->insertionOrder().size();
    const std::string emptyRecord = EmptyRecordBytes();
    mowerHandle->mergeFrom(other);
    const std::vector<TVXLogTime>& order = mowerHandle->insertionOrder();
    const std::vector<TVXLogTime> merged(order.begin() + static_cast<std::ptrdiff_t>(held), order.end());
    if (!merged.empty()) {
        if (!SaveRecord()) {
            for (const TVXLogTime& date : merged)
                other.insertLog(std::make_unique<TVXLog>(mowerHandle->findLog(date)));
            TakeBack(merged, emptyRecord);
            return false;
        }
        ShowChange();
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
    else
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
        CLogger::instance().log("owner data changed: " + fileName);
        return true;
    }
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
    const std::vector<TVXLogTime>& order = mowerHandle->insertionOrder();
    const auto found = std::find(order.begin(), order.end(), date);
    if (found == order.end())
        return DeleteRule::NotFound;
    if (order.size() < 2)
        return DeleteRule::OnlyHistory;
    const TVXLogTime& neighbour = found == order.begin() ? order[1] : *(found - 1);
    if (mowerHandle->findLog(neighbour).getSerialNumber() != mowerHandle->findLog(date).getSerialNumber())
        return DeleteRule::SerialDiffers;
    return DeleteRule::Allowed;
}

DeleteResult TDBMower::DeleteHistory(const TVXLogTime& date)
{
    UserInteraction& user = owner.User();
    if (CanDeleteHistory(date) != DeleteRule::Allowed) {
        user.messageBox(MsgType::Error, catalogueText(Msg::CannotDeleteHistory), MbOK);
        return DeleteResult::Refused;
    }
    if (user.messageBox(MsgType::Confirmation, deleteConfirmationText(date), MbOK | MbCancel) == MbCancel)
        return DeleteResult::Cancelled;
    if (childForm)
        childForm->storeComments();
    mowerHandle->eraseLog(date);
    CLogger::instance().log("History deleted from " + fileName);
    ShowChange();
    return SaveRecord() ? DeleteResult::Deleted : DeleteResult::WriteFailed;
}

bool TDBMower::UpdateComment(const TVXLogTime& date, const std::string& comment)
{
    const auto& logs = mowerHandle->logs();
    const auto found = logs.find(date);
    if (found == logs.end() || found->second->getComment() == comment)
        return false;
    const std::optional<std::string> stored = utf8ToCp1252(comment);
    if (!stored || stored->size() > 0xFFFF)
        return false;
    found->second->setComment(comment);
    return true;
}

bool TDBMower::StoreComment(const TVXLogTime& date, const std::string& comment)
{
    const auto& logs = mowerHandle->logs();
    const auto found = logs.find(date);
    if (found != logs.end() && found->second->getComment() == comment)
        return true;
    return UpdateComment(date, comment) && SaveRecord();
}

bool TDBMower::Export()
{
    UserInteraction& user = owner.User();
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

std::uint32_t TDBMower::GetSerial() const
{
    return mowerHandle->getSerialNumber();
}

std::string TDBMower::BuildMachineId() const
{
    return buildMachineId(mowerHandle->getTypeCode(), mowerHandle->getIdYear(), mowerHandle->getIdNumber(),
                          mowerHandle->getIdSuffix());
}

bool TDBMower::RefreshCaptions()
{
    const TVXOwner& ownerData = mowerHandle->getOwner();
    std::string name = ownerData.getName() + " " + ownerData.getSurname();
    std::string machineId = BuildMachineId();
    std::string serial = serialHex(mowerHandle->getSerialNumber());
    const bool changed = name != nameText || machineId != machineIdText || serial != serialText;
    nameText = std::move(name);
    machineIdText = std::move(machineId);
    serialText = std::move(serial);
    return changed;
}
