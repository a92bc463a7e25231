#include "ui/THistGrid.h"

#include "ui/EventTableModel.h"
#include "ui/GridFit.h"

#include <QHeaderView>
#include <QStyle>

#include <algorithm>
#include <array>

namespace {

// The widths the grid's columns start from: the event number is hidden, the
// date and the event have theirs.
constexpr int DateWidth = 120, EventWidth = 200;
// Air beside the small numbers, which would otherwise touch their neighbours.
constexpr int NumberSpace = 12;

}  // namespace

THistGrid::THistGrid(const TVXLog& history, QWidget* parent)
    : QTableView(parent), model_(new EventTableModel(history, this))
{
    setObjectName("histGrid");
    setModel(model_);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setWordWrap(false);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView* titles = horizontalHeader();
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
    titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // The last column reaches the grid's right edge.
    titles->setStretchLastSection(true);
    setColumnHidden(EventTableModel::NumberColumn, true);
    fitColumns();
}

void THistGrid::fitColumns()
{
    // Measured once, when the grid is made: the widest text of each column
    // in the font it is drawn with (an alarm's name is italic), and its title.
    const int count = model_->columnCount();
    std::array<int, EventTableModel::ColumnCount> widest {};
    for (int c = 0; c < count; ++c)
        widest[c] = textWidth(horizontalHeader()->font(), model_->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString())
                    + 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    QFont italic = font();
    italic.setItalic(true);
    for (int r = 0; r < model_->rowCount(); ++r)
        for (int c = 0; c < count; ++c) {
            const QModelIndex index = model_->index(r, c);
            const QString text = index.data(Qt::DisplayRole).toString();
            if (!text.isEmpty())
                widest[c] = std::max(widest[c], columnWidthFor(this, textWidth(index.data(Qt::FontRole).isValid()
                                                                                   ? italic : font(), text)));
        }
    // The three small numbers stand in columns of one width, the widest they
    // need: the event's name has the room.
    const int numbers = *std::max_element(widest.begin() + EventTableModel::ExtraColumn, widest.end());
    setColumnWidth(EventTableModel::DateColumn, std::max(DateWidth, widest[EventTableModel::DateColumn]));
    setColumnWidth(EventTableModel::EventColumn, std::max(EventWidth, widest[EventTableModel::EventColumn]));
    for (int c = EventTableModel::ExtraColumn; c < count; ++c)
        setColumnWidth(c, numbers + NumberSpace);
}
