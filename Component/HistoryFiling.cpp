#include "Component/HistoryFiling.h"

#include "Class/ByteIO.h"
#include "Class/TVXLog.h"
#include "Component/RecordDialogs.h"
#include "Component/RecordFileName.h"
#include "Component/TDBMowerList.h"
#include "core/AppTexts.h"
#include "core/AtomicFile.h"
#include "core/CLogger.h"
#include "core/Clock.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "core/UserInteraction.h"

#include <algorithm>
#include <cstdio>

namespace {

// "0412ABCD-20110304-102030.bin": the mower and the date the history was read.
std::string suggestedBinName(const TVXLog& history)
{
    const TVXLogTime& date = history.getDate();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "-%04u%02u%02u-%02u%02u%02u.bin", unsigned(date.year), unsigned(date.month),
                  unsigned(date.day), unsigned(date.hour), unsigned(date.minute), unsigned(date.second));
    return serialHex(history.getSerialNumber()) + stamp;
}

}  // namespace

std::string binHistoryFile(const TVXLog& history)
{
    InfoFrameBuffer frame {};
    const TVXLog::InfoHead& head = history.getInfoHead();
    std::copy(head.begin(), head.end(), frame.begin());
    frame[6] = history.getTypeByte();
    byteio::putU32BE(&frame[7], history.getSoftwareVersion());
    byteio::putU32BE(&frame[11], history.getSerialNumber());
    frame[15] = history.getBootloaderVersion();
    std::string bytes(frame.begin(), frame.end());
    const TVXLog::Image& image = history.getImage();
    bytes.append(image.begin(), image.end());
    return bytes;
}

bool offerHistoryRescue(const TVXLog& history, UserInteraction& user)
{
    CLogger& logger = CLogger::instance();
    const std::string bytes = binHistoryFile(history);
    const std::string name = suggestedBinName(history);
    while (user.messageBox(MsgType::Confirmation, appText(AppText::HistoryNotFiledSaveBin), MbYes | MbNo) == MbYes) {
        const auto path = user.chooseSaveFile(std::string(), {{"history", "*.bin"}, {"All files", "*.*"}}, 1, name);
        if (!path)
            break;
        if (const WriteResult written = writeFileAtomically(*path, bytes); !written) {
            logger.log("history of " + serialHex(history.getSerialNumber()) + " not saved: " + written.error);
            user.messageBox(MsgType::Error, catalogueText(Msg::ExportFileFailed) + "\n" + written.error, MbOK);
            continue;
        }
        logger.log("history of " + serialHex(history.getSerialNumber()) + " saved as " + *path);
        return true;
    }
    logger.log("history of " + serialHex(history.getSerialNumber()) + " neither filed nor saved");
    return false;
}

void fileHistory(const InfoFrameBuffer& infoFrame, const HistoryImageBuffer& historyImage, TDBMowerList& list,
                 RecordDialogs& dialogs, UserInteraction& user, Clock& clock)
{
    CLogger& logger = CLogger::instance();
    const TVXStringTable& table = TVXStringTable::instance();

    auto history = std::make_unique<TVXLog>(std::span<const std::uint8_t, TVXLog::ImageSize>(historyImage));
    history->fillFromInfoFrame(std::span<const std::uint8_t, TVXLog::InfoFrameSize>(infoFrame));
    history->setDate(TVXLogTime(clock.now()));
    logger.log("Loading history successful machine: " + serialHex(history->getSerialNumber()));

    switch (list.InsertLog(history)) {
    case InsertResult::Inserted:
        user.messageBox(MsgType::Information, table.getMessageText(Msg::NewHistoryInserted), MbOK);
        logger.log("new log insert");
        break;
    case InsertResult::DateExists:
        user.messageBox(MsgType::Error, table.getMessageText(Msg::HistoryDateExists), MbOK);
        logger.log("history not filed: the record already holds one of this date");
        break;
    case InsertResult::WriteFailed:
        // The dealer was told why; the history is still whole here.
        logger.log("history not filed: its record file could not be written");
        if (history)
            offerHistoryRescue(*history, user);
        break;
    case InsertResult::NoRecord: {
        // A dialog whose filing failed offers the history itself when the
        // dealer closes it.
        const int result = dialogs.showInsertDialog(history);
        if (result == MrOk)
            return;
        if (result == MrAbort)
            dialogs.showCreateDialog(static_cast<std::uint8_t>(infoFrame[6] & 0x0F), history);
        break;
    }
    }
    list.Refresh();
}
