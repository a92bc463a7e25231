#include "Component/MachineId.h"

#include "Class/TVXMowerLog.h"
#include "Component/DatabaseFixture.h"
#include "Component/RecordValidation.h"
#include "Component/TDBMowerList.h"
#include "support/ScriptedUser.h"

#include <gtest/gtest.h>

// The year and number of a machine identifier as the dealer types them into
// fields that show a blank ('_') in every place not typed yet.

TEST(MachineIdPartTest, APartIsTheDecimalIntegerTypedWhateverBlanksSurroundIt)
{
    EXPECT_EQ(readIdPart("12_"), 12u);
    EXPECT_EQ(readIdPart("7_"), 7u);
    EXPECT_EQ(readIdPart("_7"), 7u);
    EXPECT_EQ(readIdPart(" 12"), 12u);
    EXPECT_EQ(readIdPart("007"), 7u);
    EXPECT_EQ(readIdPart("0__"), 0u);
    EXPECT_EQ(readIdPart("4294967295"), 4294967295u);
    for (const char* text : {"", "_", "___", "   ", "1_2", "1 2", "+5", "-5", "1a", "0x1", "4294967296"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(readIdPart(text), std::nullopt);
    }
}

TEST(MachineIdPartTest, ANumberTypedShortOfItsFieldMakesTheRecordOfThatNumber)
{
    ScriptedUser user;
    fixture::FakeWindows windows;
    const TDBMowerList list(user, windows);
    const RecordInput input {"Jean", "Lefèvre", "3 rue des Lilas", 4, "7_", "12_"};
    EXPECT_TRUE(validateCreate(input, list).passed());
    const std::unique_ptr<TVXMowerLog> record = newRecord(input);
    EXPECT_EQ(record->getIdYear(), 7);
    EXPECT_EQ(record->getIdNumber(), 12u);

    // An empty part is still refused, each with its own field.
    RecordInput blank = input;
    blank.numberText = "___";
    EXPECT_EQ(validateCreate(blank, list).field, RecordField::Number);
    blank.yearText = "__";
    EXPECT_EQ(validateCreate(blank, list).field, RecordField::Year);
}
