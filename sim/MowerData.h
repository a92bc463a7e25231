#pragma once

#include "link/InfoFrame.h"
#include "sim/SimOptions.h"

#include <string>

// The info frame and history image that the simulated mower sends.
struct MowerData {
    InfoFrame frame {};
    HistoryImage image {};
};

// Builds the data from the options: the image file's frame or the default one,
// the frame fields given, then the image file's image or one generated for
// this mower (seeded by its serial number, its events ending now). False with
// the reason when the image file is unusable.
bool buildMowerData(const SimOptions& options, MowerData& data, std::string& error);
