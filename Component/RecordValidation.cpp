#include "Component/RecordValidation.h"

#include "Class/TVXMowerLog.h"
#include "Component/HistoryComment.h"
#include "Component/MachineId.h"
#include "Component/TDBMowerList.h"
#include "core/Cp1252.h"
#include "core/AppTexts.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "core/Utf8.h"

#include <cstdio>

namespace {

// The catalogue messages of one dialog's checks.
struct DialogMessages {
    std::uint16_t nameCaption, surnameCaption, addressCaption;
    std::uint16_t needsName, needsSurname, needsMachineNumber, badMachineNumber;
    const char* zeroNumberFirst;  // a box before badMachineNumber for a number of 0, or null
};

constexpr DialogMessages CreateMessages {
    Msg::CreateFirstname,      Msg::CreateLastname,           Msg::CreateAddress,
    Msg::CreateNeedsFirstname, Msg::CreateNeedsLastname,      Msg::CreateNeedsMachineNumber,
    Msg::CreateBadMachineNumber, nullptr};
constexpr DialogMessages OwnerDataMessages {
    Msg::OwnerDataFirstname,      Msg::OwnerDataLastname,      Msg::OwnerDataAddress,
    Msg::OwnerDataNeedsFirstname, Msg::OwnerDataNeedsLastname, Msg::OwnerDataNeedsMachineNumber,
    Msg::OwnerDataBadMachineNumber, MachineNumberInvalidText};

std::size_t characterCount(std::string_view utf8)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < utf8.size(); ++count) {
        char32_t cp = 0;
        const std::size_t length = decodeUtf8(utf8, pos, cp);
        pos += length ? length : 1;
    }
    return count;
}

// Why an owner text cannot be stored, named by the field's caption; empty when it can.
std::string storageRefusal(std::string_view text, std::uint16_t caption)
{
    const std::string_view refused = firstUnencodable(text);
    if (refused.empty())
        return {};
    char32_t cp = 0;
    if (decodeUtf8(refused, 0, cp) != refused.size())
        return appText(AppText::FieldInvalidByte, {catalogueText(caption)});
    char codePoint[16];
    std::snprintf(codePoint, sizeof codePoint, "%04X", static_cast<unsigned>(cp));
    return appText(AppText::FieldUnencodable, {catalogueText(caption), std::string(refused), codePoint});
}

std::string nameRefusal(const std::string& name, std::uint16_t caption, const std::string* kept)
{
    if (kept != nullptr && name == *kept)
        return {};  // already in the record: it was stored before
    std::string refusal = storageRefusal(name, caption);
    if (refusal.empty() && characterCount(name) > MaxOwnerNameCharacters)
        refusal = appText(AppText::NameTooLong, {catalogueText(caption)});
    return refusal;
}

std::string addressRefusal(std::string_view memoText, const std::string& stored, std::uint16_t caption)
{
    std::string refusal = storageRefusal(memoText, caption);
    if (refusal.empty() && characterCount(stored) > MaxOwnerTextBytes)
        refusal = appText(AppText::AddressTooLong, {catalogueText(caption)});
    return refusal;
}

RecordVerdict refused(RecordField field, std::string text)
{
    RecordVerdict verdict;
    verdict.field = field;
    verdict.messages.push_back(std::move(text));
    return verdict;
}

struct ParsedId {
    std::uint8_t year = 0;
    std::uint32_t number = 0;
};

// The checks both dialogs make alike, up to the machine number's existence;
// `record` is the record whose data the dialog shows, or null for a new one.
// The address as it would be stored is measured.
std::optional<RecordVerdict> checkInput(const RecordInput& input, const std::string& storedAddress,
                                        const DialogMessages& texts, const TVXMowerLog* record, ParsedId& id)
{
    const TVXOwner* owner = record ? &record->getOwner() : nullptr;
    if (input.name.empty())
        return refused(RecordField::Name, catalogueText(texts.needsName));
    if (std::string refusal = nameRefusal(input.name, texts.nameCaption, owner ? &owner->getName() : nullptr);
        !refusal.empty())
        return refused(RecordField::Name, std::move(refusal));
    if (input.surname.empty())
        return refused(RecordField::Surname, catalogueText(texts.needsSurname));
    if (std::string refusal =
            nameRefusal(input.surname, texts.surnameCaption, owner ? &owner->getSurname() : nullptr);
        !refusal.empty())
        return refused(RecordField::Surname, std::move(refusal));
    if (memoLines(input.addressText).empty())
        return refused(RecordField::Address, AddressMissingText);
    if (std::string refusal = addressRefusal(input.addressText, storedAddress, texts.addressCaption);
        !refusal.empty())
        return refused(RecordField::Address, std::move(refusal));

    const std::optional<std::uint32_t> year = parseIdDigits(input.yearText);
    const std::optional<std::uint32_t> number = parseIdDigits(input.numberText);
    if (!year || !number)
        return refused(year ? RecordField::Number : RecordField::Year, catalogueText(texts.needsMachineNumber));
    id.year = static_cast<std::uint8_t>(*year);  // the record keeps one byte
    id.number = *number;
    if (id.year < 4)
        return refused(RecordField::Year, catalogueText(texts.badMachineNumber));
    if (id.number == 0) {
        RecordVerdict verdict = refused(RecordField::Number, catalogueText(texts.badMachineNumber));
        if (texts.zeroNumberFirst != nullptr)
            verdict.messages.insert(verdict.messages.begin(), texts.zeroNumberFirst);
        return verdict;
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::uint32_t> parseIdDigits(std::string_view text)
{
    return readIdPart(text);
}

std::vector<std::string> memoLines(std::string_view memoText)
{
    std::vector<std::string> lines;
    if (memoText.empty())
        return lines;
    // A memo's text and a comment break their lines alike.
    const std::string text = memoTextFromComment(memoText);
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.emplace_back(text, start, end - start);
    lines.emplace_back(text, start);
    return lines;
}

std::string createdAddress(std::string_view memoText)
{
    std::string address;
    for (const std::string& line : memoLines(memoText))
        address += line + "\n";
    return address;
}

std::string changedAddress(std::string_view memoText)
{
    const std::vector<std::string> lines = memoLines(memoText);
    std::string address;
    for (std::size_t i = 0; i < lines.size(); ++i)
        address += (i == 0 ? "" : "\r\n") + lines[i];
    return address;
}

std::string memoTextOfAddress(std::string_view address)
{
    return memoTextFromComment(address);
}

RecordVerdict validateCreate(const RecordInput& input, const TDBMowerList& list)
{
    ParsedId id;
    if (auto refusal = checkInput(input, createdAddress(input.addressText), CreateMessages, nullptr, id))
        return *refusal;
    if (list.MachineExists(input.typeCode, id.year, id.number, 0))
        return refused(RecordField::Number, catalogueText(Msg::ExistingMachine));
    return {};
}

RecordVerdict validateOwnerData(const RecordInput& input, const TVXMowerLog& record,
                                const TDBMowerList& list)
{
    ParsedId id;
    if (auto refusal = checkInput(input, changedAddress(input.addressText), OwnerDataMessages, &record, id))
        return *refusal;
    const bool unchanged = input.typeCode == record.getTypeCode() && id.year == record.getIdYear()
        && id.number == record.getIdNumber();
    if (!unchanged && list.MachineExists(input.typeCode, id.year, id.number, 0))
        return refused(RecordField::Number, catalogueText(Msg::ExistingMachine));
    return {};
}

std::unique_ptr<TVXMowerLog> newRecord(const RecordInput& input)
{
    auto record = std::make_unique<TVXMowerLog>();
    TVXOwner& owner = record->getOwner();
    owner.setName(input.name);
    owner.setSurname(input.surname);
    owner.setAddress(createdAddress(input.addressText));
    record->setTypeCode(input.typeCode);
    record->setIdYear(static_cast<std::uint8_t>(parseIdDigits(input.yearText).value_or(0)));
    record->setIdNumber(parseIdDigits(input.numberText).value_or(0));
    record->setIdSuffix(0);
    return record;
}

OwnerData ownerDataOf(const RecordInput& input)
{
    return {input.name,
            input.surname,
            changedAddress(input.addressText),
            input.typeCode,
            static_cast<std::uint8_t>(parseIdDigits(input.yearText).value_or(0)),
            parseIdDigits(input.numberText).value_or(0)};
}
