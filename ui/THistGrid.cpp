#include "ui/THistGrid.h"

#include "ui/EventTableModel.h"

#include <QHeaderView>

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
    setColumnHidden(EventTableModel::NumberColumn, true);
    setColumnWidth(EventTableModel::DateColumn, 120);
    setColumnWidth(EventTableModel::EventColumn, 200);
}
