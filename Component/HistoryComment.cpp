#include "Component/HistoryComment.h"

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

std::string replaced(std::string text, std::string_view mark, const std::string& by)
{
    const std::size_t at = text.find(mark);
    if (at != std::string::npos)
        text.replace(at, mark.size(), by);
    return text;
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
    static const TVXStringTable::LocalizedText unencodable = {
        "The character “%1” (U+%2) cannot be stored in a comment.",
        "Le caractère « %1 » (U+%2) ne peut pas être enregistré dans un commentaire.",
        "Il carattere «%1» (U+%2) non può essere memorizzato in un commento.",
        "Het teken “%1” (U+%2) kan niet in een opmerking worden opgeslagen.",
        "Das Zeichen „%1“ (U+%2) kann nicht in einem Kommentar gespeichert werden.",
    };
    // An invalid byte has no character to show.
    static const TVXStringTable::LocalizedText invalidByte = {
        "The comment holds a byte that is not a character and cannot be stored.",
        "Le commentaire contient un octet qui n'est pas un caractère et ne peut pas être enregistré.",
        "Il commento contiene un byte che non è un carattere e non può essere memorizzato.",
        "De opmerking bevat een byte die geen teken is en kan niet worden opgeslagen.",
        "Der Kommentar enthält ein Byte, das kein Zeichen ist, und kann nicht gespeichert werden.",
    };
    static const TVXStringTable::LocalizedText tooLong = {
        "The comment is limited to 255 characters; a line break counts as two.",
        "Le commentaire est limité à 255 caractères ; un saut de ligne compte pour deux.",
        "Il commento è limitato a 255 caratteri; un a capo conta come due.",
        "De opmerking is beperkt tot 255 tekens; een regeleinde telt als twee.",
        "Der Kommentar ist auf 255 Zeichen begrenzt; ein Zeilenumbruch zählt doppelt.",
    };
    const TVXStringTable& table = TVXStringTable::instance();
    switch (verdict.check) {
    case CommentCheck::Ok:
        return {};
    case CommentCheck::TooLong:
        return table.localized(tooLong);
    case CommentCheck::Unencodable:
        break;
    }
    const std::string codePoint = codePointOf(verdict.character);
    if (codePoint.empty())
        return table.localized(invalidByte);
    return replaced(replaced(table.localized(unencodable), "%1", verdict.character), "%2", codePoint);
}
