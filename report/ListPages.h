#pragma once

// moc cannot parse the standard <compare> the record headers need.
#ifndef Q_MOC_RUN
#include "Component/ServiceReport.h"
#endif

#include <QFont>
#include <QPoint>
#include <QString>

#include <vector>

class QPaintDevice;
class QPainter;

// A long table painted row by row, fast at any length: a title row and the
// header row on top of every page it runs onto, one line per row, the columns
// as wide as their widest text with the width left shared out, a text still
// too wide elided. A table without rows shows its empty text in one row.
class ListPages {
public:
    ListPages(const ReportTable& table, const QFont& font, QPaintDevice* device, int width);

    std::size_t rowCount() const { return rowCount_; }
    // How many rows fit below the title and header within `height` (0: none).
    std::size_t rowsFitting(int height) const;
    // Paints the title, the header and rows [first, first + count) from `topLeft`.
    void paint(QPainter& painter, const QPoint& topLeft, std::size_t first, std::size_t count) const;

private:
    void paintRow(QPainter& painter, int top, int left, const std::vector<QString>& cells, const QColor& fill) const;

    const ReportTable& table_;
    QFont font_;
    QFont bold_;
    int width_;
    int rowHeight_;
    int padding_;
    std::size_t rowCount_;
    std::vector<int> columns_;  // widths, summing to the table's width
};
