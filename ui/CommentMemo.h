#pragma once

#include <QPlainTextEdit>
#include <QString>

// The comment memo of a history tab. Every edit is judged when it is made: one
// that brings in a character the record file cannot store, or that takes the
// memo past its 255 characters, is undone on the spot, and refused() says why.
// So the memo always holds a comment that can be saved.
class CommentMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    CommentMemo(const QString& text, QWidget* parent);

    // The height that shows that many lines of text.
    int heightForLines(int lines) const;
    // Whether the memo's text may be stored as it is: at most 255 characters,
    // all of them storable. A comment that came in longer is not, until it
    // has been shortened.
    bool isStorable() const;
    // Shows a comment as it is stored now (read again from the database); the
    // memo counts as untouched.
    void showStored(const QString& text);

signals:
    // An edit was kept.
    void edited();
    // An edit was undone; the message tells the dealer why.
    void refused(const QString& message);
    // The memo lost the focus after its text changed.
    void editingFinished();

protected:
    void focusOutEvent(QFocusEvent* event) override;

private:
    void judgeEdit();

    QString accepted_;  // the text after the last kept edit
    QString finished_;  // the text when editingFinished was last sent
    bool restoring_ = false;
};
