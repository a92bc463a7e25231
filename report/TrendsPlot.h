#pragma once

// moc cannot parse the standard <compare> the record headers need.
#ifndef Q_MOC_RUN
#include "Class/HistoryTrends.h"
#endif

#include <QRect>
#include <QString>

class QFontMetrics;
class QPainter;

// One series' small line plot inside `block`: its title and unit on top, the
// first and last dates below, the lowest and highest values on the left, a dot
// per reading and a dashed mark where the serial number changes. Drawn with the
// painter's current font, on screen and in the service report alike.
// `valueWidth` widens the values' column so that plots stacked together line up.
void paintTrendPlot(QPainter& painter, const QRect& block, const TrendSeries& series, int valueWidth = 0);

// The width the series' lowest and highest values take in that font.
int trendValueWidth(const QFontMetrics& metrics, const TrendSeries& series);

// "Mowing time (min)"
QString trendTitle(const TrendSeries& series);
