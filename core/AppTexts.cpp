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

    // the rules of the record dialogs and of the comments
    case AppText::FieldUnencodable:
        return {
                "“%1” holds the character “%2” (U+%3), which cannot be stored. Please replace it.",
                "« %1 » contient le caractère « %2 » (U+%3), qui ne peut pas être enregistré. Veuillez le remplacer.",
                "«%1» contiene il carattere «%2» (U+%3), che non può essere memorizzato. Sostituirlo.",
                "“%1” bevat het teken “%2” (U+%3), dat niet kan worden opgeslagen. Vervang het.",
                "„%1“ enthält das Zeichen „%2“ (U+%3), das nicht gespeichert werden kann. Bitte ersetzen Sie es."};
    case AppText::FieldInvalidByte:
        return {
                "“%1” holds a byte that is not a character and cannot be stored.",
                "« %1 » contient un octet qui n'est pas un caractère et ne peut pas être enregistré.",
                "«%1» contiene un byte che non è un carattere e non può essere memorizzato.",
                "“%1” bevat een byte die geen teken is en niet kan worden opgeslagen.",
                "„%1“ enthält ein Byte, das kein Zeichen ist und nicht gespeichert werden kann."};
    case AppText::NameTooLong:
        return {
                "“%1” takes at most 30 characters.",
                "« %1 » ne peut pas dépasser 30 caractères.",
                "«%1» può contenere al massimo 30 caratteri.",
                "“%1” mag hoogstens 30 tekens bevatten.",
                "„%1“ darf höchstens 30 Zeichen enthalten."};
    case AppText::AddressTooLong:
        return {
                "“%1” is too long: at most 65535 characters can be stored, line breaks included.",
                "« %1 » est trop longue : 65535 caractères au plus peuvent être enregistrés, sauts de ligne compris.",
                "«%1» è troppo lungo: si possono memorizzare al massimo 65535 caratteri, a capo compresi.",
                "“%1” is te lang: er kunnen hoogstens 65535 tekens worden opgeslagen, regeleinden inbegrepen.",
                "„%1“ ist zu lang: Es können höchstens 65535 Zeichen gespeichert werden, Zeilenumbrüche eingeschlossen."};
    case AppText::CommentUnencodable:
        return {
                "The character “%1” (U+%2) cannot be stored in a comment.",
                "Le caractère « %1 » (U+%2) ne peut pas être enregistré dans un commentaire.",
                "Il carattere «%1» (U+%2) non può essere memorizzato in un commento.",
                "Het teken “%1” (U+%2) kan niet in een opmerking worden opgeslagen.",
                "Das Zeichen „%1“ (U+%2) kann nicht in einem Kommentar gespeichert werden."};
    case AppText::CommentInvalidByte:
        return {
                "The comment holds a byte that is not a character and cannot be stored.",
                "Le commentaire contient un octet qui n'est pas un caractère et ne peut pas être enregistré.",
                "Il commento contiene un byte che non è un carattere e non può essere memorizzato.",
                "De opmerking bevat een byte die geen teken is en kan niet worden opgeslagen.",
                "Der Kommentar enthält ein Byte, das kein Zeichen ist, und kann nicht gespeichert werden."};
    case AppText::CommentTooLong:
        return {
                "The comment is limited to 255 characters; a line break counts as two.",
                "Le commentaire est limité à 255 caractères ; un saut de ligne compte pour deux.",
                "Il commento è limitato a 255 caratteri; un a capo conta come due.",
                "De opmerking is beperkt tot 255 tekens; een regeleinde telt als twee.",
                "Der Kommentar ist auf 255 Zeichen begrenzt; ein Zeilenumbruch zählt doppelt."};

    // the history trends and the service report
    case AppText::TrendsCaption:
        return {"Trends", "Tendances", "Andamenti", "Trends", "Verlauf"};
    case AppText::ReportTitle:
        return {"Service report", "Rapport d'entretien", "Rapporto di assistenza", "Servicerapport", "Servicebericht"};
    case AppText::ReportPageNumbers:
        return {"Page %1 of %2", "Page %1 sur %2", "Pagina %1 di %2", "Pagina %1 van %2", "Seite %1 von %2"};
    case AppText::ReportAlarmsTitle:
        return {"Alarms of this reading", "Alarmes de cette lecture", "Allarmi di questa lettura",
                "Alarmen van deze uitlezing", "Alarme dieser Auslesung"};
    case AppText::ReportNoAlarm:
        return {"No alarm in this reading.", "Aucune alarme dans cette lecture.", "Nessun allarme in questa lettura.",
                "Geen alarm in deze uitlezing.", "Kein Alarm in dieser Auslesung."};
    case AppText::ReportAlarmColumn:
        return {"Alarm", "Alarme", "Allarme", "Alarm", "Alarm"};
    case AppText::ReportCountColumn:
        return {"Count", "Nombre", "Numero", "Aantal", "Anzahl"};
    case AppText::ReportDatesColumn:
        return {"Dates", "Dates", "Date", "Data", "Daten"};
    case AppText::ReportNumberColumn:
        return {"No.", "N°", "N.", "Nr.", "Nr."};
    case AppText::ReportDateColumn:
        return {"Date", "Date", "Data", "Datum", "Datum"};
    case AppText::ReportEventColumn:
        return {"Event", "Événement", "Evento", "Gebeurtenis", "Ereignis"};
    case AppText::ReportNoEvent:
        return {"No event in this reading.", "Aucun événement dans cette lecture.", "Nessun evento in questa lettura.",
                "Geen gebeurtenis in deze uitlezing.", "Kein Ereignis in dieser Auslesung."};
    case AppText::ReportReadingTitle:
        return {"Reading", "Lecture", "Lettura", "Uitlezing", "Auslesung"};
    case AppText::ReportReadingDate:
        return {"Read on", "Lu le", "Letto il", "Uitgelezen op", "Ausgelesen am"};
    case AppText::ReportMenuItem:
        return {"Service report...", "Rapport d'entretien...", "Rapporto di assistenza...", "Servicerapport...",
                "Servicebericht..."};
    case AppText::ReportPrintMenuItem:
        return {"Print service report...", "Imprimer le rapport d'entretien...", "Stampa rapporto di assistenza...",
                "Servicerapport afdrukken...", "Servicebericht drucken..."};
    case AppText::ReportDialogTitle:
        return {"Save the service report", "Enregistrer le rapport d'entretien", "Salva il rapporto di assistenza",
                "Servicerapport opslaan", "Servicebericht speichern"};
    case AppText::ReportPdfFilter:
        return {"PDF document", "Document PDF", "Documento PDF", "PDF-document", "PDF-Dokument"};
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
