#pragma once

#include "core/UserInteraction.h"

#include <QString>

#include <vector>

// The core's file filters as the toolkit's file dialogs take them: the
// toolkit separates a filter's patterns by blanks, the core by semicolons
// ("*.dat;*.thf"), as the filters have always been written.
QString qtFilterEntry(const FileFilter& filter);
QString qtFilterList(const std::vector<FileFilter>& filters);
// The first extension of a filter entry, the one a save dialog adds to a name
// typed without one ("dupont" saved as an export becomes "dupont.dat"); empty
// for a filter of any file.
QString firstSuffix(const QString& filterEntry);
