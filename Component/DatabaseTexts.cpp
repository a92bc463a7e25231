#include "Component/DatabaseTexts.h"

#include "core/TVXStringTable.h"

std::string databaseText(DatabaseText text)
{
    static const TVXStringTable::LocalizedText texts[] = {
        {"The database is in use by another running copy of the program, so it was not opened:",
         "La base de données est utilisée par un autre exemplaire du programme en cours d'exécution ; "
         "elle n'a pas été ouverte :",
         "Il database è in uso da un'altra copia del programma in esecuzione, quindi non è stato aperto:",
         "De database wordt gebruikt door een ander actief exemplaar van het programma en is daarom niet "
         "geopend:",
         "Die Datenbank wird von einer anderen laufenden Kopie des Programms verwendet und wurde daher "
         "nicht geöffnet:"},
        {"The record file could not be written; the previous file was kept:",
         "Le fichier de la fiche n'a pas pu être écrit ; l'ancien fichier a été conservé :",
         "Il file della scheda non ha potuto essere scritto; il file precedente è stato conservato:",
         "Het bestand van de kaart kon niet worden geschreven; het vorige bestand is bewaard:",
         "Die Datei des Datensatzes konnte nicht geschrieben werden; die bisherige Datei bleibt erhalten:"},
        {"The database index file could not be written:",
         "Le fichier d'index de la base de données n'a pas pu être écrit :",
         "Il file indice del database non ha potuto essere scritto:",
         "Het indexbestand van de database kon niet worden geschreven:",
         "Die Indexdatei der Datenbank konnte nicht geschrieben werden:"},
        {"The serial number of this record belongs to one machine of the database and its machine number "
         "to another: nothing was imported.",
         "Le numéro de série de cette fiche appartient à une machine de la base et son numéro de machine "
         "à une autre : rien n'a été importé.",
         "Il numero di serie di questa scheda appartiene a una macchina del database e il suo numero di "
         "macchina a un'altra: non è stato importato nulla.",
         "Het serienummer van deze kaart hoort bij een machine in de database en het machinenummer bij "
         "een andere: er is niets geïmporteerd.",
         "Die Seriennummer dieses Datensatzes gehört zu einer Maschine der Datenbank, die Maschinennummer "
         "zu einer anderen: es wurde nichts importiert."},
        {"A record file of this serial number already belongs to another machine of the database; no "
         "record was created:",
         "Un fichier de fiche de ce numéro de série appartient déjà à une autre machine de la base ; "
         "aucune fiche n'a été créée :",
         "Un file di scheda con questo numero di serie appartiene già a un'altra macchina del database; "
         "nessuna scheda è stata creata:",
         "Een kaartbestand met dit serienummer hoort al bij een andere machine in de database; er is "
         "geen kaart aangemaakt:",
         "Eine Datensatzdatei mit dieser Seriennummer gehört bereits zu einer anderen Maschine der "
         "Datenbank; es wurde kein Datensatz angelegt:"},
    };
    return TVXStringTable::instance().localized(texts[static_cast<int>(text)]);
}
