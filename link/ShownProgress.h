#pragma once

#include "core/ProgressWindow.h"

// Shows the progress window for one command and hides it on every way out,
// an exception included.
class ShownProgress {
public:
    explicit ShownProgress(ProgressWindow& window)
        : window_(window)
    {
    }
    ~ShownProgress() { hide(); }
    ShownProgress(const ShownProgress&) = delete;
    ShownProgress& operator=(const ShownProgress&) = delete;

    void show()
    {
        window_.showWindow();
        shown_ = true;
    }
    void hide()
    {
        if (shown_)
            window_.hideWindow();
        shown_ = false;
    }

private:
    ProgressWindow& window_;
    bool shown_ = false;
};
