#include "ui/EventTableModel.h"

#include "Class/HistoryRender.h"
#include "Class/TVXLog.h"

#include <QBrush>
#include <QFont>

namespace {

const std::array<const char*, EventTableModel::ColumnCount> Titles = {"Ev Nb", "Date",  "Event",
                                                                      "ExtraB", "FU1", "FU2"};

QVariant text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

EventTableModel::EventTableModel(const TVXLog& history, QObject* parent) : QAbstractTableModel(parent)
{
    QFont italic;
    italic.setItalic(true);
    italic_ = italic;
    red_ = QBrush(QColor(255, 0, 0));
    blue_ = QBrush(QColor(0, 0, 255));
    green_ = QBrush(QColor(0, 255, 0));

    const std::vector<EventRow> events = eventRows(history);
    rows_.reserve(events.size());
    for (const EventRow& event : events) {
        Row row;
        row.cells = {text(event.number), text(event.date), text(event.event),
                     text(event.extra),  text(event.fu1),  text(event.fu2)};
        row.code = int(event.eventCode);
        switch (event.eventCode) {
        case 5:  // an alarm
            row.brush = &red_;
            break;
        case 2:
        case 6:
        case 7:
            row.brush = &blue_;
            break;
        case 11:
            row.brush = &green_;
            break;
        default:
            break;
        }
        rows_.push_back(std::move(row));
    }
}

int EventTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows_.size()) + EmptyRowCount;
}

int EventTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant EventTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || std::size_t(index.row()) >= rows_.size())
        return {};
    const Row& row = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        return row.cells[index.column()];
    case EventCodeRole:
        return row.code;
    case Qt::ForegroundRole:
        return index.column() == EventColumn && row.brush ? *row.brush : QVariant();
    case Qt::FontRole:
        return index.column() == EventColumn && row.brush ? italic_ : QVariant();
    default:
        return {};
    }
}

QVariant EventTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return QString::fromLatin1(Titles[section]);
}

Qt::ItemFlags EventTableModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
