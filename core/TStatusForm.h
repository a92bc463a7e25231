#pragma once

#include "core/ProgressWindow.h"

#include <QWidget>

class QLabel;
class QProgressBar;

// The small progress window that the link commands show while they run. It is
// never modal: the command that shows it keeps the thread busy and repaints it
// explicitly whenever its text changes.
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

    QLabel* messageLabel() const { return messageLabel_; }
    QProgressBar* progressBar() const { return progressBar_; }

private:
    void repaintNow();

    QLabel* messageLabel_;
    QProgressBar* progressBar_;
};
