#include "Component/RecordImport.h"

#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Class/TVXMowerLog.h"
#include "core/BoundedFile.h"
#include "Component/DatabaseTexts.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "core/CLogger.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "core/UserInteraction.h"

#include <algorithm>

namespace {

std::string message(std::uint16_t number)
{
    return TVXStringTable::instance().getMessageText(number);
}

bool sameIdentity(const TVXMowerLog& a, const TVXMowerLog& b)
{
    return a.getTypeCode() == b.getTypeCode() && a.getIdYear() == b.getIdYear()
           && a.getIdNumber() == b.getIdNumber() && a.getIdSuffix() == b.getIdSuffix();
}

}  // namespace

bool readBinFile(const std::string& path, InfoFrameBuffer& infoFrame, HistoryImageBuffer& historyImage,
                 UserInteraction& user)
{
    CLogger& logger = CLogger::instance();
    constexpr std::size_t fileSize = std::tuple_size_v<InfoFrameBuffer> + std::tuple_size_v<HistoryImageBuffer>;
    std::string bytes;
    std::string error;
    const ReadStatus status = readBoundedFile(path, fileSize, bytes, error);
    if (status != ReadStatus::Ok && status != ReadStatus::TooLarge) {
        logger.log("error opening bin file: " + path);
        logger.log(error);
        return false;
    }
    logger.log("Request loading history from bin file");
    if (status == ReadStatus::TooLarge || bytes.size() != fileSize) {
        logger.log("bin file " + path + " is not " + std::to_string(fileSize) + " bytes long: refused");
        user.messageBox(MsgType::Error, message(Msg::CorruptedFile), MbOK);
        return false;
    }
    std::copy_n(bytes.begin(), infoFrame.size(), infoFrame.begin());
    std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(infoFrame.size()), historyImage.size(),
                historyImage.begin());
    return true;
}

bool importDatFile(const std::string& path, TDBMowerList& list, UserInteraction& user)
{
    CLogger& logger = CLogger::instance();
    std::string bytes;
    std::string error;
    const ReadStatus status = readBoundedFile(path, TDBMower::MaxRecordFileBytes, bytes, error);
    if (status != ReadStatus::Ok && status != ReadStatus::TooLarge) {
        logger.log("error opening import file: " + path);
        logger.log(error);
        return false;
    }
    std::unique_ptr<TVXMowerLog> imported;
    try {
        if (status == ReadStatus::TooLarge)
            throw TVXFormat_error(error);
        imported = readRecordFile(bytes);
    } catch (const TVXCrc_error&) {
        logger.log("Import file: " + path + " has a bad CRC");
        user.messageBox(MsgType::Error, message(Msg::CorruptedFile), MbOK);
        return false;
    } catch (const TVXFormat_error& e) {
        logger.log("Import file: " + path + " is damaged: " + e.what());
        user.messageBox(MsgType::Error, message(Msg::CorruptedFile), MbOK);
        return false;
    }

    const TVXMowerLog& record = *imported;
    TDBMower* bySerial = list.FindBySerial(record.getSerialNumber());
    TDBMower* byIdentity = list.FindByIdentity(record.getTypeCode(), record.getIdYear(), record.getIdSuffix(),
                                               record.getIdNumber());
    if (bySerial) {
        if (sameIdentity(bySerial->GetMowerHandle(), record)) {
            bySerial->MergeFrom(*imported);
            user.showMessage(message(Msg::NewHistoryInserted));
            return true;
        }
        if (!byIdentity) {
            user.messageBox(MsgType::Error, message(Msg::ExistingMachine), MbOK);
            return false;
        }
        logger.log("Import file: " + path + " has the serial number of " + bySerial->GetMachineIdText()
                   + " and the machine number of another record: not imported");
        user.messageBox(MsgType::Error, databaseText(DatabaseText::ImportConflict), MbOK);
        return false;
    }
    if (byIdentity) {
        byIdentity->MergeFrom(*imported);
        return true;
    }
    return list.CreateRecord(imported);
}
