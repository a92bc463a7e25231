#include "Component/RecordValidation.h"

#include "Class/TVXMowerLog.h"
#include "Component/TDBMower.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "DatabaseFixture.h"

#include <gmock/gmock.h>

using namespace fixture;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

constexpr std::uint32_t Alice = 0x11;  // TX-07-123
constexpr std::uint32_t Bob = 0x22;    // WK-08-005 (code 9)

RecordInput valid()
{
    return {"Jean", "Lefèvre", "3 rue des Lilas\n69000 Lyon", 4, "09", "042"};
}

struct Case {
    const char* what;
    RecordInput input;
    std::vector<std::string> messages;
    RecordField field;
};

class RecordValidationTest : public DatabaseTest {
protected:
    RecordValidationTest()
    {
        HistoryFixture history;
        RecordFixture alice;
        alice.serial = Alice;
        alice.address = "12 Long Road\nSmalltown\n";
        history.serial = Alice;
        alice.histories = {history};
        addRecordFile(alice);
        RecordFixture bob;
        bob.serial = Bob;
        bob.name = "Bob";
        bob.typeCode = 9;
        bob.idYear = 8;
        bob.idNumber = 5;
        history.serial = Bob;
        bob.histories = {history};
        addRecordFile(bob);
        load();
    }
    TDBMower& entry(std::uint32_t serial) { return *list.FindBySerial(serial); }
    const TVXMowerLog& record(std::uint32_t serial) { return entry(serial).GetMowerHandle(); }
    // Alice's record as the owner-data dialog shows it.
    RecordInput aliceAsShown()
    {
        const TVXMowerLog& r = record(Alice);
        const TVXOwner& owner = r.getOwner();
        return {owner.getName(), owner.getSurname(), memoTextOfAddress(owner.getAddress()),
                r.getTypeCode(), "07", "123"};
    }
    static void expectCases(const std::vector<Case>& cases,
                            const std::function<RecordVerdict(const RecordInput&)>& check)
    {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            const RecordVerdict verdict = check(c.input);
            EXPECT_EQ(verdict.messages, c.messages);
            EXPECT_EQ(verdict.field, c.field);
        }
    }
};

}  // namespace

TEST(RecordInputTest, MachineNumberFieldsAreDecimalIntegersOrNothing)
{
    EXPECT_EQ(parseIdDigits("07"), 7u);
    EXPECT_EQ(parseIdDigits("123"), 123u);
    EXPECT_EQ(parseIdDigits("000"), 0u);
    EXPECT_EQ(parseIdDigits("4294967295"), 4294967295u);
    // A field not filled to its last place: the mask's blanks are no part of the value.
    EXPECT_EQ(parseIdDigits("12_"), 12u);
    EXPECT_EQ(parseIdDigits("0_"), 0u);
    // No digit, a blank between digits, signs, and values past 32 bits are no number.
    for (const char* text : {"", "_", "__", "1_3", "+5", "-5", "1a", "4294967296"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(parseIdDigits(text), std::nullopt);
    }
}

TEST(RecordInputTest, AddressesBetweenMemoAndRecord)
{
    EXPECT_TRUE(memoLines("").empty());
    EXPECT_THAT(memoLines("a\nb"), ElementsAre("a", "b"));
    EXPECT_THAT(memoLines("a\nb\n"), ElementsAre("a", "b"));  // a final break starts no line
    EXPECT_THAT(memoLines("a\n\n"), ElementsAre("a", ""));
    EXPECT_THAT(memoLines("\n"), ElementsAre(""));
    EXPECT_THAT(memoLines("a\r\nb\rc"), ElementsAre("a", "b", "c"));

    // A created record ends each line with LF; a changed one separates them with CR LF.
    EXPECT_EQ(createdAddress("12 Long Road\nSmalltown"), "12 Long Road\nSmalltown\n");
    EXPECT_EQ(createdAddress("12 Long Road\nSmalltown\n"), "12 Long Road\nSmalltown\n");
    EXPECT_EQ(createdAddress(""), "");
    EXPECT_EQ(changedAddress("12 Long Road\nSmalltown"), "12 Long Road\r\nSmalltown");
    EXPECT_EQ(changedAddress("a\r\nb"), "a\r\nb");
    EXPECT_EQ(changedAddress("a\nb\n"), "a\r\nb");

    // Either stored form shows the same lines, with no empty line after the last.
    EXPECT_EQ(memoTextOfAddress("12 Long Road\nSmalltown\n"), "12 Long Road\nSmalltown");
    EXPECT_EQ(memoTextOfAddress("12 Long Road\r\nSmalltown\r\n"), "12 Long Road\nSmalltown");
    EXPECT_EQ(memoTextOfAddress("12 Long Road\r\nSmalltown"), "12 Long Road\nSmalltown");
    EXPECT_EQ(memoTextOfAddress("a\n\n"), "a\n");
    for (const char* memo : {"12 Long Road\nSmalltown", "a\n", "single"}) {
        SCOPED_TRACE(memo);
        EXPECT_EQ(memoTextOfAddress(createdAddress(memo)), memoTextOfAddress(memo));
        EXPECT_EQ(memoTextOfAddress(changedAddress(memo)), memoTextOfAddress(memo));
    }
}

TEST(RecordInputTest, ANewRecordAndChangedOwnerData)
{
    RecordInput input = valid();
    input.typeCode = 10;  // a code the type list shows as "WK" is kept as it came
    const std::unique_ptr<TVXMowerLog> record = newRecord(input);
    EXPECT_EQ(record->getOwner().getName(), "Jean");
    EXPECT_EQ(record->getOwner().getSurname(), "Lefèvre");
    EXPECT_EQ(record->getOwner().getAddress(), "3 rue des Lilas\n69000 Lyon\n");
    EXPECT_EQ(record->getTypeCode(), 10);
    EXPECT_EQ(record->getIdYear(), 9);
    EXPECT_EQ(record->getIdNumber(), 42u);
    EXPECT_EQ(record->getIdSuffix(), 0);
    EXPECT_EQ(record->getLogCount(), 0);

    const OwnerData data = ownerDataOf(input);
    EXPECT_EQ(data.address, "3 rue des Lilas\r\n69000 Lyon");
    EXPECT_EQ(data.typeCode, 10);
    EXPECT_EQ(data.idYear, 9);
    EXPECT_EQ(data.idNumber, 42u);

    input.yearText = "300";  // a wider year keeps its low byte
    EXPECT_EQ(newRecord(input)->getIdYear(), 300 % 256);
}

TEST_F(RecordValidationTest, CreateChecksStopAtTheFirstFailure)
{
    // Each case breaks one check and every later one: only the first is reported.
    const auto with = [](auto change) {
        RecordInput input = valid();
        change(input);
        return input;
    };
    const std::vector<Case> cases {
        {"no first name", with([](RecordInput& i) { i = {"", "", "", 4, "__", "___"}; }),
         {catalogueText(Msg::CreateNeedsFirstname)}, RecordField::Name},
        {"no last name", with([](RecordInput& i) { i = {"Jean", "", "", 4, "__", "___"}; }),
         {catalogueText(Msg::CreateNeedsLastname)}, RecordField::Surname},
        {"no address line", with([](RecordInput& i) { i.addressText = ""; i.yearText = "__"; }),
         {AddressMissingText}, RecordField::Address},
        {"a blank year", with([](RecordInput& i) { i.yearText = "__"; i.numberText = "000"; }),
         {catalogueText(Msg::CreateNeedsMachineNumber)}, RecordField::Year},
        {"a blank between the year's digits", with([](RecordInput& i) { i.yearText = "1_2"; }),
         {catalogueText(Msg::CreateNeedsMachineNumber)}, RecordField::Year},
        {"a blank between the number's digits", with([](RecordInput& i) { i.numberText = "1_2"; }),
         {catalogueText(Msg::CreateNeedsMachineNumber)}, RecordField::Number},
        {"a year of one digit is that digit", with([](RecordInput& i) { i.yearText = "3_"; }),
         {catalogueText(Msg::CreateBadMachineNumber)}, RecordField::Year},
        {"year 03", with([](RecordInput& i) { i.yearText = "03"; i.numberText = "000"; }),
         {catalogueText(Msg::CreateBadMachineNumber)}, RecordField::Year},
        {"number 000", with([](RecordInput& i) { i.yearText = "04"; i.numberText = "000"; }),
         {catalogueText(Msg::CreateBadMachineNumber)}, RecordField::Number},
        {"Alice's machine", with([](RecordInput& i) { i.yearText = "07"; i.numberText = "123"; }),
         {catalogueText(Msg::ExistingMachine)}, RecordField::Number},
        {"year 04 passes", with([](RecordInput& i) { i.yearText = "04"; }), {}, RecordField::None},
        // Bob's machine is WK-08-005 under code 9; code 10 builds the same identifier.
        {"Bob's machine under code 10", with([](RecordInput& i) { i = {"B", "B", "x", 10, "08", "005"}; }),
         {catalogueText(Msg::ExistingMachine)}, RecordField::Number},
        {"an address of one empty line passes", with([](RecordInput& i) { i.addressText = "\n"; }), {},
         RecordField::None},
    };
    expectCases(cases, [&](const RecordInput& input) { return validateCreate(input, list); });
}

TEST_F(RecordValidationTest, OwnerDataChecksStopAtTheFirstFailure)
{
    const auto with = [this](auto change) {
        RecordInput input = aliceAsShown();
        change(input);
        return input;
    };
    const std::vector<Case> cases {
        {"no first name", with([](RecordInput& i) { i = {"", "", "", 4, "__", "___"}; }),
         {catalogueText(Msg::OwnerDataNeedsFirstname)}, RecordField::Name},
        {"no last name", with([](RecordInput& i) { i = {"Alice", "", "", 4, "__", "___"}; }),
         {catalogueText(Msg::OwnerDataNeedsLastname)}, RecordField::Surname},
        {"an empty memo", with([](RecordInput& i) { i.addressText = ""; i.yearText = "__"; }),
         {AddressMissingText}, RecordField::Address},
        {"a blank year", with([](RecordInput& i) { i.yearText = "__"; i.numberText = "000"; }),
         {catalogueText(Msg::OwnerDataNeedsMachineNumber)}, RecordField::Year},
        {"year 03", with([](RecordInput& i) { i.yearText = "03"; i.numberText = "000"; }),
         {catalogueText(Msg::OwnerDataBadMachineNumber)}, RecordField::Year},
        {"number 000: two boxes", with([](RecordInput& i) { i.numberText = "000"; }),
         {MachineNumberInvalidText, catalogueText(Msg::OwnerDataBadMachineNumber)}, RecordField::Number},
        {"Bob's machine", with([](RecordInput& i) { i = {"A", "Z", "x", 9, "08", "005"}; }),
         {catalogueText(Msg::ExistingMachine)}, RecordField::Number},
        // The list finds Alice's own identifier: unchanged, it passes.
        {"unchanged", aliceAsShown(), {}, RecordField::None},
        {"new owner, same machine", with([](RecordInput& i) { i.name = "Carol"; }), {}, RecordField::None},
        {"a free machine number", with([](RecordInput& i) { i.numberText = "124"; }), {}, RecordField::None},
        {"year 04", with([](RecordInput& i) { i.yearText = "04"; }), {}, RecordField::None},
    };
    expectCases(cases,
                [&](const RecordInput& input) { return validateOwnerData(input, record(Alice), list); });
}

TEST_F(RecordValidationTest, OwnerTextsARecordFileCannotHoldAreRefusedInTheirField)
{
    RecordInput input = valid();
    input.name = "Jean 😀";
    input.surname = "";  // refused later in the order: the name's refusal comes first
    RecordVerdict verdict = validateCreate(input, list);
    ASSERT_EQ(verdict.messages.size(), 1u);
    EXPECT_EQ(verdict.field, RecordField::Name);
    EXPECT_EQ(verdict.messages[0],
              "“Fisrtname” holds the character “😀” (U+1F600), which cannot be stored. Please replace it.");

    input = valid();
    input.surname = "Иванов";
    verdict = validateOwnerData(input, record(Alice), list);
    EXPECT_EQ(verdict.field, RecordField::Surname);
    EXPECT_THAT(verdict.messages.at(0), HasSubstr("“Lastname” holds the character “И” (U+0418)"));

    input = valid();
    input.addressText = "1 Main St\n\xFF";  // not UTF-8 at all
    verdict = validateCreate(input, list);
    EXPECT_EQ(verdict.field, RecordField::Address);
    EXPECT_EQ(verdict.messages, std::vector<std::string> {
                                    "“Address” holds a byte that is not a character and cannot be stored."});

    // The dealer's language, and the caption the dialog shows.
    TVXStringTable::instance().setLanguage(1);
    input = valid();
    input.name = "😀";
    EXPECT_THAT(validateCreate(input, list).messages.at(0), HasSubstr("« Nom » contient le caractère « 😀 »"));
    TVXStringTable::instance().setLanguage(4);
    EXPECT_THAT(validateOwnerData(input, record(Alice), list).messages.at(0),
                HasSubstr("„Vorname“ enthält das Zeichen „😀“ (U+1F600)"));
    TVXStringTable::instance().setLanguage(0);

    // What Windows-1252 holds passes: accents, the euro sign, the oe ligature.
    input = valid();
    input.name = "Œdipe";
    input.surname = "Müller-Lefèvre";
    input.addressText = "Place de l'Église\nPrix : 5 €";
    EXPECT_TRUE(validateCreate(input, list).passed());
    EXPECT_TRUE(validateOwnerData(input, record(Alice), list).passed());
}

TEST_F(RecordValidationTest, AnAddressTakesAtMost65535BytesAsStored)
{
    // Three lines of 65532 characters in all: created, each line ends with
    // one byte (65535); changed, two breaks of two bytes (65536).
    RecordInput input = valid();
    input.addressText = std::string(65530, 'x') + "\na\nb";
    EXPECT_TRUE(validateCreate(input, list).passed());
    const RecordVerdict changed = validateOwnerData(input, record(Alice), list);
    EXPECT_EQ(changed.field, RecordField::Address);
    EXPECT_EQ(changed.messages,
              std::vector<std::string> {
                  "“Address” is too long: at most 65535 characters can be stored, line breaks included."});

    input.addressText = std::string(65535, 'x');
    EXPECT_EQ(validateCreate(input, list).field, RecordField::Address);  // 65536 with its line end
    input.addressText = std::string(65534, 'x');
    EXPECT_TRUE(validateCreate(input, list).passed());
    // Characters beyond ASCII take one byte each in the file, not their two in UTF-8.
    input.addressText = std::string("é") + std::string(65533, 'x');
    EXPECT_TRUE(validateCreate(input, list).passed());
}

TEST_F(RecordValidationTest, NamesTakeThirtyCharactersUnlessTheRecordHasThemAlready)
{
    std::string thirty;
    for (int i = 0; i < 30; ++i)
        thirty += "é";  // 60 bytes of UTF-8, 30 characters
    RecordInput input = valid();
    input.name = thirty;
    input.surname = thirty;
    EXPECT_TRUE(validateCreate(input, list).passed());

    input.surname = thirty + "e";
    RecordVerdict verdict = validateCreate(input, list);
    EXPECT_EQ(verdict.field, RecordField::Surname);
    EXPECT_EQ(verdict.messages, std::vector<std::string> {"“LastName” takes at most 30 characters."});

    // A longer name that came with an imported record is kept as it is, but
    // not replaced by another one as long.
    const std::string imported(40, 'n');
    entry(Alice).GetMowerHandle().getOwner().setName(imported);
    input = aliceAsShown();
    EXPECT_TRUE(validateOwnerData(input, record(Alice), list).passed());
    input.name = std::string(40, 'm');
    EXPECT_EQ(validateOwnerData(input, record(Alice), list).field, RecordField::Name);
}

TEST_F(RecordValidationTest, ChangedOwnerDataIsWrittenAtOnce)
{
    TDBMower& alice = entry(Alice);
    alice.OpenRecord();
    alice.GetMowerHandle().setIdSuffix(3);
    const int arranged = observer.arranged;
    RecordInput input = aliceAsShown();
    input.name = "Carol";
    input.addressText = "1 New Street\nBigtown";
    input.typeCode = 10;
    input.yearText = "09";
    input.numberText = "777";
    RecordVerdict verdict;
    ASSERT_TRUE(alice.ChangeOwnerData(input, verdict));
    EXPECT_TRUE(verdict.passed());

    const TDBMower onDisk(pathOf(Alice), list);
    const TVXMowerLog& stored = onDisk.GetMowerHandle();
    EXPECT_EQ(stored.getOwner().getName(), "Carol");
    EXPECT_EQ(stored.getOwner().getSurname(), "Zed");
    EXPECT_EQ(stored.getOwner().getAddress(), "1 New Street\r\nBigtown");
    EXPECT_EQ(stored.getTypeCode(), 10);
    EXPECT_EQ(stored.getIdYear(), 9);
    EXPECT_EQ(stored.getIdNumber(), 777u);
    EXPECT_EQ(stored.getIdSuffix(), 3) << "the suffix is not the dialog's";
    EXPECT_EQ(windows.windows.at(0)->stored, 1) << "the window's comments went into the file too";
    EXPECT_GT(observer.arranged, arranged);
    EXPECT_EQ(alice.GetNameText(), "Carol Zed");
    EXPECT_TRUE(traced("owner data changed: " + pathOf(Alice)));
}

TEST_F(RecordValidationTest, ARefusedOrUnwrittenChangeLeavesTheRecordAsItWas)
{
    TDBMower& alice = entry(Alice);
    const std::string before = readFile(pathOf(Alice));
    RecordInput input = aliceAsShown();
    input.name = "Carol";
    input.typeCode = 9;
    input.yearText = "08";
    input.numberText = "005";  // Bob's machine
    RecordVerdict verdict;
    EXPECT_FALSE(alice.ChangeOwnerData(input, verdict));
    EXPECT_EQ(verdict.messages, std::vector<std::string> {catalogueText(Msg::ExistingMachine)});
    EXPECT_EQ(alice.GetMowerHandle().getOwner().getName(), "Alice");
    EXPECT_EQ(readFile(pathOf(Alice)), before);
    EXPECT_TRUE(user.boxes.empty()) << "the dialog shows the refusal, not the entry";

    // On a full disk the file keeps the old data, and so does the record.
    input = aliceAsShown();
    input.name = "Carol";
    input.numberText = "124";
    EXPECT_EQ(failedChecksInChild(100, [&] {
                  RecordVerdict written;
                  const bool changed = alice.ChangeOwnerData(input, written);
                  const TVXMowerLog& r = alice.GetMowerHandle();
                  return std::vector<NamedCheck> {
                      {"ChangeOwnerData returns false", !changed},
                      {"the input passed", written.passed()},
                      {"the failure was shown", user.boxes.size() == 1},
                      {"the name is the old one", r.getOwner().getName() == "Alice"},
                      {"the number is the old one", r.getIdNumber() == 123},
                      {"the caption is the old one", alice.GetMachineIdText() == "TX-07-123-00"},
                  };
              }),
              "");
    EXPECT_EQ(readFile(pathOf(Alice)), before);
}
