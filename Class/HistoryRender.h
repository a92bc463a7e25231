#pragma once

#include "Class/HistFrame.h"
#include "Class/TVXLog.h"
#include "Class/TVXLogTime.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Texts of a history's decoded view, as the history tab shows them and as
// "Copy data" puts them on the clipboard. Catalogue texts are taken in the
// catalogue's current language.

// "07/05/2008 14 h 05"
std::string historyTitle(const TVXLogTime& date);

// The catalogue's alarm index of an alarm event's extra byte; cutting-head
// masks are shifted on the types whose heads are numbered differently.
std::uint8_t alarmIndex(std::uint8_t extra, std::uint8_t typeByte);

struct EventRow {
    std::string number;
    std::string date;
    std::string event;
    std::string extra;
    std::string fu1;
    std::string fu2;
    std::uint8_t eventCode = 0;  // travels with the row for its colour
};
EventRow eventRow(std::size_t number, const HistFrame& frame, std::uint8_t typeByte);
std::vector<EventRow> eventRows(const TVXLog& history);

// Statistic i's value text ("1234 min", " 0.00 %", ...), and its row label.
std::string statisticText(const TVXLog& history, std::size_t i);
std::string statisticLabel(std::size_t i);

// The information lines: firmware, SNB, language, P000, P001, P002, P003/P004,
// P005, P006, P007 (empty unless info-head byte 1 is above 5).
enum InformationLine { InfoFirmware, InfoSerial, InfoLanguage, InfoP000, InfoP001, InfoP002,
                       InfoP003P004, InfoP005, InfoP006, InfoP007, InformationLineCount };
std::array<std::string, InformationLineCount> informationLines(const TVXLog& history);

enum class OptionId { StationMode, QuietCharge, MultipleSferon, PhaseInversion, CcwReturn,
                      OppositeHeads, BidirReturn, StationCapture, UDocking };
struct OptionLine {
    OptionId id;
    std::string text;   // prefix and name, "O004: Quiet charge"
    std::string value;  // "V" when set, "-" when clear
    bool set = false;
};
// The option lines present for this history, in display order.
std::vector<OptionLine> optionLines(const TVXLog& history);

// "08H00-12H30"
std::string sleepRangeText(const SleepRange& range);
// The cell text of range r (0..3) on weekday bit b (1 Monday .. 7 Sunday);
// empty when the range is off that day.
std::string sleepRangeCell(const TVXLog& history, std::size_t r, unsigned weekdayBit);

struct ParameterRow {
    std::string key;    // "P00"
    std::string value;  // "17"
};
std::vector<ParameterRow> parameterRows(const TVXLog& history);

// One line of the event block: the six cells cut or padded to 3, 15, 35, 3, 3
// and 3 characters.
std::string eventLine(const std::string& c0, const std::string& c1, const std::string& c2,
                      const std::string& c3, const std::string& c4, const std::string& c5);

// The history's clipboard block: parameters and options, statistics, events.
std::vector<std::string> renderHistoryText(const TVXLog& history);
