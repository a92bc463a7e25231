#include "core/AppTexts.h"

#include "core/TVXStringTable.h"

namespace {

// One case per text: the compiler names a text that has none.
TVXStringTable::LocalizedText texts(AppText text)
{
    switch (text) {
    // the application frame
    case AppText::SettingsUnreadable:
        return {"The settings file could not be read. The program runs on its default settings this time and "
                "leaves the file as it was:",
                "Le fichier des paramètres n'a pas pu être lu. Le programme utilise cette fois ses paramètres "
                "par défaut et laisse le fichier tel quel :",
                "Il file delle impostazioni non ha potuto essere letto. Questa volta il programma usa le "
                "impostazioni predefinite e lascia il file così com'è:",
                "Het instellingenbestand kon niet worden gelezen. Het programma gebruikt deze keer de "
                "standaardinstellingen en laat het bestand zoals het is:",
                "Die Einstellungsdatei konnte nicht gelesen werden. Das Programm verwendet diesmal seine "
                "Standardeinstellungen und lässt die Datei unverändert:"};
    case AppText::FindMower:
        return {"Find a mower", "Chercher une tondeuse", "Cerca un rasaerba", "Maaier zoeken", "Mäher suchen"};
    case AppText::WithAlarms:
        return {"with alarms", "avec alarmes", "con allarmi", "met alarmen", "mit Alarmen"};
    case AppText::ShownOfTotal:
        return {"%1 of %2", "%1 sur %2", "%1 di %2", "%1 van %2", "%1 von %2"};

    // the mower link

    // the database and its files

    // the windows and dialogs
    }
    return {"", "", "", "", ""};
}

}  // namespace

std::string appText(AppText text)
{
    return TVXStringTable::instance().localized(texts(text));
}

std::string appText(AppText text, std::initializer_list<std::string> arguments)
{
    std::string filled = appText(text);
    int number = 1;
    for (const std::string& argument : arguments) {
        const std::string mark = "%" + std::to_string(number++);
        if (const std::size_t at = filled.find(mark); at != std::string::npos)
            filled.replace(at, mark.size(), argument);
    }
    return filled;
}
