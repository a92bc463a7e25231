#include "core/AppTexts.h"

#include "core/TVXStringTable.h"

std::string appText(AppText text)
{
    static const TVXStringTable::LocalizedText texts[] = {
        {"The settings file could not be read. The program runs on its default settings this time and "
         "leaves the file as it was:",
         "Le fichier des paramètres n'a pas pu être lu. Le programme utilise cette fois ses paramètres "
         "par défaut et laisse le fichier tel quel :",
         "Il file delle impostazioni non ha potuto essere letto. Questa volta il programma usa le "
         "impostazioni predefinite e lascia il file così com'è:",
         "Het instellingenbestand kon niet worden gelezen. Het programma gebruikt deze keer de "
         "standaardinstellingen en laat het bestand zoals het is:",
         "Die Einstellungsdatei konnte nicht gelesen werden. Das Programm verwendet diesmal seine "
         "Standardeinstellungen und lässt die Datei unverändert:"},
        {"Find a mower", "Chercher une tondeuse", "Cerca un rasaerba", "Maaier zoeken", "Mäher suchen"},
        {"with alarms", "avec alarmes", "con allarmi", "met alarmen", "mit Alarmen"},
        {"%1 of %2", "%1 sur %2", "%1 di %2", "%1 van %2", "%1 von %2"},
    };
    return TVXStringTable::instance().localized(texts[static_cast<int>(text)]);
}
