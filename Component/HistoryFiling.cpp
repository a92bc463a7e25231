#include "Component/HistoryFiling.h"

#include "Class/TVXLog.h"
#include "Component/RecordDialogs.h"
#include "Component/RecordFileName.h"
#include "Component/TDBMowerList.h"
#include "core/CLogger.h"
#include "core/Clock.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "core/UserInteraction.h"

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
        logger.log("history not filed: its record file could not be written");
        break;
    case InsertResult::NoRecord: {
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
