#pragma once

#include "core/UserInteraction.h"

class QWidget;

// The user's answers through Qt's message boxes and file dialogs.
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

private:
    QWidget* parent_;
};
