#pragma once

#include <string>

// Texts of the application frame that the numbered catalogue lacks, in the
// five languages of the catalogue; the current language's is returned.
enum class AppText {
    SettingsUnreadable,  // the settings file exists but cannot be read
    FindMower,           // the placeholder of the search field over the tiles
    WithAlarms,          // the toggle that keeps records whose newest history has alarms
    ShownOfTotal,        // "%1 of %2": tiles shown, records in all
};

std::string appText(AppText text);
