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
    case AppText::YesNoQuestion:
        return {"[y/N]", "[o/N]", "[s/N]", "[j/N]", "[j/N]"};
    case AppText::LinkLost:
        return {"The connection to the mower was lost. Check the cable, leave the mower switched on, and start "
                "again.",
                "La connexion avec la tondeuse a été perdue. Vérifiez le câble, laissez la tondeuse allumée et "
                "recommencez.",
                "La connessione con il rasaerba è stata persa. Controllare il cavo, lasciare acceso il rasaerba e "
                "ricominciare.",
                "De verbinding met de maaier is verbroken. Controleer de kabel, laat de maaier ingeschakeld en "
                "begin opnieuw.",
                "Die Verbindung zum Mäher wurde unterbrochen. Prüfen Sie das Kabel, lassen Sie den Mäher "
                "eingeschaltet und beginnen Sie von vorn."};
    case AppText::PortRefused:
        return {"You may not open the port %1 (permission denied): it is kept for the members of the group %2. "
                "Ask your administrator to add your user account to that group, then log in again.",
                "Vous n'avez pas le droit d'ouvrir le port %1 (permission refusée) : il est réservé aux membres du "
                "groupe %2. Demandez à votre administrateur d'ajouter votre compte à ce groupe, puis "
                "reconnectez-vous.",
                "Non è consentito aprire la porta %1 (permesso negato): è riservata ai membri del gruppo %2. "
                "Chiedere all'amministratore di aggiungere il proprio account a quel gruppo, poi accedere di nuovo.",
                "U mag de poort %1 niet openen (toegang geweigerd): die is voorbehouden aan de leden van de groep "
                "%2. Vraag uw beheerder uw account aan die groep toe te voegen en meld u daarna opnieuw aan.",
                "Sie dürfen den Anschluss %1 nicht öffnen (Zugriff verweigert): Er ist den Mitgliedern der Gruppe "
                "%2 vorbehalten. Bitten Sie Ihren Administrator, Ihr Konto zu dieser Gruppe hinzuzufügen, und "
                "melden Sie sich dann neu an."};
    case AppText::PortsRefused:
        return {"These ports exist but you may not open them (permission denied): %1. They are kept for the "
                "members of the group %2. Ask your administrator to add your user account to that group, then log "
                "in again.",
                "Ces ports existent mais vous n'avez pas le droit de les ouvrir (permission refusée) : %1. Ils sont "
                "réservés aux membres du groupe %2. Demandez à votre administrateur d'ajouter votre compte à ce "
                "groupe, puis reconnectez-vous.",
                "Queste porte esistono ma non è consentito aprirle (permesso negato): %1. Sono riservate ai membri "
                "del gruppo %2. Chiedere all'amministratore di aggiungere il proprio account a quel gruppo, poi "
                "accedere di nuovo.",
                "Deze poorten bestaan, maar u mag ze niet openen (toegang geweigerd): %1. Ze zijn voorbehouden aan "
                "de leden van de groep %2. Vraag uw beheerder uw account aan die groep toe te voegen en meld u "
                "daarna opnieuw aan.",
                "Diese Anschlüsse sind vorhanden, aber Sie dürfen sie nicht öffnen (Zugriff verweigert): %1. Sie "
                "sind den Mitgliedern der Gruppe %2 vorbehalten. Bitten Sie Ihren Administrator, Ihr Konto zu "
                "dieser Gruppe hinzuzufügen, und melden Sie sich dann neu an."};
    case AppText::PortRefusedReason:
        return {"permission denied (not in the %1 group)", "permission refusée (pas dans le groupe %1)",
                "permesso negato (non nel gruppo %1)", "toegang geweigerd (niet in de groep %1)",
                "Zugriff verweigert (nicht in der Gruppe %1)"};
    case AppText::PortBusyReason:
        return {"in use by another program", "utilisé par un autre programme", "in uso da un altro programma",
                "in gebruik door een ander programma", "von einem anderen Programm belegt"};
    case AppText::NoFreePort:
        return {"no free serial port", "aucun port série libre", "nessuna porta seriale libera",
                "geen vrije seriële poort", "kein freier serieller Anschluss"};
    case AppText::UpgradeFileName:
        return {"File: %1", "Fichier : %1", "File: %1", "Bestand: %1", "Datei: %1"};

    // the database and its files
    case AppText::DatabaseInUse:
        return {"The database is in use by another running copy of the program, so it was not opened:",
                "La base de données est utilisée par un autre exemplaire du programme en cours d'exécution ; "
                "elle n'a pas été ouverte :",
                "Il database è in uso da un'altra copia del programma in esecuzione, quindi non è stato aperto:",
                "De database wordt gebruikt door een ander actief exemplaar van het programma en is daarom niet "
                "geopend:",
                "Die Datenbank wird von einer anderen laufenden Kopie des Programms verwendet und wurde daher "
                "nicht geöffnet:"};
    case AppText::RecordSaveFailed:
        return {"The record file could not be written; the previous file was kept:",
                "Le fichier de la fiche n'a pas pu être écrit ; l'ancien fichier a été conservé :",
                "Il file della scheda non ha potuto essere scritto; il file precedente è stato conservato:",
                "Het bestand van de kaart kon niet worden geschreven; het vorige bestand is bewaard:",
                "Die Datei des Datensatzes konnte nicht geschrieben werden; die bisherige Datei bleibt erhalten:"};
    case AppText::CheckerWriteFailed:
        return {"The database index file could not be written:",
                "Le fichier d'index de la base de données n'a pas pu être écrit :",
                "Il file indice del database non ha potuto essere scritto:",
                "Het indexbestand van de database kon niet worden geschreven:",
                "Die Indexdatei der Datenbank konnte nicht geschrieben werden:"};
    case AppText::ImportConflict:
        return {"The serial number of this record belongs to one machine of the database and its machine number "
                "to another: nothing was imported.",
                "Le numéro de série de cette fiche appartient à une machine de la base et son numéro de machine "
                "à une autre : rien n'a été importé.",
                "Il numero di serie di questa scheda appartiene a una macchina del database e il suo numero di "
                "macchina a un'altra: non è stato importato nulla.",
                "Het serienummer van deze kaart hoort bij een machine in de database en het machinenummer bij "
                "een andere: er is niets geïmporteerd.",
                "Die Seriennummer dieses Datensatzes gehört zu einer Maschine der Datenbank, die Maschinennummer "
                "zu einer anderen: es wurde nichts importiert."};
    case AppText::RecordFileTaken:
        return {"A record file of this serial number already belongs to another machine of the database; no "
                "record was created:",
                "Un fichier de fiche de ce numéro de série appartient déjà à une autre machine de la base ; "
                "aucune fiche n'a été créée :",
                "Un file di scheda con questo numero di serie appartiene già a un'altra macchina del database; "
                "nessuna scheda è stata creata:",
                "Een kaartbestand met dit serienummer hoort al bij een andere machine in de database; er is "
                "geen kaart aangemaakt:",
                "Eine Datensatzdatei mit dieser Seriennummer gehört bereits zu einer anderen Maschine der "
                "Datenbank; es wurde kein Datensatz angelegt:"};
    case AppText::RecordUnreadable:
        return {"This record can no longer be read: its file was damaged, removed or replaced since the program "
                "started. Nothing was written to it:",
                "Cette fiche ne peut plus être lue : son fichier a été endommagé, supprimé ou remplacé depuis le "
                "démarrage du programme. Rien n'y a été écrit :",
                "Questa scheda non può più essere letta: il suo file è stato danneggiato, rimosso o sostituito "
                "dall'avvio del programma. Non vi è stato scritto nulla:",
                "Deze kaart kan niet meer worden gelezen: het bestand is sinds het starten van het programma "
                "beschadigd, verwijderd of vervangen. Er is niets naar geschreven:",
                "Dieser Datensatz kann nicht mehr gelesen werden: seine Datei wurde seit dem Programmstart "
                "beschädigt, entfernt oder ersetzt. Es wurde nichts hineingeschrieben:"};
    case AppText::RecordChangedElsewhere:
        return {"This record was changed on another PC since it was opened here. Nothing was overwritten: the "
                "record now shows its new data.",
                "Cette fiche a été modifiée sur un autre PC depuis son ouverture ici. Rien n'a été écrasé : la "
                "fiche montre maintenant ses nouvelles données.",
                "Questa scheda è stata modificata su un altro PC da quando è stata aperta qui. Nulla è stato "
                "sovrascritto: la scheda mostra ora i nuovi dati.",
                "Deze kaart is op een andere pc gewijzigd sinds ze hier werd geopend. Er is niets overschreven: "
                "de kaart toont nu de nieuwe gegevens.",
                "Dieser Datensatz wurde auf einem anderen PC geändert, seit er hier geöffnet wurde. Nichts wurde "
                "überschrieben: der Datensatz zeigt jetzt die neuen Daten."};
    case AppText::HistoryNotFiledSaveBin:
        return {"The history read from the mower could not be filed. Save it as a .bin file, which File > Import "
                "history (.bin) can file later?",
                "L'historique lu dans la tondeuse n'a pas pu être classé. L'enregistrer dans un fichier .bin, que "
                "Fichier > Importer historique (.bin) pourra classer plus tard ?",
                "Lo storico letto dal rasaerba non ha potuto essere archiviato. Salvarlo in un file .bin, che "
                "File > Importa storico (.bin) potrà archiviare più tardi?",
                "De geschiedenis die uit de maaier is gelezen, kon niet worden opgeslagen. Als .bin-bestand "
                "bewaren, dat Bestand > Historie importeren (.bin) later kan opslaan?",
                "Der aus dem Mäher gelesene Verlauf konnte nicht abgelegt werden. Als .bin-Datei speichern, die "
                "Datei > Historie importieren (.bin) später ablegen kann?"};
    case AppText::ServerUnreachable:
        return {"The database server cannot be reached. The database commands wait for it; the program connects "
                "again by itself as soon as it answers:",
                "Le serveur de base de données est injoignable. Les commandes de la base l'attendent ; le "
                "programme se reconnecte de lui-même dès qu'il répond :",
                "Il server del database non è raggiungibile. I comandi del database lo attendono; il programma si "
                "ricollega da solo appena risponde:",
                "De databaseserver is niet bereikbaar. De databaseopdrachten wachten erop; het programma maakt "
                "zelf opnieuw verbinding zodra hij antwoordt:",
                "Der Datenbankserver ist nicht erreichbar. Die Datenbankbefehle warten auf ihn; das Programm "
                "verbindet sich von selbst neu, sobald er antwortet:"};
    case AppText::ServerUnreachableStatus:
        return {"Database server unreachable: %1", "Serveur de base de données injoignable : %1",
                "Server del database non raggiungibile: %1", "Databaseserver niet bereikbaar: %1",
                "Datenbankserver nicht erreichbar: %1"};
    case AppText::ServerRefused:
        return {"The database on the server cannot be used:", "La base de données du serveur ne peut pas être utilisée :",
                "Il database sul server non può essere usato:", "De database op de server kan niet worden gebruikt:",
                "Die Datenbank auf dem Server kann nicht verwendet werden:"};
    case AppText::ServerPasswordInUri:
        return {"The database server's address (DBSERVER) holds a password. A password belongs in the file "
                "~/.pgpass or in a service file, never in the settings.",
                "L'adresse du serveur de base de données (DBSERVER) contient un mot de passe. Un mot de passe se "
                "met dans le fichier ~/.pgpass ou dans un fichier de service, jamais dans les réglages.",
                "L'indirizzo del server del database (DBSERVER) contiene una password. Una password va nel file "
                "~/.pgpass o in un file di servizio, mai nelle impostazioni.",
                "Het adres van de databaseserver (DBSERVER) bevat een wachtwoord. Een wachtwoord hoort in het "
                "bestand ~/.pgpass of in een servicebestand, nooit in de instellingen.",
                "Die Adresse des Datenbankservers (DBSERVER) enthält ein Passwort. Ein Passwort gehört in die "
                "Datei ~/.pgpass oder in eine Servicedatei, nie in die Einstellungen."};
    case AppText::ServerReachedAgain:
        return {"Database server reached again.", "Serveur de base de données de nouveau joignable.",
                "Server del database di nuovo raggiungibile.", "Databaseserver weer bereikbaar.",
                "Datenbankserver wieder erreichbar."};
    case AppText::ServerConnectionLost:
        return {"The connection to the database server broke: nothing was written. Try again once the server "
                "answers:",
                "La connexion au serveur de base de données a été rompue : rien n'a été écrit. Réessayez dès que "
                "le serveur répond :",
                "La connessione al server del database si è interrotta: non è stato scritto nulla. Riprovare "
                "appena il server risponde:",
                "De verbinding met de databaseserver is verbroken: er is niets geschreven. Probeer het opnieuw "
                "zodra de server antwoordt:",
                "Die Verbindung zum Datenbankserver ist abgebrochen: es wurde nichts geschrieben. Erneut "
                "versuchen, sobald der Server antwortet:"};
    case AppText::RecordChangedWhileTyping:
        return {"This record was changed on another PC. The window shows it as it is now; the comment you are "
                "typing is kept.",
                "Cette fiche a été modifiée sur un autre PC. La fenêtre la montre telle qu'elle est maintenant ; le "
                "commentaire que vous tapez est conservé.",
                "Questa scheda è stata modificata su un altro PC. La finestra la mostra com'è ora; il commento "
                "che state scrivendo è conservato.",
                "Deze kaart is op een andere pc gewijzigd. Het venster toont ze zoals ze nu is; de opmerking die "
                "u typt, blijft bewaard.",
                "Dieser Datensatz wurde auf einem anderen PC geändert. Das Fenster zeigt ihn, wie er jetzt ist; "
                "der Kommentar, den Sie gerade schreiben, bleibt erhalten."};
    case AppText::ChangeHistoryItem:
        return {"History of changes…", "Historique des modifications…", "Cronologia delle modifiche…",
                "Geschiedenis van wijzigingen…", "Änderungsverlauf…"};
    case AppText::ChangeHistoryTitle:
        return {"History of changes of the mower %1", "Historique des modifications de la tondeuse %1",
                "Cronologia delle modifiche del rasaerba %1", "Geschiedenis van wijzigingen van maaier %1",
                "Änderungsverlauf des Mähers %1"};
    case AppText::ChangeHistoryNumber:
        return {"No.", "N°", "N.", "Nr.", "Nr."};
    case AppText::ChangeHistoryWhen:
        return {"When", "Quand", "Quando", "Wanneer", "Wann"};
    case AppText::ChangeHistoryWhere:
        return {"PC and user", "PC et utilisateur", "PC e utente", "Pc en gebruiker", "PC und Benutzer"};
    case AppText::ChangeHistoryWhat:
        return {"Change", "Modification", "Modifica", "Wijziging", "Änderung"};
    case AppText::ChangeHistoryRestore:
        return {"Restore", "Restaurer", "Ripristina", "Herstellen", "Wiederherstellen"};
    case AppText::ChangeHistoryEmpty:
        return {"This database keeps no history of changes: only a database server does.",
                "Cette base de données ne garde pas d'historique des modifications : seul un serveur de base de "
                "données le fait.",
                "Questo database non conserva la cronologia delle modifiche: solo un server di database lo fa.",
                "Deze database bewaart geen geschiedenis van wijzigingen: alleen een databaseserver doet dat.",
                "Diese Datenbank führt keinen Änderungsverlauf: nur ein Datenbankserver tut das."};
    case AppText::HistoryRestored:
        return {"The history of %1 is back in the record.", "L'historique du %1 est de retour dans la fiche.",
                "Lo storico del %1 è di nuovo nella scheda.", "De geschiedenis van %1 staat weer in de kaart.",
                "Der Verlauf vom %1 ist wieder im Datensatz."};
    case AppText::HistoryNotRestored:
        return {"The history of %1 could not be restored.", "L'historique du %1 n'a pas pu être restauré.",
                "Lo storico del %1 non ha potuto essere ripristinato.",
                "De geschiedenis van %1 kon niet worden hersteld.",
                "Der Verlauf vom %1 konnte nicht wiederhergestellt werden."};
    case AppText::ChangeRecordCreated:
        return {"Record created; histories: %1", "Fiche créée ; historiques : %1", "Scheda creata; storici: %1",
                "Kaart aangemaakt; geschiedenissen: %1", "Datensatz angelegt; Verläufe: %1"};
    case AppText::ChangeRecordRemoved:
        return {"Record removed; histories: %1", "Fiche supprimée ; historiques : %1",
                "Scheda eliminata; storici: %1", "Kaart verwijderd; geschiedenissen: %1",
                "Datensatz entfernt; Verläufe: %1"};
    case AppText::ChangeHistoryFiled:
        return {"History filed: %1", "Historique classé : %1", "Storico archiviato: %1",
                "Geschiedenis opgeslagen: %1", "Verlauf abgelegt: %1"};
    case AppText::ChangeHistoriesFiled:
        return {"Histories filed: %1", "Historiques classés : %1", "Storici archiviati: %1",
                "Geschiedenissen opgeslagen: %1", "Verläufe abgelegt: %1"};
    case AppText::ChangeHistoryDeleted:
        return {"History deleted: %1", "Historique supprimé : %1", "Storico eliminato: %1",
                "Geschiedenis verwijderd: %1", "Verlauf gelöscht: %1"};
    case AppText::ChangeHistoriesDeleted:
        return {"Histories deleted: %1", "Historiques supprimés : %1", "Storici eliminati: %1",
                "Geschiedenissen verwijderd: %1", "Verläufe gelöscht: %1"};
    case AppText::ChangeCommentEdited:
        return {"Comment changed: %1", "Commentaire modifié : %1", "Commento modificato: %1",
                "Opmerking gewijzigd: %1", "Kommentar geändert: %1"};
    case AppText::ChangeOwnerData:
        return {"Owner data changed", "Données du propriétaire modifiées", "Dati del proprietario modificati",
                "Eigenaarsgegevens gewijzigd", "Besitzerdaten geändert"};
    case AppText::ChangeUndo:
        return {"Change %1 undone:", "Modification %1 annulée :", "Modifica %1 annullata:",
                "Wijziging %1 ongedaan gemaakt:", "Änderung %1 rückgängig gemacht:"};
    case AppText::DatabasePart:
        return {"Database", "Base de données", "Database", "Database", "Datenbank"};
    case AppText::DatabaseFolderChoice:
        return {"Folder on this PC", "Dossier sur ce PC", "Cartella su questo PC", "Map op deze pc",
                "Ordner auf diesem PC"};
    case AppText::DatabaseServerChoice:
        return {"Workshop server (postgresql://…)", "Serveur de l'atelier (postgresql://…)",
                "Server dell'officina (postgresql://…)", "Werkplaatsserver (postgresql://…)",
                "Werkstattserver (postgresql://…)"};
    case AppText::DatabaseTest:
        return {"Test", "Tester", "Prova", "Testen", "Testen"};
    case AppText::DatabaseTestReached:
        return {"Reached: PostgreSQL %1, %2 records.", "Joint : PostgreSQL %1, %2 fiches.",
                "Raggiunto: PostgreSQL %1, %2 schede.", "Bereikt: PostgreSQL %1, %2 kaarten.",
                "Erreicht: PostgreSQL %1, %2 Datensätze."};
    case AppText::DatabaseTestFailed:
        return {"Not reached:", "Non joint :", "Non raggiunto:", "Niet bereikt:", "Nicht erreicht:"};
    case AppText::DatabaseNextStart:
        return {"A change of database takes effect at the next start.",
                "Un changement de base de données prend effet au prochain démarrage.",
                "Un cambio di database ha effetto al prossimo avvio.",
                "Een andere database geldt vanaf de volgende start.",
                "Ein Wechsel der Datenbank wirkt ab dem nächsten Start."};
    case AppText::InsertHistoryIdentity:
        return {"History of the mower with serial number %1, type %2",
                "Historique de la tondeuse de numéro de série %1, type %2",
                "Storico del rasaerba con numero di serie %1, tipo %2",
                "Historie van de maaier met serienummer %1, type %2",
                "Historie des Mähers mit der Seriennummer %1, Typ %2"};

    // the windows and dialogs
    case AppText::RefreshPorts:
        return {"Refresh", "Actualiser", "Aggiorna", "Vernieuwen", "Aktualisieren"};
    case AppText::LanguageNote:
        return {
                "A new language shows at the next start.",
                "Une nouvelle langue s'affiche au prochain démarrage.",
                "Una nuova lingua appare al prossimo avvio.",
                "Een nieuwe taal verschijnt bij de volgende start.",
                "Eine neue Sprache erscheint beim nächsten Start."};
    case AppText::ClosingAfterCommand:
        return {
                "The program will close as soon as the running command has ended.",
                "Le programme se fermera dès la fin de la commande en cours.",
                "Il programma si chiuderà al termine del comando in corso.",
                "Het programma wordt gesloten zodra de lopende opdracht klaar is.",
                "Das Programm wird beendet, sobald der laufende Befehl abgeschlossen ist."};
    case AppText::ReadingsButton:
        return {"Readings", "Lectures", "Letture", "Uitlezingen", "Auslesungen"};
    case AppText::ReadingsButtonTip:
        return {"Every reading of this record: choose one to show it",
                "Toutes les lectures de cette fiche : choisissez-en une pour l'afficher",
                "Tutte le letture di questa scheda: sceglierne una per mostrarla",
                "Alle uitlezingen van deze kaart: kies er een om die te tonen",
                "Alle Auslesungen dieses Datensatzes: zum Anzeigen eine auswählen"};

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

    // the progress window
    case AppText::UpgradeKeepMowerOn:
        return {"Do not unplug the mower or switch it off until the upgrade is done.",
                "Ne débranchez pas la tondeuse et ne l'éteignez pas avant la fin de la mise à jour.",
                "Non scollegare né spegnere il rasaerba finché l'aggiornamento non è terminato.",
                "Koppel de maaier niet los en schakel hem niet uit voordat de update klaar is.",
                "Den Mäher erst nach Abschluss der Aktualisierung abziehen oder ausschalten."};

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

std::string appTextIn(AppText text, int language)
{
    const TVXStringTable::LocalizedText all = texts(text);
    return all[language >= 0 && language < TVXStringTable::LanguageCount ? language : 1];
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
