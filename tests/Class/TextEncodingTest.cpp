#include "support/RecordFixtures.h"

#include "Class/RecordFile.h"
#include "Class/TVXException.h"
#include "core/Cp1252.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(TextEncoding, EveryByteSurvivesAReadAndAWrite)
{
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += char(b);
    const std::string utf8 = cp1252ToUtf8(all);
    EXPECT_EQ(utf8ToCp1252(utf8), all);
    EXPECT_EQ(cp1252ToUtf8("\x80\xE9\x9F\x81"), "\u20AC\u00E9\u0178\u0081");

    // Owner texts and a comment holding every byte come back the same file.
    fixture::Record r;
    r.name = all;
    r.surname = "M\xFCller";
    r.address = "Stra\xDF" "e 1\n";
    fixture::History h;
    h.comment = all;
    r.histories = {h};
    const std::string file = fixture::withCrc(fixture::recordBytes(r));
    const auto record = readRecordFile(file);
    EXPECT_EQ(record->getOwner().getSurname(), "M\u00FCller");
    EXPECT_EQ(record->getOwner().getAddress(), "Stra\u00DFe 1\n");
    EXPECT_EQ(writeRecordFile(*record), file);
}

TEST(TextEncoding, CharactersOutsideWindows1252AreRefused)
{
    EXPECT_FALSE(utf8ToCp1252("\u0080"));     // a C1 control the code page maps elsewhere
    EXPECT_FALSE(utf8ToCp1252("Dvo\u0159ák"));
    EXPECT_FALSE(utf8ToCp1252("\xC3"));       // cut UTF-8
    EXPECT_FALSE(utf8ToCp1252("\xC0\xAF"));   // overlong
    EXPECT_FALSE(utf8ToCp1252("\xED\xA0\x80"));  // surrogate
    EXPECT_EQ(firstUnencodable("Dvo\u0159ák"), "\u0159");
    EXPECT_EQ(firstUnencodable("caf\u00E9 \u20AC"), "");
}

TEST(TextEncoding, WriterRefusesWhatAFileCannotHoldBeforeWritingAnything)
{
    TVXMowerLog record;
    auto log = std::make_unique<TVXLog>();
    log->setComment(std::string(65535, 'x'));
    record.insertLog(std::move(log));
    std::ostringstream fine;
    EXPECT_NO_THROW(record.writeTo(fine));
    EXPECT_EQ(fine.str().size(), 20u + 8229u + 65535u);

    record.logs().begin()->second->setComment(std::string(65536, 'x'));
    std::ostringstream tooLong;
    EXPECT_THROW(record.writeTo(tooLong), TVXWrite_error);
    EXPECT_TRUE(tooLong.str().empty());

    // 65535 bytes in the file, though more in memory: é is two bytes in UTF-8.
    std::string accents;
    for (int i = 0; i < 65535; ++i)
        accents += "\u00E9";
    record.logs().begin()->second->setComment(accents);
    EXPECT_NO_THROW(writeRecordFile(record));

    record.logs().begin()->second->setComment("ok");
    record.getOwner().setSurname("\u4E2D");
    try {
        writeRecordFile(record);
        FAIL();
    } catch (const TVXWrite_error& e) {
        EXPECT_NE(std::string(e.what()).find("second name"), std::string::npos) << e.what();
    }
}
