#pragma once

#include "core/ProgressWindow.h"
#include "core/UserInteraction.h"

// The user of the link commands on a terminal: message boxes go to standard
// error, a confirmation is asked on standard input unless it is answered in
// advance (--yes). There are no file dialogs: the files come as arguments.
class TerminalUser : public UserInteraction {
public:
    explicit TerminalUser(bool assumeYes)
        : assumeYes_(assumeYes)
    {
    }

    MsgButton messageBox(MsgType type, const std::string& text, unsigned buttons) override;
    void showMessage(const std::string& text) override;
    std::optional<std::string> chooseOpenFile(const std::string&, const std::vector<FileFilter>&, int) override
    {
        return std::nullopt;
    }
    std::optional<std::string> chooseSaveFile(const std::string&, const std::vector<FileFilter>&, int,
                                              const std::string&) override
    {
        return std::nullopt;
    }

private:
    bool assumeYes_;
};

// The progress window on a terminal: with verbose on, each new text is a line
// on standard error; the bar is not drawn.
class TerminalProgress : public ProgressWindow {
public:
    explicit TerminalProgress(bool verbose)
        : verbose_(verbose)
    {
    }

    void setCaption(const std::string& caption) override;
    void setText(const std::string& text) override;
    void setMaximum(int) override {}
    void setPosition(int) override {}
    void showWindow() override {}
    void hideWindow() override {}
    // What the dealer must mind (do not unplug the mower) is said whatever the verbosity.
    void setNote(const std::string& note) override;

private:
    bool verbose_;
};
