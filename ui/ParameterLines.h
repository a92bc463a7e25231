#pragma once

#include <QPoint>
#include <QWidget>

#include <vector>

class QLabel;
class TVXLog;

// The lines of a history's "Parameters and options" group: the information
// and setup lines, then each option's name with its value ("V" or "-")
// beside it.
//
// The lines keep their designed places, measured from the group's corner:
// x = 10, the first line at y = 20, 18 pixels a line and 10 more after the
// language and after P007; option values at x = 160, or past the widest name.
// Where the group is too narrow for a line, the line wraps at its blanks and
// the lines below move down by what it took: no text is ever cut, and no
// value leaves the group.
class ParameterLines : public QWidget {
    Q_OBJECT
public:
    // `corner` is where the group's corner lies in this widget's coordinates
    // (the widget fills the group below its title and frame).
    ParameterLines(const TVXLog& history, QPoint corner, QWidget* parent = nullptr);

    // The width at which every line stands on one line.
    QSize sizeHint() const override;
    // The narrowest width at which no word is cut.
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Line {
        QLabel* label = nullptr;
        QLabel* value = nullptr;  // option lines only
        int gapAfter = 0;
    };
    // Places the lines for that width (when `apply`) and returns the height they take.
    int arrange(int width, bool apply) const;
    QLabel* makeLabel(const QString& text, const QString& name);

    QPoint corner_;
    std::vector<Line> lines_;
    int valueWidth_ = 0;
};
