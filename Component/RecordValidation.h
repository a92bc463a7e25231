#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class TDBMowerList;
class TVXMowerLog;

// The rules of the record dialogs: what the dealer typed into the create
// dialog and the owner-data dialog, whether it may become a record, and the
// owner data it becomes. The dialogs show the verdicts; the rules live here so
// that they hold without a window.

// The owner and machine identifier as typed, UTF-8.
struct RecordInput {
    std::string name;
    std::string surname;
    std::string addressText;   // the memo's text, lines separated by '\n'
    std::uint8_t typeCode = 0;  // the code the dialog holds (kept until an item is picked)
    std::string yearText;      // the masked fields as shown, blanks included ("0_")
    std::string numberText;
};

// The field the dealer has to correct.
enum class RecordField { None, Name, Surname, Address, Year, Number };

// The outcome of a check: the messages the dealer is shown, one error box each
// in this order, and the field to correct. No message: the input passed.
struct RecordVerdict {
    std::vector<std::string> messages;
    RecordField field = RecordField::None;
    bool passed() const { return messages.empty(); }
};

// The owner data and machine identifier an input that passed stands for, as
// the record keeps them.
struct OwnerData {
    std::string name;
    std::string surname;
    std::string address;
    std::uint8_t typeCode = 0;
    std::uint8_t idYear = 0;
    std::uint32_t idNumber = 0;
};

// A name or a surname takes at most 30 characters; a record file holds at
// most 65535 bytes of each owner text (one byte per character in Windows-1252).
constexpr std::size_t MaxOwnerNameCharacters = 30;
constexpr std::size_t MaxOwnerTextBytes = 65535;

// The address refusal that both dialogs show in every language.
inline constexpr const char* AddressMissingText = "Vous devez spécifier une addresse";
// The owner-data dialog's first box for a machine number of 0.
inline constexpr const char* MachineNumberInvalidText = "Numero de machine non valide";

// The year or number of the machine identifier read as a decimal integer
// (readIdPart): "07" is 7, "12_" (a field not filled to its last place) is
// 12; nothing for a field without a digit ("", "__"), with a blank between
// its digits ("1_3") or a value past 2^32 - 1.
std::optional<std::uint32_t> parseIdDigits(std::string_view text);

// The lines of a memo text: none for an empty text; a final line break does
// not start another line. LF, CR LF and a lone CR break lines.
std::vector<std::string> memoLines(std::string_view memoText);
// The address of a created record: each memo line followed by "\n".
std::string createdAddress(std::string_view memoText);
// The address the owner-data dialog stores: the memo lines separated by CR LF.
std::string changedAddress(std::string_view memoText);
// The memo text that shows a stored address: CR LF, LF and a lone CR become
// '\n', and one final line break is dropped (it ends the last line).
std::string memoTextOfAddress(std::string_view address);

// The create dialog's checks, in order, stopping at the first failure:
// first name (57, then whether it can be stored), last name (58, likewise),
// address (no line, then whether it can be stored), a machine number whose
// fields are integers (59), a year of 4 or more (60), a number other than 0
// (60), and a machine identifier no record has (61).
RecordVerdict validateCreate(const RecordInput& input, const TDBMowerList& list);
// The owner-data dialog's checks for the record it shows, in the same order
// with the messages 68, 69, 70 and 71; a number of 0 gives two boxes. The
// record's own machine identifier passes, whether or not the list finds it;
// a name or surname the record already has passes at any length.
RecordVerdict validateOwnerData(const RecordInput& input, const TVXMowerLog& record,
                                const TDBMowerList& list);

// The new record of a create input that passed: owner, machine identifier
// (suffix 0, the input's type code) and no history yet.
std::unique_ptr<TVXMowerLog> newRecord(const RecordInput& input);
// The owner data of an owner-data input that passed (the address as
// changedAddress gives it).
OwnerData ownerDataOf(const RecordInput& input);
