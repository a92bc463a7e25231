#pragma once

#include "core/ProgressWindow.h"

#include <QWidget>

class QLabel;
class QProgressBar;

// The small progress window that the link commands show while they run. It is
// never modal: the command that shows it keeps the thread busy and repaints it
// explicitly whenever its text changes.
//
// Its base layout is fixed (165 x 76, the label at 20,13, the bar at 20,33);
// the window widens, centred, for a text, a title or a note that would not
// fit, and grows downwards for the note.
class TStatusForm : public QWidget, public ProgressWindow {
    Q_OBJECT
public:
    static constexpr int BaseWidth = 165;
    static constexpr int BaseHeight = 76;

    explicit TStatusForm(QWidget* parent = nullptr);

    void setCaption(const std::string& caption) override;
    void setText(const std::string& text) override;
    void setMaximum(int maximum) override;
    void setPosition(int position) override;
    void showWindow() override;
    void hideWindow() override;
    void setNote(const std::string& note) override;

    QLabel* messageLabel() const { return messageLabel_; }
    QProgressBar* progressBar() const { return progressBar_; }
    QLabel* noteLabel() const { return noteLabel_; }

    // The width the window's title needs beside the window system's buttons.
    int titleWidth() const;

private:
    void fitContents();
    void repaintNow();

    QLabel* messageLabel_;
    QProgressBar* progressBar_;
    QLabel* noteLabel_;
};
