#pragma once

#include <QObject>

#include <vector>

class QFont;
class QString;
class QTableView;
class QTableWidget;

// Sizes that let a grid show every text of its cells whole, measured with
// the grid's own font and style.

// The width a cell leaves its text in a column of that width: the style's
// margins on both sides and the grid line.
int cellTextRoom(const QTableView* grid, int columnWidth);
// The width a text takes in that font, in whole pixels.
int textWidth(const QFont& font, const QString& text);
// The column width that leaves a text of that width whole.
int columnWidthFor(const QTableView* grid, int textWidth);
// The width that shows every text of a grid's column whole; at least `least`.
int fittingColumnWidth(const QTableWidget* grid, int column, int least);

// Keeps a grid's cells filling its viewport: every column at least its
// least width, every row at least its least height, and whatever room is
// left over shared by the stretching columns and by all rows, so that the
// grid shows neither a scroll bar nor empty space below or beside its cells.
// The grid's minimum size becomes the size of its cells at their least.
class GridFiller : public QObject {
    Q_OBJECT
public:
    GridFiller(QTableWidget* grid, std::vector<int> leastWidths, int leastRowHeight, std::vector<int> stretching);

    // Places the columns and rows for the viewport's present size.
    void fill();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QTableWidget* grid_;
    std::vector<int> leastWidths_;
    int leastRowHeight_;
    std::vector<int> stretching_;
    bool filling_ = false;
    bool again_ = false;
};
