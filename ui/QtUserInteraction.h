#pragma once

#include "core/UserInteraction.h"

class QWidget;

// The user's answers through Qt's message boxes and file dialogs.
//
// Once the session is ending (the program was told by a signal to close), no
// one may be there to click: every box is then answered at once with its safe
// button (Cancel, No or Abort where offered, else OK), and its text goes to
// standard error and the trace log instead; file dialogs answer "cancelled".
class QtUserInteraction : public UserInteraction {
public:
    explicit QtUserInteraction(QWidget* parent = nullptr) : parent_(parent) {}
    void setParent(QWidget* parent) { parent_ = parent; }

    MsgButton messageBox(MsgType type, const std::string& text, unsigned buttons) override;
    void showMessage(const std::string& text) override;
    std::optional<std::string> chooseOpenFile(const std::string& title, const std::vector<FileFilter>& filters,
                                              int filterIndex) override;
    std::optional<std::string> chooseSaveFile(const std::string& title, const std::vector<FileFilter>& filters,
                                              int filterIndex, const std::string& suggestedName) override;

    // Process-wide: from now on nothing waits for the user, and every modal
    // dialog open now is closed as if cancelled.
    static void stopWaitingForTheUser();
    static bool unattended();

private:
    QWidget* parent_;
};
