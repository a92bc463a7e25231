#include "Component/HistoryComment.h"

#include "core/AppTexts.h"
#include "core/Cp1252.h"
#include "core/TVXStringTable.h"
#include "core/Utf8.h"

#include <cstdio>

namespace {

// The bytes of the line break (LF, CR LF or a lone CR) at text[pos]; 0 where none is.
std::size_t lineBreakAt(std::string_view text, std::size_t pos)
{
    if (text[pos] == '\n')
        return 1;
    if (text[pos] != '\r')
        return 0;
    return pos + 1 < text.size() && text[pos + 1] == '\n' ? 2 : 1;
}

// "1F600"; empty when the bytes are not one valid character.
std::string codePointOf(std::string_view character)
{
    char32_t cp = 0;
    if (character.empty() || decodeUtf8(character, 0, cp) != character.size())
        return {};
    char text[16];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(cp));
    return text;
}

}  // namespace

std::string commentFromMemoText(std::string_view memoUtf8)
{
    std::string comment;
    comment.reserve(memoUtf8.size() + 2);
    for (std::size_t pos = 0; pos < memoUtf8.size();) {
        const std::size_t lineBreak = lineBreakAt(memoUtf8, pos);
        comment += lineBreak ? std::string_view("\r\n") : memoUtf8.substr(pos, 1);
        pos += lineBreak ? lineBreak : 1;
    }
    // The last line ends like the others, whether or not the memo broke it.
    if (!comment.empty() && comment.back() != '\n')
        comment += "\r\n";
    return comment;
}

std::string memoTextFromComment(std::string_view comment)
{
    std::string memo;
    memo.reserve(comment.size());
    for (std::size_t pos = 0; pos < comment.size();) {
        const std::size_t lineBreak = lineBreakAt(comment, pos);
        memo += lineBreak ? '\n' : comment[pos];
        pos += lineBreak ? lineBreak : 1;
    }
    if (!memo.empty() && memo.back() == '\n')
        memo.pop_back();
    return memo;
}

std::size_t commentLength(std::string_view memoUtf8)
{
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < memoUtf8.size();) {
        char32_t cp = 0;
        const std::size_t lineBreak = lineBreakAt(memoUtf8, pos);
        const std::size_t character = lineBreak ? lineBreak : decodeUtf8(memoUtf8, pos, cp);
        count += lineBreak ? 2 : 1;
        pos += character ? character : 1;  // an invalid byte counts as one
    }
    return count;
}

CommentVerdict checkComment(std::string_view memoUtf8)
{
    const std::string_view refused = firstUnencodable(memoUtf8);
    if (!refused.empty())
        return {CommentCheck::Unencodable, std::string(refused)};
    if (commentLength(memoUtf8) > MaxCommentCharacters)
        return {CommentCheck::TooLong, {}};
    return {};
}

std::string commentRefusedText(const CommentVerdict& verdict)
{
    // An invalid byte has no character to show.
    switch (verdict.check) {
    case CommentCheck::Ok:
        return {};
    case CommentCheck::TooLong:
        return appText(AppText::CommentTooLong);
    case CommentCheck::Unencodable:
        break;
    }
    const std::string codePoint = codePointOf(verdict.character);
    if (codePoint.empty())
        return appText(AppText::CommentInvalidByte);
    return appText(AppText::CommentUnencodable, {verdict.character, codePoint});
}
