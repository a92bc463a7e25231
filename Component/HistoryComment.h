#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The dealer's comment of a history between its memo on the history tab and
// its stored form. The memo separates lines with '\n'; the stored comment
// follows each line with CR LF. Both are UTF-8 in memory.

// The stored comment of a memo text: each line followed by CR LF; an empty memo gives
// an empty comment; a final line break does not start another line ("a\nb\n" and "a\nb"
// both give "a\r\nb\r\n"). CR LF and a lone CR in the memo break lines as '\n' does.
std::string commentFromMemoText(std::string_view memoUtf8);
// The memo text of a stored comment: CR LF (and lone CR) become '\n', one final line break is dropped.
std::string memoTextFromComment(std::string_view comment);

enum class CommentCheck { Ok, TooLong, Unencodable };
struct CommentVerdict {
    CommentCheck check = CommentCheck::Ok;
    std::string character;  // the refused one (UTF-8), for Unencodable
};
constexpr std::size_t MaxCommentCharacters = 255;

// The characters a memo text counts against the limit: a line break (LF, CR LF
// or a lone CR) counts 2, as its stored CR LF takes two bytes; an invalid UTF-8
// byte counts 1.
std::size_t commentLength(std::string_view memoUtf8);
// Whether a memo text may be kept: at most 255 characters (a line break counts 2) and
// every character storable in Windows-1252. An unstorable character is reported
// before the length.
CommentVerdict checkComment(std::string_view memoUtf8);
// The message that tells the dealer why, in the catalogue's current language;
// empty for Ok.
std::string commentRefusedText(const CommentVerdict& verdict);
