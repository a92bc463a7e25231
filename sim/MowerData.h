#pragma once

#include "link/InfoFrame.h"
#include "sim/SimOptions.h"

#include <string>

// The info frame and history image that the simulated mower sends.
struct MowerData {
    InfoFrame frame {};
    HistoryImage image {};
};

// A plausible image: option flags, language, sleep ranges, statistics,
// setup bytes, parameters and the given number of events (not wrapped).
HistoryImage generateHistoryImage(int events);

// Builds the data from the options: the image file or a generated image, then
// the frame fields. False with the reason when the image file is unusable.
bool buildMowerData(const SimOptions& options, MowerData& data, std::string& error);
