#pragma once

#include "Class/TVXLogTime.h"

#include <string>
#include <vector>

class TVXMowerLog;

// The trends of a record: how some statistics and the alarms of its histories
// move from one reading to the next, one point per history in date order.

struct TrendPoint {
    TVXLogTime date;
    double value = 0;
    // The history's serial number differs from the one of the point before
    // (a replaced board); never set on the first point.
    bool serialChanged = false;
};

struct TrendSeries {
    std::string label;  // catalogue text, current language
    std::string unit;   // "min", "m", or empty for a count
    std::vector<TrendPoint> points;
};

// Mowing time, charging time, cycles, left and right wheel distance and the
// number of alarm events of each reading, in that order; every series holds
// one point per history, oldest first.
std::vector<TrendSeries> historyTrends(const TVXMowerLog& record);

// The trends tab's caption, current language.
std::string trendsCaption();
