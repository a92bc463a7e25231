#include "Component/HistoryComment.h"
#include "core/TVXStringTable.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace {

const std::string Emoji = "\xF0\x9F\x98\x80";     // U+1F600
const std::string Cyrillic = "\xD0\x96";          // U+0416
const std::string Euro = "\xE2\x82\xAC";          // U+20AC, byte 0x80 in Windows-1252
const std::string EAcute = "\xC3\xA9";            // U+00E9

class HistoryComment : public ::testing::Test {
protected:
    void TearDown() override { TVXStringTable::instance().setLanguage(0); }
};

}  // namespace

TEST_F(HistoryComment, MemoLinesAreStoredEachFollowedByCrLf)
{
    EXPECT_EQ(commentFromMemoText("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(commentFromMemoText("a\nb"), "a\r\nb\r\n");
    EXPECT_EQ(commentFromMemoText(""), "");
    EXPECT_EQ(commentFromMemoText("a"), "a\r\n");
    // Only the final break is not a line of its own: empty lines inside stay.
    EXPECT_EQ(commentFromMemoText("\n"), "\r\n");
    EXPECT_EQ(commentFromMemoText("a\n\nb"), "a\r\n\r\nb\r\n");
    EXPECT_EQ(commentFromMemoText("a\n\n"), "a\r\n\r\n");
    // Breaks a memo should not hold are still one break each, never doubled.
    EXPECT_EQ(commentFromMemoText("a\r\nb\rc"), "a\r\nb\r\nc\r\n");
    EXPECT_EQ(commentFromMemoText("a\r"), "a\r\n");
}

TEST_F(HistoryComment, StoredCommentsShowWithoutTheFinalBreak)
{
    EXPECT_EQ(memoTextFromComment("a\r\nb\r\n"), "a\nb");
    EXPECT_EQ(memoTextFromComment(""), "");
    EXPECT_EQ(memoTextFromComment("\r\n"), "");
    EXPECT_EQ(memoTextFromComment("a\r\n\r\n"), "a\n");  // one break dropped, not all
    EXPECT_EQ(memoTextFromComment("a\r\nb"), "a\nb");    // no final break: nothing lost
    EXPECT_EQ(memoTextFromComment("a\rb\r"), "a\nb");
    EXPECT_EQ(memoTextFromComment("a\nb\n"), "a\nb");
    EXPECT_EQ(memoTextFromComment("a\r\r\nb"), "a\n\nb");
}

TEST_F(HistoryComment, TextsSurviveTheWayThereAndBack)
{
    // Memos that do not end in a break come back as they were...
    for (const std::string& memo : std::vector<std::string>{"x", "a\nb", "a\n\n\nb", "\nlead", "Caf" + EAcute + " " + Euro + "\t5",
                                   std::string(255, 'z')}) {
        EXPECT_EQ(memoTextFromComment(commentFromMemoText(memo)), memo) << memo;
    }
    // ...and so do stored comments whose last line holds text.
    for (const std::string& comment : std::vector<std::string>{"x\r\n", "a\r\n\r\nb\r\n", "\r\nb\r\n", EAcute + "\r\n"}) {
        EXPECT_EQ(commentFromMemoText(memoTextFromComment(comment)), comment) << comment;
    }
}

TEST_F(HistoryComment, LengthCountsCharactersAndLineBreaksAsTwo)
{
    EXPECT_EQ(commentLength(""), 0u);
    EXPECT_EQ(commentLength("a\nb"), 4u);
    EXPECT_EQ(commentLength("a\r\nb"), 4u);   // CR LF is one break, not two
    EXPECT_EQ(commentLength("a\rb"), 4u);
    EXPECT_EQ(commentLength(EAcute + Euro), 2u);  // characters, not UTF-8 bytes
    EXPECT_EQ(commentLength("\xFF" "a"), 2u);

    EXPECT_EQ(checkComment(std::string(255, 'a')).check, CommentCheck::Ok);
    EXPECT_EQ(checkComment(std::string(256, 'a')).check, CommentCheck::TooLong);
    EXPECT_EQ(checkComment(std::string(253, 'a') + "\n").check, CommentCheck::Ok);
    EXPECT_EQ(checkComment(std::string(254, 'a') + "\n").check, CommentCheck::TooLong);
    std::string accents;
    for (int i = 0; i < 255; ++i)
        accents += EAcute;
    EXPECT_EQ(checkComment(accents).check, CommentCheck::Ok);
    EXPECT_EQ(checkComment(accents + "a").check, CommentCheck::TooLong);
}

TEST_F(HistoryComment, CharactersOutsideWindows1252AreRefused)
{
    EXPECT_EQ(checkComment("ok " + Euro + " \xC5\x93 " + EAcute).check, CommentCheck::Ok);
    const CommentVerdict emoji = checkComment("ab" + Emoji + "c" + Cyrillic);
    EXPECT_EQ(emoji.check, CommentCheck::Unencodable);
    EXPECT_EQ(emoji.character, Emoji);  // the first one
    EXPECT_EQ(checkComment("x" + Cyrillic).character, Cyrillic);
    const CommentVerdict invalid = checkComment("a\xC3(");
    EXPECT_EQ(invalid.check, CommentCheck::Unencodable);
    EXPECT_EQ(invalid.character, "\xC3");
    // An unstorable character is what the dealer must hear about, even in a long text.
    EXPECT_EQ(checkComment(std::string(300, 'a') + Emoji).check, CommentCheck::Unencodable);
}

TEST_F(HistoryComment, RefusalsAreExplainedInTheCurrentLanguage)
{
    TVXStringTable& table = TVXStringTable::instance();
    const CommentVerdict emoji {CommentCheck::Unencodable, Emoji};
    table.setLanguage(0);
    EXPECT_EQ(commentRefusedText(emoji), "The character “" + Emoji + "” (U+1F600) cannot be stored in a comment.");
    EXPECT_EQ(commentRefusedText({CommentCheck::Unencodable, Cyrillic}),
              "The character “" + Cyrillic + "” (U+0416) cannot be stored in a comment.");
    EXPECT_NE(commentRefusedText({CommentCheck::TooLong, {}}).find("255"), std::string::npos);
    EXPECT_EQ(commentRefusedText({}), "");

    std::set<std::string> texts;
    for (std::uint8_t language = 0; language < TVXStringTable::LanguageCount; ++language) {
        table.setLanguage(language);
        const std::string text = commentRefusedText(emoji);
        EXPECT_NE(text.find(Emoji), std::string::npos) << int(language);
        EXPECT_NE(text.find("U+1F600"), std::string::npos) << int(language);
        EXPECT_NE(commentRefusedText({CommentCheck::TooLong, {}}).find("255"), std::string::npos);
        texts.insert(text);
    }
    EXPECT_EQ(texts.size(), std::size_t(TVXStringTable::LanguageCount));
    table.setLanguage(1);
    EXPECT_EQ(commentRefusedText({CommentCheck::TooLong, {}}),
              "Le commentaire est limité à 255 caractères ; un saut de ligne compte pour deux.");
    // A stray byte is not echoed back into the message.
    const std::string stray = commentRefusedText(checkComment("a\xC3("));
    EXPECT_FALSE(stray.empty());
    EXPECT_EQ(stray.find('\xC3' + std::string("(")), std::string::npos);
}
