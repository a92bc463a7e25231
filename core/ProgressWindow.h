#pragma once

#include <string>

// The progress window that the link commands show while they run. The
// application's TStatusForm implements it; tests and the command-line tool
// have their own.
class ProgressWindow {
public:
    virtual ~ProgressWindow() = default;
    virtual void setCaption(const std::string& caption) = 0;
    virtual void setText(const std::string& text) = 0;
    virtual void setMaximum(int maximum) = 0;
    virtual void setPosition(int position) = 0;
    virtual void showWindow() = 0;
    virtual void hideWindow() = 0;
    // A line under the bar that tells the dealer what to mind while the
    // command runs (an upgrade: do not unplug the mower); empty removes it.
    // Hiding the window removes it too. Windows without room for it ignore it.
    virtual void setNote(const std::string& note) { (void)note; }
};

// A progress window that shows nothing.
class NullProgressWindow : public ProgressWindow {
public:
    void setCaption(const std::string&) override {}
    void setText(const std::string&) override {}
    void setMaximum(int) override {}
    void setPosition(int) override {}
    void showWindow() override {}
    void hideWindow() override {}
};
