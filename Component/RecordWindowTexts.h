#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TVXLog;
class TVXLogTime;
class TVXMowerLog;

// Texts of a record's window, computed from the record so that they are the
// same wherever they are shown (window, clipboard, tests).

// The identifier the record window shows and takes as its title: the type's
// prefix, then "-YY-NNN-B" of the identifier's year and number
// (TX-05-123-B; -05-123-B for a type without a prefix).
std::string recordWindowId(const TVXMowerLog& record);
// The serial number as 8 upper-case hexadecimal digits.
std::string recordSerialText(const TVXMowerLog& record);
// The type byte as 2 upper-case hexadecimal digits followed by the software
// version as 8.
std::string recordSoftwareText(const TVXMowerLog& record);
// The bootloader version as 2 upper-case hexadecimal digits.
std::string recordBootloaderText(const TVXMowerLog& record);

// A reading's date and time to the second, "07/05/2008 14:05:30": what tells
// apart two readings of the same minute, whose tab captions are alike.
std::string readingDateText(const TVXLogTime& date);
// The tooltip of a reading's tab: "Read on" and its date to the second, then
// a line with the "Machine SNB" caption and its serial number.
std::string readingToolTip(const TVXLog& history);

// The question before a history is deleted: catalogue message 126 followed by
// the history's date as " D-M-YYYY H:M:S", without leading zeros.
std::string deleteConfirmationText(const TVXLogTime& date);

// "Copy data": the customer-references caption, the three owner lines
// (caption, ": ", value), an empty line and the history's text block, each
// line ended by CR LF.
std::string copyDataText(const TVXMowerLog& record, const TVXLog& history);
