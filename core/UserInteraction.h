#pragma once

#include <optional>
#include <string>
#include <vector>

// What the core asks of the user. The application answers with Qt dialogs, the
// command-line tool on the terminal, tests with scripted answers.
enum class MsgType { Warning, Error, Information, Confirmation };

// Buttons of a message box; a set of them is a bit mask.
enum MsgButton : unsigned {
    MbNone = 0,
    MbOK = 1u << 0,
    MbCancel = 1u << 1,
    MbYes = 1u << 2,
    MbNo = 1u << 3,
    MbAbort = 1u << 4,
    MbRetry = 1u << 5,
    MbIgnore = 1u << 6,
};

struct FileFilter {
    std::string description;  // "history"
    std::string pattern;      // "*.bin"
};

class UserInteraction {
public:
    virtual ~UserInteraction() = default;

    // A modal message box of the given type; returns the button pressed
    // (MbCancel when the box is closed without a button).
    virtual MsgButton messageBox(MsgType type, const std::string& text, unsigned buttons) = 0;

    // The plain message box (no icon, one OK button).
    virtual void showMessage(const std::string& text) = 0;

    // A file to open or to save; no value when the user cancels.
    // filterIndex is 1-based, as the dialogs number their filter entries.
    virtual std::optional<std::string> chooseOpenFile(const std::string& title,
                                                      const std::vector<FileFilter>& filters,
                                                      int filterIndex) = 0;
    virtual std::optional<std::string> chooseSaveFile(const std::string& title,
                                                      const std::vector<FileFilter>& filters,
                                                      int filterIndex,
                                                      const std::string& suggestedName) = 0;
};
