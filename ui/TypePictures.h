#pragma once

#include <QIcon>
#include <QPixmap>

#include <string_view>

// The pictures compiled into the program (":/pictures/..."). Use them from the
// GUI thread only, while the application object exists.

// The shared picture of a mower type's bitmap name ("RA", "TXR", ...), loaded on first use
// and kept for the run; a null pixmap for an empty or unknown name.
const QPixmap& typePicture(std::string_view pictureName);

// The toolbar images.
QIcon upgradeIcon();
QIcon loadHistoryIcon();
