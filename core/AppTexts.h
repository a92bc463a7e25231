#pragma once

#include <string>

// Texts of the application frame that the numbered catalogue lacks, in the
// five languages of the catalogue; the current language's is returned.
enum class AppText {
    SettingsUnreadable,  // the settings file exists but cannot be read
};

std::string appText(AppText text);
