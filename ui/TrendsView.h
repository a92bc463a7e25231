#pragma once

// moc cannot parse the standard <compare> the record headers need; it needs
// nothing from them.
#ifndef Q_MOC_RUN
#include "Class/HistoryTrends.h"
#endif

#include <QString>
#include <QWidget>

#include <vector>

class TVXMowerLog;

// The trends of a record: one small line plot per series, stacked, each with
// its title and unit, the first and last dates below, the lowest and highest
// values beside, a dot per reading and a dashed mark where the serial number
// changes. The series are computed when the view is shown after a change of
// the record (invalidate); painting only draws them.
class TrendsView : public QWidget {
    Q_OBJECT
public:
    TrendsView(const TVXMowerLog& record, QWidget* parent = nullptr);

    // The record's histories changed: the series are computed again when next
    // shown (at once when shown now).
    void invalidate();
    // Computes the series now, if they are out of date.
    void ensureComputed();
    const std::vector<TrendSeries>& series() const { return series_; }
    // The tab's caption, current language.
    static QString caption();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    const TVXMowerLog& record_;
    std::vector<TrendSeries> series_;
    bool stale_ = true;
};

class QTabWidget;
// The record window's trends tab: inserted last, found and refreshed by these.
TrendsView* trendsTab(const QTabWidget* pages);
// The number of history tabs: every tab but the trends tab.
int historyTabCount(const QTabWidget* pages);
// Adds the trends tab as the last tab, in a scroll area.
TrendsView* addTrendsTab(QTabWidget* pages, const TVXMowerLog& record);
