#include "Component/RecordStore.h"

#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "Class/TVXMowerLog.h"
#include "Component/RecordFileName.h"
#include "core/AppTexts.h"

std::string storeFailureText(const StoreResult& result, bool reading)
{
    using Status = StoreResult::Status;
    switch (result.status) {
    case Status::Changed:
        return appText(AppText::RecordChangedElsewhere);
    case Status::Unreachable:
        return appText(AppText::ServerConnectionLost) + "\n" + result.reason;
    case Status::NotFound:
    case Status::Damaged:
    case Status::Replaced:
        return appText(AppText::RecordUnreadable) + "\n" + result.reason;
    default:
        return appText(reading ? AppText::RecordUnreadable : AppText::RecordSaveFailed) + "\n" + result.reason;
    }
}

StoreResult RecordStore::fillEmpty(const RecordSource& source)
{
    std::string failure;
    StoreResult filled = fillEmptyWithFiles([&](std::uint32_t& nameSerial, std::string& fileBytes) {
        std::unique_ptr<TVXMowerLog> record;
        while (source(nameSerial, record)) {
            if (!record)
                continue;
            try {
                fileBytes = writeRecordFile(*record);
                return true;
            } catch (const TVXWrite_error& e) {
                failure = serialHex(nameSerial) + ": " + e.what();
                fileBytes.clear();
                return true;
            }
        }
        return false;
    });
    if (!filled && !failure.empty())
        filled.reason = failure;
    return filled;
}
