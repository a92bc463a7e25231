#include "report/ListPages.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <numeric>

namespace {

const QColor TitleFill(0x1F, 0x5F, 0xA8);
const QColor HeaderFill(0xE4, 0xEA, 0xF3);
const QColor StripeFill(0xF6, 0xF6, 0xF6);
const QColor GridLine(0xA0, 0xA0, 0xA0);

}  // namespace

ListPages::ListPages(const ReportTable& table, const QFont& font, QPaintDevice* device, int width)
    : table_(table), font_(font), bold_(font), width_(width), rowCount_(std::max<std::size_t>(1, table.rows.size()))
{
    bold_.setBold(true);
    const QFontMetrics metrics(font_, device);
    const QFontMetrics boldMetrics(bold_, device);
    padding_ = std::max(1, metrics.height() / 4);
    rowHeight_ = boldMetrics.height() + 2 * padding_;

    std::size_t count = table.header.size();
    for (const auto& row : table.rows)
        count = std::max(count, row.size());
    columns_.assign(std::max<std::size_t>(1, count), 0);
    for (std::size_t c = 0; c < table.header.size(); ++c)
        columns_[c] = boldMetrics.horizontalAdvance(QString::fromStdString(table.header[c]));
    for (const auto& row : table.rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            columns_[c] = std::max(columns_[c], metrics.horizontalAdvance(QString::fromStdString(row[c])));
    for (int& column : columns_)
        column += 2 * padding_;

    // The width left is shared out evenly; a table too wide for it is narrowed
    // in proportion, its texts elided.
    const int natural = std::accumulate(columns_.begin(), columns_.end(), 0);
    if (natural <= width_) {
        const int extra = (width_ - natural) / int(columns_.size());
        for (int& column : columns_)
            column += extra;
    } else {
        for (int& column : columns_)
            column = int(double(column) * width_ / natural);
    }
    columns_.back() += width_ - std::accumulate(columns_.begin(), columns_.end(), 0);
}

std::size_t ListPages::rowsFitting(int height) const
{
    const int rows = height / rowHeight_ - 2;  // the title and header rows
    return rows > 0 ? std::size_t(rows) : 0;
}

void ListPages::paintRow(QPainter& painter, int top, int left, const std::vector<QString>& cells,
                         const QColor& fill) const
{
    if (fill.isValid())
        painter.fillRect(QRect(left, top, width_, rowHeight_), fill);
    const QFontMetrics metrics(painter.font(), painter.device());
    int x = left;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        // A row shorter than the table: its last cell takes the rest of the width.
        const int w = c + 1 == cells.size() ? left + width_ - x : columns_[c];
        if (c < cells.size()) {
            const QRect cell(x + padding_, top, w - 2 * padding_, rowHeight_);
            painter.drawText(cell, Qt::AlignLeft | Qt::AlignVCenter,
                             metrics.elidedText(cells[c], Qt::ElideRight, cell.width()));
        }
        x += w;
        if (c + 1 >= cells.size())
            break;
    }
}

void ListPages::paint(QPainter& painter, const QPoint& topLeft, std::size_t first, std::size_t count) const
{
    painter.save();
    const int left = topLeft.x();
    int y = topLeft.y();

    painter.setFont(bold_);
    painter.setPen(Qt::white);
    paintRow(painter, y, left, {QString::fromStdString(table_.title)}, TitleFill);
    y += rowHeight_;
    std::vector<QString> cells;
    if (!table_.header.empty()) {
        painter.setPen(Qt::black);
        for (const std::string& text : table_.header)
            cells.push_back(QString::fromStdString(text));
        paintRow(painter, y, left, cells, HeaderFill);
        y += rowHeight_;
    }

    painter.setFont(font_);
    painter.setPen(Qt::black);
    if (table_.rows.empty()) {
        QFont italic = font_;
        italic.setItalic(true);
        painter.setFont(italic);
        paintRow(painter, y, left, {QString::fromStdString(table_.emptyText)}, QColor());
        y += rowHeight_;
    } else {
        const std::size_t last = std::min(table_.rows.size(), first + count);
        for (std::size_t r = first; r < last; ++r) {
            cells.clear();
            for (const std::string& text : table_.rows[r])
                cells.push_back(QString::fromStdString(text));
            paintRow(painter, y, left, cells, r % 2 ? StripeFill : QColor());
            y += rowHeight_;
        }
    }

    // The grid: the frame, a line under every row, the column lines below the title.
    painter.setPen(QPen(GridLine, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(left, topLeft.y(), width_, y - topLeft.y()));
    for (int line = topLeft.y() + rowHeight_; line < y; line += rowHeight_)
        painter.drawLine(left, line, left + width_, line);
    if (!table_.rows.empty()) {
        int x = left;
        for (std::size_t c = 0; c + 1 < columns_.size(); ++c) {
            x += columns_[c];
            painter.drawLine(x, topLeft.y() + rowHeight_, x, y);
        }
    }
    painter.restore();
}
