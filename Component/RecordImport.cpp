#include "Component/RecordImport.h"

#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Class/TVXMowerLog.h"
#include "core/BoundedFile.h"
#include "core/AppTexts.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "core/CLogger.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "core/UserInteraction.h"
#include "link/InfoFrame.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::size_t BinFileSize = std::tuple_size_v<InfoFrameBuffer> + std::tuple_size_v<HistoryImageBuffer>;

std::string hexByte(std::uint8_t byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%2.2X", byte);
    return text;
}

// "Corrupted file" and the file's name, as the dealer is shown a refused file.
std::string corruptedFileText(const std::string& path)
{
    return catalogueText(Msg::CorruptedFile) + "\n" + path;
}

bool sameIdentity(const TDBMower& a, const TVXMowerLog& b)
{
    return a.GetTypeCode() == b.getTypeCode() && a.GetIdYear() == b.getIdYear()
           && a.GetIdNumber() == b.getIdNumber() && a.GetIdSuffix() == b.getIdSuffix();
}

}  // namespace

std::optional<std::string> binHistoryDefect(std::string_view bytes)
{
    if (bytes.size() != BinFileSize)
        return "it holds " + std::to_string(bytes.size()) + " bytes, not " + std::to_string(BinFileSize);
    InfoFrame frame;
    std::copy_n(reinterpret_cast<const std::uint8_t*>(bytes.data()), frame.size(), frame.begin());
    if (isValidInfoFrame(frame))
        return std::nullopt;
    // The link's test decides; this only says which of its two conditions failed.
    std::string dump = hexDump(frame);
    dump.pop_back();  // the blank after the last byte
    std::string defect = "its info frame is not one a mower sends (" + dump + "):";
    const std::uint8_t boot = frame[15];
    if (boot != 0x14 && boot != 0x21 && boot != 0x22 && boot != 0x23)
        defect += " byte 15, the bootloader version, is " + hexByte(boot) + ", not 0x14, 0x21, 0x22 or 0x23;";
    if (frame[11] < 4)
        defect += " byte 11, the first of the serial number, is " + hexByte(frame[11]) + ", below 0x04;";
    defect.pop_back();
    return defect;
}

bool readBinFile(const std::string& path, InfoFrameBuffer& infoFrame, HistoryImageBuffer& historyImage,
                 UserInteraction& user)
{
    CLogger& logger = CLogger::instance();
    std::string bytes;
    std::string error;
    const ReadStatus status = readBoundedFile(path, BinFileSize, bytes, error);
    if (status != ReadStatus::Ok && status != ReadStatus::TooLarge) {
        logger.log("error opening bin file: " + path);
        logger.log(error);
        return false;
    }
    logger.log("Request loading history from bin file");
    const std::optional<std::string> defect =
        status == ReadStatus::TooLarge ? "it holds more than " + std::to_string(BinFileSize) + " bytes"
                                       : binHistoryDefect(bytes);
    if (defect) {
        logger.log("bin file " + path + " refused: " + *defect);
        user.messageBox(MsgType::Error, corruptedFileText(path), MbOK);
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
        user.messageBox(MsgType::Error, corruptedFileText(path), MbOK);
        return false;
    } catch (const TVXFormat_error& e) {
        logger.log("Import file: " + path + " is damaged: " + e.what());
        user.messageBox(MsgType::Error, corruptedFileText(path), MbOK);
        return false;
    }

    const TVXMowerLog& record = *imported;
    TDBMower* bySerial = list.FindBySerial(record.getSerialNumber());
    TDBMower* byIdentity = list.FindByIdentity(record.getTypeCode(), record.getIdYear(), record.getIdSuffix(),
                                               record.getIdNumber());
    if (bySerial) {
        if (sameIdentity(*bySerial, record)) {
            if (!bySerial->MergeFrom(*imported))
                return false;  // the dealer was told that the record file could not be written
            user.showMessage(catalogueText(Msg::NewHistoryInserted));
            return true;
        }
        if (!byIdentity) {
            user.messageBox(MsgType::Error, catalogueText(Msg::ExistingMachine), MbOK);
            return false;
        }
        logger.log("Import file: " + path + " has the serial number of " + bySerial->GetMachineIdText()
                   + " and the machine number of another record: not imported");
        user.messageBox(MsgType::Error, appText(AppText::ImportConflict), MbOK);
        return false;
    }
    if (byIdentity)
        return byIdentity->MergeFrom(*imported);
    return list.CreateRecord(imported);
}
