#include "ui/TrendsView.h"

#include "Class/TVXMowerLog.h"
#include "report/TrendsPlot.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollArea>
#include <QTabWidget>

#include <algorithm>

namespace {

constexpr int PlotHeight = 120;
constexpr int Margin = 8;
constexpr char TrendsPageName[] = "TrendsPage";

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
    painter.setFont(font());
    int valueWidth = 0;
    for (const TrendSeries& one : series_)
        valueWidth = std::max(valueWidth, trendValueWidth(fontMetrics(), one));
    for (std::size_t s = 0; s < series_.size(); ++s) {
        const QRect block(Margin, Margin + int(s) * (PlotHeight + Margin), width() - 2 * Margin, PlotHeight);
        if (block.intersects(event->rect()))
            paintTrendPlot(painter, block, series_[s], valueWidth);
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
