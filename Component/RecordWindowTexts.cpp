#include "Component/RecordWindowTexts.h"

#include "Class/HistoryRender.h"
#include "Class/TVXLog.h"
#include "Class/TVXLogTime.h"
#include "Class/TVXMowerLog.h"
#include "Component/MachineId.h"
#include "Component/RecordFileName.h"
#include "core/AppTexts.h"
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

std::string readingDateText(const TVXLogTime& date)
{
    char text[40];
    std::snprintf(text, sizeof text, "%02u/%02u/%04u %02u:%02u:%02u", unsigned(date.day), unsigned(date.month),
                  unsigned(date.year), unsigned(date.hour), unsigned(date.minute), unsigned(date.second));
    return text;
}

std::string readingToolTip(const TVXLog& history)
{
    return appText(AppText::ReportReadingDate) + " " + readingDateText(history.getDate()) + "\n"
           + catalogueText(Msg::MachineSerialLabel) + ": " + serialHex(history.getSerialNumber());
}

std::string deleteConfirmationText(const TVXLogTime& date)
{
    char when[64];
    std::snprintf(when, sizeof when, " %u-%u-%u %u:%u:%u", unsigned(date.day), unsigned(date.month),
                  unsigned(date.year), unsigned(date.hour), unsigned(date.minute), unsigned(date.second));
    return catalogueText(Msg::ConfirmDeleteHistory) + when;
}

std::string copyDataText(const TVXMowerLog& record, const TVXLog& history)
{
    const TVXOwner& owner = record.getOwner();
    std::string text = catalogueText(Msg::CustomerReferences) + "\r\n";
    text += catalogueText(Msg::FirstnameLabel) + ": " + owner.getName() + "\r\n";
    text += catalogueText(Msg::LastnameLabel) + ": " + owner.getSurname() + "\r\n";
    text += catalogueText(Msg::AddressLabel) + ": " + owner.getAddress() + "\r\n";
    text += "\r\n";
    for (const std::string& line : renderHistoryText(history))
        text += line + "\r\n";
    return text;
}
