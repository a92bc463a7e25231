#include "ui/GridFit.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QStyle>
#include <QTableWidget>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// The style draws a cell's text this far from each of its sides.
int textMargin(const QTableView* grid)
{
    return grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1;
}

int gridLine(const QTableView* grid)
{
    return grid->showGrid() ? 1 : 0;
}

}  // namespace

int cellTextRoom(const QTableView* grid, int columnWidth)
{
    return columnWidth - 2 * textMargin(grid) - gridLine(grid);
}

int columnWidthFor(const QTableView* grid, int textWidth)
{
    return textWidth + 2 * textMargin(grid) + gridLine(grid);
}

int textWidth(const QFont& font, const QString& text)
{
    // The text is laid out at its exact width, which whole pixels round up.
    return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

int fittingColumnWidth(const QTableWidget* grid, int column, int least)
{
    int width = least;
    for (int row = 0; row < grid->rowCount(); ++row)
        if (const QTableWidgetItem* item = grid->item(row, column)) {
            const QFont font = item->data(Qt::FontRole).isValid() ? item->font() : grid->font();
            width = std::max(width, columnWidthFor(grid, textWidth(font, item->text())));
        }
    return width;
}

GridFiller::GridFiller(QTableWidget* grid, std::vector<int> leastWidths, int leastRowHeight,
                       std::vector<int> stretching)
    : QObject(grid)
    , grid_(grid)
    , leastWidths_(std::move(leastWidths))
    , leastRowHeight_(leastRowHeight)
    , stretching_(std::move(stretching))
{
    QHeaderView* rows = grid_->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(leastRowHeight_);
    grid_->horizontalHeader()->setMinimumSectionSize(1);
    const int frame = 2 * grid_->frameWidth();
    grid_->setMinimumSize(std::accumulate(leastWidths_.begin(), leastWidths_.end(), 0) + frame,
                          grid_->rowCount() * leastRowHeight_ + frame);
    grid_->viewport()->installEventFilter(this);
    grid_->installEventFilter(this);
    fill();
}

void GridFiller::fill()
{
    // Setting a width can show or hide a scroll bar, which resizes the
    // viewport at once: the cells are placed again for the size it then has.
    if (filling_) {
        again_ = true;
        return;
    }
    filling_ = true;
    for (int round = 0; round < 4; ++round) {
        again_ = false;
        place();
        if (!again_)
            break;
    }
    filling_ = false;
}

void GridFiller::place()
{
    const QSize room = grid_->viewport()->size();
    const int columns = int(leastWidths_.size());
    const int spareWidth = std::max(0, room.width() - std::accumulate(leastWidths_.begin(), leastWidths_.end(), 0));
    const int stretchCount = int(stretching_.size());
    for (int c = 0; c < columns; ++c) {
        int width = leastWidths_[std::size_t(c)];
        const auto at = std::find(stretching_.begin(), stretching_.end(), c);
        if (at != stretching_.end()) {
            // The first stretching columns take what an even share leaves over.
            const int k = int(at - stretching_.begin());
            width += spareWidth / stretchCount + (k < spareWidth % stretchCount ? 1 : 0);
        }
        grid_->setColumnWidth(c, width);
    }
    const int rows = grid_->rowCount();
    if (rows == 0)
        return;
    const int spareHeight = std::max(0, room.height() - rows * leastRowHeight_);
    for (int r = 0; r < rows; ++r)
        grid_->setRowHeight(r, leastRowHeight_ + spareHeight / rows + (r < spareHeight % rows ? 1 : 0));
}

bool GridFiller::eventFilter(QObject* watched, QEvent* event)
{
    // A viewport resized while hidden may come back at its new size without
    // a resize event of its own: showing it places the cells too.
    if ((watched == grid_->viewport() || watched == grid_)
        && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        fill();
    return QObject::eventFilter(watched, event);
}
