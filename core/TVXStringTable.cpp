#include "core/TVXStringTable.h"

#include "core/StringTableTexts.h"

#include <memory>
#include <utility>

namespace {

std::unique_ptr<TVXStringTable> theInstance;

}  // namespace

TVXStringTable& TVXStringTable::instance()
{
    if (!theInstance)
        theInstance.reset(new TVXStringTable());
    return *theInstance;
}

void TVXStringTable::releaseInstance()
{
    theInstance.reset();
}

// A lookup must never meet an unselected catalogue: French is in place from
// the start, before the settings have been read.
TVXStringTable::TVXStringTable()
{
    setLanguage(1);
}

void TVXStringTable::setLanguage(std::uint8_t language)
{
    if (language < LanguageCount) {
        language_ = language;
        messages_ = stringtable::MessageTables[language];
        events_ = stringtable::EventTables[language];
        alarmBases_ = stringtable::AlarmBaseTables[language];
    }
    buildAlarmNames();
}

std::string catalogueText(std::uint16_t number)
{
    return TVXStringTable::instance().getMessageText(number);
}

std::string TVXStringTable::getMessageText(std::uint16_t number) const
{
    if (number >= MessageCount)
        return "0";
    return messages_[number];
}

std::string TVXStringTable::getEventName(std::uint8_t code) const
{
    if (code >= EventCount)
        return "UNKNOW EVENT";
    return events_[code];
}

std::string TVXStringTable::getAlarmName(std::uint8_t code) const
{
    if (code >= AlarmCount)
        return "UNKNOW ALARM";
    return alarmNames_[code];
}

// Alarms 0 to 31 are the cutting-head alarms: each set bit of the code names
// one of the five heads. Alarms 32 to 66 take the base texts 1 to 35.
void TVXStringTable::buildAlarmNames()
{
    constexpr int HeadCount = 5;
    constexpr int HeadAlarms = 1 << HeadCount;
    static_assert(HeadAlarms + AlarmBaseCount - 1 == AlarmCount);
    for (int code = 0; code < HeadAlarms; ++code) {
        std::string name = alarmBases_[0];
        for (int head = 0; head < HeadCount; ++head) {
            if (code & (1 << head)) {
                name += ' ';
                name += static_cast<char>('1' + head);
            }
        }
        alarmNames_[code] = std::move(name);
    }
    for (int code = HeadAlarms; code < AlarmCount; ++code)
        alarmNames_[code] = alarmBases_[code - (HeadAlarms - 1)];
}
