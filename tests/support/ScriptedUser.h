#pragma once

#include "core/UserInteraction.h"

#include <optional>
#include <string>
#include <vector>

// The user as tests see it: remembers every box and plain message, answers a
// confirmation with `answer` and every other box with OK, and answers the file
// dialogs with openAnswer and saveAnswer (none: the user cancelled). A test
// that needs more (a log of events) derives and calls these.
class ScriptedUser : public UserInteraction {
public:
    struct Box {
        MsgType type;
        std::string text;
        unsigned buttons;
    };

    MsgButton messageBox(MsgType type, const std::string& text, unsigned buttons) override
    {
        boxes.push_back({type, text, buttons});
        texts.push_back(text);
        return type == MsgType::Confirmation ? answer : MbOK;
    }
    void showMessage(const std::string& text) override
    {
        plain.push_back(text);
        texts.push_back(text);
    }
    std::optional<std::string> chooseOpenFile(const std::string& title, const std::vector<FileFilter>& filters,
                                              int) override
    {
        openTitle = title;
        openFilters = filters;
        return openAnswer;
    }
    std::optional<std::string> chooseSaveFile(const std::string& title, const std::vector<FileFilter>& filters,
                                              int, const std::string& suggestedName) override
    {
        saveTitle = title;
        saveSuggestion = suggestedName;
        saveFilters = filters;
        return saveAnswer;
    }

    MsgButton answer = MbOK;
    std::optional<std::string> openAnswer;
    std::optional<std::string> saveAnswer;

    std::vector<Box> boxes;
    std::vector<std::string> plain;
    std::vector<std::string> texts;  // boxes and plain messages, in the order shown
    std::string openTitle;
    std::vector<FileFilter> openFilters;
    std::string saveTitle;
    std::string saveSuggestion;
    std::vector<FileFilter> saveFilters;
};
