#include "ui/TrendsView.h"

#include "Class/TVXMowerLog.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QTabWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr int PlotHeight = 120;
constexpr int Margin = 8;
constexpr int ValueColumn = 64;  // room for the min/max labels
constexpr char TrendsPageName[] = "TrendsPage";

QString dateText(const TVXLogTime& date)
{
    return QString::asprintf("%02u/%02u/%04u", unsigned(date.day), unsigned(date.month), unsigned(date.year));
}

QString valueText(double value)
{
    return QString::number(static_cast<long long>(std::llround(value)));
}

}  // namespace

TrendsView::TrendsView(const TVXMowerLog& record, QWidget* parent) : QWidget(parent), record_(record)
{
    setObjectName("TrendsView");
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
}

QString TrendsView::caption()
{
    return QString::fromStdString(trendsCaption());
}

void TrendsView::invalidate()
{
    stale_ = true;
    if (isVisible()) {
        ensureComputed();
        update();
    }
}

void TrendsView::ensureComputed()
{
    if (!stale_)
        return;
    series_ = historyTrends(record_);
    titles_.clear();
    for (const TrendSeries& one : series_) {
        QString title = QString::fromStdString(one.label);
        if (!one.unit.empty())
            title += QStringLiteral(" (%1)").arg(QString::fromStdString(one.unit));
        titles_.push_back(title);
    }
    stale_ = false;
    updateGeometry();
}

QSize TrendsView::minimumSizeHint() const
{
    const int count = stale_ ? 6 : std::max<int>(1, int(series_.size()));
    return QSize(320, count * (PlotHeight + Margin) + Margin);
}

QSize TrendsView::sizeHint() const
{
    return minimumSizeHint().expandedTo(QSize(520, 0));
}

void TrendsView::showEvent(QShowEvent* event)
{
    ensureComputed();
    QWidget::showEvent(event);
}

void TrendsView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    const int line = metrics.height();
    const QColor axis(0x80, 0x80, 0x80);
    const QColor curve(0x1F, 0x5F, 0xA8);
    const QColor serialMark(0xC0, 0x30, 0x30);

    for (std::size_t s = 0; s < series_.size(); ++s) {
        const QRect block(Margin, Margin + int(s) * (PlotHeight + Margin), width() - 2 * Margin, PlotHeight);
        if (!block.intersects(event->rect()))
            continue;
        const TrendSeries& one = series_[s];
        QFont bold = font();
        bold.setBold(true);
        painter.setFont(bold);
        painter.setPen(Qt::black);
        painter.drawText(QRect(block.left(), block.top(), block.width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                         titles_[s]);
        painter.setFont(font());

        // The plot area: below the title, above the date labels, right of the values.
        const QRect plot(block.left() + ValueColumn, block.top() + line + 4, block.width() - ValueColumn - Margin,
                         block.height() - 2 * line - 8);
        painter.setPen(axis);
        painter.drawLine(plot.bottomLeft(), plot.bottomRight());
        painter.drawLine(plot.bottomLeft(), plot.topLeft());
        if (one.points.empty() || plot.width() <= 0 || plot.height() <= 0)
            continue;

        double low = one.points.front().value;
        double high = low;
        for (const TrendPoint& p : one.points) {
            low = std::min(low, p.value);
            high = std::max(high, p.value);
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
        const QRect values(block.left(), plot.top(), ValueColumn - 4, plot.height());
        // A flat series is drawn across the middle, its one value beside it.
        painter.drawText(values, Qt::AlignRight | (high > low ? Qt::AlignTop : Qt::AlignVCenter), valueText(high));
        if (high > low)
            painter.drawText(values, Qt::AlignRight | Qt::AlignBottom, valueText(low));
        const QRect dates(plot.left(), plot.bottom() + 4, plot.width(), line);
        if (n == 1) {
            painter.drawText(dates, Qt::AlignHCenter | Qt::AlignTop, dateText(one.points.front().date));
        } else {
            painter.drawText(dates, Qt::AlignLeft | Qt::AlignTop, dateText(one.points.front().date));
            painter.drawText(dates, Qt::AlignRight | Qt::AlignTop, dateText(one.points.back().date));
        }

        QPen dashed(serialMark, 1, Qt::DashLine);
        painter.setPen(dashed);
        for (std::size_t i = 0; i < n; ++i)
            if (one.points[i].serialChanged) {
                const double x = (xAt(i - 1) + xAt(i)) / 2;
                painter.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
            }

        painter.setRenderHint(QPainter::Antialiasing, true);
        QPolygonF polyline;
        polyline.reserve(qsizetype(n));
        for (std::size_t i = 0; i < n; ++i)
            polyline << QPointF(xAt(i), yAt(one.points[i].value));
        painter.setPen(QPen(curve, 1.5));
        painter.drawPolyline(polyline);
        painter.setBrush(curve);
        painter.setPen(Qt::NoPen);
        for (const QPointF& p : polyline)
            painter.drawEllipse(p, 2.5, 2.5);
        painter.setBrush(Qt::NoBrush);
        painter.setRenderHint(QPainter::Antialiasing, false);
    }
}

TrendsView* trendsTab(const QTabWidget* pages)
{
    const int last = pages->count() - 1;
    if (last < 0 || pages->widget(last)->objectName() != QLatin1String(TrendsPageName))
        return nullptr;
    return pages->widget(last)->findChild<TrendsView*>();
}

int historyTabCount(const QTabWidget* pages)
{
    return pages->count() - (trendsTab(pages) ? 1 : 0);
}

TrendsView* addTrendsTab(QTabWidget* pages, const TVXMowerLog& record)
{
    auto* scroll = new QScrollArea(pages);
    scroll->setObjectName(TrendsPageName);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* view = new TrendsView(record, scroll);
    scroll->setWidget(view);
    pages->addTab(scroll, TrendsView::caption());
    return view;
}
