#include "report/TrendsPlot.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace {

QString dateText(const TVXLogTime& date)
{
    return QString::asprintf("%02u/%02u/%04u", unsigned(date.day), unsigned(date.month), unsigned(date.year));
}

QString valueText(double value)
{
    return QString::number(static_cast<long long>(std::llround(value)));
}

}  // namespace

QString trendTitle(const TrendSeries& series)
{
    QString title = QString::fromStdString(series.label);
    if (!series.unit.empty())
        title += QStringLiteral(" (%1)").arg(QString::fromStdString(series.unit));
    return title;
}

int trendValueWidth(const QFontMetrics& metrics, const TrendSeries& series)
{
    int width = metrics.horizontalAdvance(QStringLiteral("0000"));
    for (const TrendPoint& p : series.points)
        width = std::max(width, metrics.horizontalAdvance(valueText(p.value)));
    return width;
}

void paintTrendPlot(QPainter& painter, const QRect& block, const TrendSeries& one, int valueWidth)
{
    painter.save();
    const QFont font = painter.font();
    const QFontMetrics metrics(font, painter.device());
    const int line = metrics.height();
    const QColor axis(0x80, 0x80, 0x80);
    const QColor curve(0x1F, 0x5F, 0xA8);
    const QColor serialMark(0xC0, 0x30, 0x30);

    QFont bold = font;
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::black);
    painter.drawText(QRect(block.left(), block.top(), block.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                     trendTitle(one));
    painter.setFont(font);

    double low = 0;
    double high = 0;
    if (!one.points.empty()) {
        low = high = one.points.front().value;
        for (const TrendPoint& p : one.points) {
            low = std::min(low, p.value);
            high = std::max(high, p.value);
        }
    }
    // The plot area: below the title, above the date labels, right of the
    // values, whose column is as wide as the widest of them.
    const int gap = std::max(2, line / 4);
    const int valueColumn = std::max(valueWidth, trendValueWidth(metrics, one)) + 2 * gap;
    const QRect plot(block.left() + valueColumn, block.top() + line + gap, block.width() - valueColumn - gap * 2,
                     block.height() - 2 * line - 2 * gap);
    painter.setPen(axis);
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    if (one.points.empty() || plot.width() <= 0 || plot.height() <= 0) {
        painter.restore();
        return;
    }

    const double span = high > low ? high - low : 1.0;
    const std::size_t n = one.points.size();
    auto xAt = [&](std::size_t i) {
        return n == 1 ? plot.center().x() : plot.left() + double(plot.width()) * double(i) / double(n - 1);
    };
    auto yAt = [&](double v) {
        return high > low ? plot.bottom() - double(plot.height()) * (v - low) / span : plot.center().y();
    };

    painter.setPen(Qt::black);
    const QRect values(block.left(), plot.top(), valueColumn - gap, plot.height());
    // A flat series is drawn across the middle, its one value beside it.
    painter.drawText(values, Qt::AlignRight | (high > low ? Qt::AlignTop : Qt::AlignVCenter), valueText(high));
    if (high > low)
        painter.drawText(values, Qt::AlignRight | Qt::AlignBottom, valueText(low));
    const QRect dates(plot.left(), plot.bottom() + gap, plot.width(), line);
    if (n == 1) {
        painter.drawText(dates, Qt::AlignHCenter | Qt::AlignTop, dateText(one.points.front().date));
    } else {
        painter.drawText(dates, Qt::AlignLeft | Qt::AlignTop, dateText(one.points.front().date));
        painter.drawText(dates, Qt::AlignRight | Qt::AlignTop, dateText(one.points.back().date));
    }

    const double scale = std::max(1.0, line / 14.0);  // thicker strokes on a fine device
    painter.setPen(QPen(serialMark, scale, Qt::DashLine));
    for (std::size_t i = 0; i < n; ++i)
        if (i > 0 && one.points[i].serialChanged) {
            const double x = (xAt(i - 1) + xAt(i)) / 2;
            painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        }

    painter.setRenderHint(QPainter::Antialiasing, true);
    QPolygonF polyline;
    polyline.reserve(qsizetype(n));
    for (std::size_t i = 0; i < n; ++i)
        polyline << QPointF(xAt(i), yAt(one.points[i].value));
    painter.setPen(QPen(curve, 1.5 * scale));
    painter.drawPolyline(polyline);
    painter.setBrush(curve);
    painter.setPen(Qt::NoPen);
    for (const QPointF& p : polyline)
        painter.drawEllipse(p, 2.5 * scale, 2.5 * scale);
    painter.restore();
}
