#include "Component/RecordWindowTexts.h"

#include "Class/HistoryRender.h"
#include "Class/TVXLog.h"
#include "Class/TVXLogTime.h"
#include "Class/TVXMowerLog.h"
#include "Component/MachineId.h"
#include "Component/RecordFileName.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"

#include <cstdio>

std::string recordWindowId(const TVXMowerLog& record)
{
    char digits[32];
    std::snprintf(digits, sizeof digits, "-%02u-%03u-B", unsigned(record.getIdYear()),
                  unsigned(record.getIdNumber()));
    return typePrefix(record.getTypeCode()) + digits;
}

std::string recordSerialText(const TVXMowerLog& record)
{
    return serialHex(record.getSerialNumber());
}

std::string recordSoftwareText(const TVXMowerLog& record)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02X%08X", unsigned(record.getTypeByte()),
                  unsigned(record.getSoftwareVersion()));
    return text;
}

std::string recordBootloaderText(const TVXMowerLog& record)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X", unsigned(record.getBootloaderVersion()));
    return text;
}

std::string deleteConfirmationText(const TVXLogTime& date)
{
    char when[64];
    std::snprintf(when, sizeof when, " %u-%u-%u %u:%u:%u", unsigned(date.day), unsigned(date.month),
                  unsigned(date.year), unsigned(date.hour), unsigned(date.minute), unsigned(date.second));
    return TVXStringTable::instance().getMessageText(Msg::ConfirmDeleteHistory) + when;
}

std::string copyDataText(const TVXMowerLog& record, const TVXLog& history)
{
    const TVXStringTable& table = TVXStringTable::instance();
    const TVXOwner& owner = record.getOwner();
    std::string text = table.getMessageText(Msg::CustomerReferences) + "\r\n";
    text += table.getMessageText(Msg::FirstnameLabel) + ": " + owner.getName() + "\r\n";
    text += table.getMessageText(Msg::LastnameLabel) + ": " + owner.getSurname() + "\r\n";
    text += table.getMessageText(Msg::AddressLabel) + ": " + owner.getAddress() + "\r\n";
    text += "\r\n";
    for (const std::string& line : renderHistoryText(history))
        text += line + "\r\n";
    return text;
}
