#include "ui/CommentMemo.h"

#include "Component/HistoryComment.h"

#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <string>

namespace {

// UTF-8 of a text in which a half of a surrogate pair, which UTF-8 cannot
// hold, stands as U+FFFD; QString::toUtf8 would make it a '?', which
// Windows-1252 holds.
std::string utf8Of(const QString& text)
{
    QString whole = text;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (whole[i].isHighSurrogate() && i + 1 < whole.size() && whole[i + 1].isLowSurrogate())
            ++i;
        else if (whole[i].isSurrogate())
            whole[i] = QChar::ReplacementCharacter;
    }
    return whole.toStdString();
}

// Where two texts differ: the same `prefix` characters at the start and
// `suffix` at the end, never cutting a surrogate pair.
struct Difference {
    qsizetype prefix = 0;
    qsizetype suffix = 0;
};

Difference differenceOf(const QString& before, const QString& after)
{
    const qsizetype shorter = std::min(before.size(), after.size());
    Difference d;
    while (d.prefix < shorter && before[d.prefix] == after[d.prefix])
        ++d.prefix;
    if (d.prefix > 0 && after[d.prefix - 1].isHighSurrogate())
        --d.prefix;
    while (d.suffix < shorter - d.prefix &&
           before[before.size() - 1 - d.suffix] == after[after.size() - 1 - d.suffix])
        ++d.suffix;
    if (d.suffix > 0 && after[after.size() - d.suffix].isLowSurrogate())
        --d.suffix;
    return d;
}

}  // namespace

CommentMemo::CommentMemo(const QString& text, QWidget* parent)
    : QPlainTextEdit(text, parent), accepted_(toPlainText()), finished_(accepted_)
{
    setObjectName("commentMemo");
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, &CommentMemo::judgeEdit);
}

int CommentMemo::heightForLines(int lines) const
{
    const QMargins frame = contentsMargins();
    return lines * fontMetrics().lineSpacing() + 2 * int(document()->documentMargin()) + frame.top()
           + frame.bottom();
}

bool CommentMemo::isStorable() const
{
    return checkComment(utf8Of(toPlainText())).check == CommentCheck::Ok;
}

void CommentMemo::showStored(const QString& text)
{
    restoring_ = true;
    setPlainText(text);
    restoring_ = false;
    accepted_ = toPlainText();
    finished_ = accepted_;
    document()->setModified(false);
}

void CommentMemo::judgeEdit()
{
    if (restoring_)
        return;
    const QString now = toPlainText();
    if (now == accepted_)
        return;
    const Difference d = differenceOf(accepted_, now);
    const QString added = now.mid(d.prefix, now.size() - d.prefix - d.suffix);

    // Taking text away is always allowed, even from a comment that came in
    // longer than a memo may be.
    CommentVerdict verdict = checkComment(utf8Of(added));
    if (verdict.check == CommentCheck::TooLong)
        verdict = {};
    if (verdict.check == CommentCheck::Ok && !added.isEmpty()) {
        const std::size_t length = commentLength(utf8Of(now));
        if (length > MaxCommentCharacters && length > commentLength(utf8Of(accepted_)))
            verdict.check = CommentCheck::TooLong;
    }
    if (verdict.check == CommentCheck::Ok) {
        accepted_ = now;
        emit edited();
        return;
    }

    // Back to the text before the edit. The undo steps go with it: one of
    // them would bring the refused text back.
    restoring_ = true;
    setPlainText(accepted_);
    restoring_ = false;
    // The cursor stays where the edit was, over what it had replaced.
    const qsizetype replaced = accepted_.size() - d.prefix - d.suffix;
    QTextCursor cursor = textCursor();
    cursor.setPosition(int(d.prefix));
    cursor.setPosition(int(d.prefix + replaced), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    emit refused(QString::fromStdString(commentRefusedText(verdict)));
}

void CommentMemo::focusOutEvent(QFocusEvent* event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (accepted_ != finished_) {
        finished_ = accepted_;
        emit editingFinished();
    }
}
