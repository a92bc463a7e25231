#include "Component/SampleGenerator.h"

#include "Class/ByteIO.h"
#include "Class/HistoryGenerator.h"
#include "Class/TVXLog.h"
#include "Component/HistoryComment.h"
#include "Component/MachineId.h"
#include "Component/RecordValidation.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <span>
#include <string_view>

namespace {

namespace chr = std::chrono;
using Texts = std::span<const char* const>;

// ---- owners ---------------------------------------------------------------

enum class Postcode {
    Before,   // "25000 Besançon"
    Dutch,    // "3811 CV Amersfoort": the city's two digits, two more and two letters
    British,  // "Harrogate HG1 4QB": the city's district, a digit and two letters
};

struct City {
    const char* name;
    const char* code;
};

// Mower languages as the mower numbers them.
enum MowerLanguage : std::uint8_t { English = 0, French = 1, Dutch = 2, Italian = 3, Spanish = 4, German = 5 };

struct Region {
    MowerLanguage language;  // also the dealer's, for the comments
    Texts firstNames;
    Texts surnames;
    Texts streets;           // '#' stands for the house number
    Texts extraLines;        // a house name, hamlet or building before the street
    std::span<const City> cities;
    Postcode postcode;
    int weight;
    bool spanishNeighbours;  // some owners came from Spain and keep their mower in Spanish
};

constexpr const char* EnglishFirst[] = {
    "Oliver", "Charlotte", "James", "Emily", "Harry", "Sophie", "George", "Amelia", "Thomas", "Chloë",
    "William", "Zoë", "Edward", "Renée", "Henry", "Olivia", "Jack", "Isabel", "Arthur", "Margaret"};
constexpr const char* EnglishSurnames[] = {
    "Smith", "Jones", "Taylor", "Brown", "Williams", "Wilson", "Davies", "Evans", "Thompson",
    "Clarke", "O'Brien", "Ashworth", "Brontë", "Whitmore", "Fairbanks", "Hughes", "Pemberton", "Lloyd"};
constexpr const char* EnglishStreets[] = {
    "# Orchard Lane", "# Church Street", "# Mill Road", "# The Green", "# Station Road",
    "# Meadow Close", "# Victoria Avenue", "# Manor Way"};
constexpr const char* EnglishExtras[] = {"Rose Cottage", "The Old Rectory", "Willow Farm", "Flat 2, Ivy House"};
constexpr City EnglishCities[] = {
    {"Cheltenham", "GL50"}, {"Harrogate", "HG1"}, {"Guildford", "GU1"}, {"Bath", "BA1"},
    {"Stratford-upon-Avon", "CV37"}, {"Winchester", "SO23"}, {"Chester", "CH1"}, {"Ludlow", "SY8"},
    {"Tunbridge Wells", "TN1"}, {"Keswick", "CA12"}};

constexpr const char* FrenchFirst[] = {
    "Jean", "Hélène", "François", "Chloé", "Jérôme", "Amélie", "Benoît", "Clémence", "Gaël", "Anaïs", "Loïc",
    "Noémie", "Stéphane", "Céline", "René", "Thérèse", "Mathéo", "Léa", "Joël", "Maëlle", "Frédéric", "Geneviève"};
constexpr const char* FrenchSurnames[] = {
    "Martin", "Bernard", "Dubois", "Lefèvre", "Girard", "Rousseau", "Mercier", "Faure", "Lemaître",
    "Rivière", "Chevalier", "Guérin", "Fournier", "Bénard", "Delacroix", "Lebœuf", "Garçon", "Mazière",
    "Hébert", "Lécuyer", "Thévenin"};
constexpr const char* FrenchStreets[] = {
    "#, rue des Écoles", "#, avenue du Général-Leclerc", "#, chemin du Moulin", "#, rue de l'Église",
    "#, impasse des Genêts", "#, place du Marché", "#, allée des Châtaigniers", "#, rue du Cœur-Volant"};
constexpr const char* FrenchExtras[] = {
    "Lieu-dit Les Pérès", "Résidence Les Érables, bât. B", "Le Clos Fleuri", "Hameau de Sainte-Agnès"};
constexpr City FrenchCities[] = {
    {"Besançon", "25000"}, {"Orléans", "45000"}, {"Nîmes", "30000"}, {"Béziers", "34500"},
    {"Saint-Étienne", "42000"}, {"Angoulême", "16000"}, {"Périgueux", "24000"}, {"Mâcon", "71000"},
    {"Alençon", "61000"}, {"Montélimar", "26200"}, {"Sarlat-la-Canéda", "24200"}, {"Évreux", "27000"},
    {"Brive-la-Gaillarde", "19100"}};
constexpr City WalloonCities[] = {
    {"Liège", "4000"}, {"Namur", "5000"}, {"Mons", "7000"}, {"Wavre", "1300"}, {"Arlon", "6700"}};
constexpr City RomandCities[] = {
    {"Lausanne", "1003"}, {"Neuchâtel", "2000"}, {"Genève", "1204"}, {"Fribourg", "1700"},
    {"Sion", "1950"}, {"Montreux", "1820"}};
constexpr const char* RomandStreets[] = {
    "Chemin des Vignes #", "Rue du Lac #", "Route de Berne #", "Avenue de la Gare #", "Chemin de la Forêt #"};

constexpr const char* DutchFirst[] = {
    "Daan", "Sanne", "Noël", "Anneloes", "Daniëlle", "Zoë", "Sem", "Lotte", "Thijs", "Femke",
    "Bram", "Anouk", "Ruud", "Geert", "Marijke", "Joël", "Inge", "Maarten", "Chloë", "Kees"};
constexpr const char* DutchSurnames[] = {
    "de Jong", "Jansen", "de Vries", "van den Berg", "van Dijk", "Bakker", "Visser", "Smit", "Meijer",
    "de Boer", "Mulder", "van der Linden", "Hendriks", "Dekker", "Brouwer", "'t Hart", "van Leeuwen", "Çelik"};
constexpr const char* DutchStreets[] = {
    "Kerkstraat #", "Dorpsweg #", "Molenlaan #", "Hoofdstraat #", "Beukenlaan #", "Schoolstraat #",
    "Rijksstraatweg #"};
constexpr const char* DutchExtras[] = {"Boerderij De Eikenhof", "Huize Rozendaal", "Hoeve De Kleine Weide"};
constexpr City DutchCities[] = {
    {"Amersfoort", "38"}, {"Apeldoorn", "73"}, {"Zwolle", "80"}, {"Haarlem", "20"}, {"Eindhoven", "56"},
    {"Breda", "48"}, {"Deventer", "74"}, {"Zeist", "37"}, {"Assen", "94"}, {"Heeswijk-Dinther", "54"}};
constexpr const char* FlemishFirst[] = {
    "Jef", "Lieve", "Wout", "Griet", "Koen", "Els", "Stijn", "An", "Joris", "Hanne", "Zoë", "Noël"};
constexpr const char* FlemishSurnames[] = {
    "Janssens", "Peeters", "Maes", "Claes", "Wouters", "Vermeulen", "Goossens", "De Smet", "Van Damme",
    "Desmet", "Willems"};
constexpr const char* FlemishStreets[] = {
    "Kerkstraat #", "Stationsstraat #", "Molenstraat #", "Dorpsplein #", "Kapelleweg #"};
constexpr City FlemishCities[] = {
    {"Gent", "9000"}, {"Leuven", "3000"}, {"Brugge", "8000"}, {"Genk", "3600"}, {"Mechelen", "2800"}};

constexpr const char* ItalianFirst[] = {
    "Niccolò", "Lucia", "Giosuè", "Mattia", "Chiara", "Francesco", "Giulia", "Andrea", "Ilaria", "Tommaso",
    "Noè", "Sara", "Elisa", "Pietro", "Gianluca", "Nicolò", "Beatrice", "Lorenzo", "Federica", "Michele"};
constexpr const char* ItalianSurnames[] = {
    "Rossi", "Russo", "Ferrari", "Esposito", "Bianchi", "Romano", "Colombo", "Ricci", "Marino", "Greco",
    "Bruno", "Gallo", "Conti", "De Luca", "Mancini", "Costa", "Giordano", "Lombardi", "Moretti", "Cantù",
    "Pirrò", "Falcò", "Bertè"};
constexpr const char* ItalianStreets[] = {
    "Via Garibaldi #", "Via Roma #", "Viale della Libertà #", "Via dei Mille #", "Località Poggio Alto #",
    "Via San Nicolò #", "Corso Vittorio Emanuele II #", "Piazza Cavour #", "Via Carducci #"};
constexpr const char* ItalianExtras[] = {
    "Frazione San Martino", "Cascina Belvedere", "Villa Serena, scala B", "Podere Le Querce"};
constexpr City ItalianCities[] = {
    {"Cantù (CO)", "22063"}, {"Forlì (FC)", "47121"}, {"Mondovì (CN)", "12084"}, {"Cefalù (PA)", "90015"},
    {"Ferrara (FE)", "44121"}, {"Bergamo (BG)", "24121"}, {"Treviso (TV)", "31100"}, {"Asti (AT)", "14100"},
    {"Verona (VR)", "37121"}, {"Brescia (BS)", "25121"}, {"Nardò (LE)", "73048"},
    {"San Donà di Piave (VE)", "30027"}};

constexpr const char* GermanFirst[] = {
    "Jürgen", "Jörg", "Björn", "Günter", "Käthe", "Sören", "Anna-Lena", "Maximilian", "Lukas", "Sophie",
    "Uwe", "Bärbel", "Hans-Jürgen", "Jörn", "Mareike", "Tobias", "Annegret", "Franziska", "Dörte", "Klaus"};
constexpr const char* GermanSurnames[] = {
    "Müller", "Schäfer", "Weiß", "Groß", "Strauß", "Köhler", "Schröder", "Krüger", "Böhm", "Hoffmann",
    "Fuchs", "Jäger", "Schulze", "Voß", "Meißner", "Wagner", "Becker", "Hübner", "Löffler", "Bräuer"};
constexpr const char* GermanStreets[] = {
    "Lindenstraße #", "Am Mühlbach #", "Hauptstraße #", "Gartenweg #", "Schloßallee #", "Birkenweg #",
    "Über den Gärten #", "Kirchplatz #", "Rosenhöhe #"};
constexpr const char* GermanExtras[] = {"Gärtnerei Sonnenhof", "Hinterhaus", "OT Oberwössen", "c/o Familie Brückner"};
constexpr City GermanCities[] = {
    {"Freiburg im Breisgau", "79098"}, {"Göttingen", "37073"}, {"Würzburg", "97070"}, {"Lübeck", "23552"},
    {"Nürnberg", "90402"}, {"Tübingen", "72070"}, {"Fürth", "90762"}, {"Saarbrücken", "66111"},
    {"Düsseldorf", "40213"}, {"München", "80331"}, {"Köln", "50667"}, {"Mönchengladbach", "41061"},
    {"Lüneburg", "21335"}};
constexpr const char* AustrianFirst[] = {
    "Florian", "Johanna", "Lukas", "Magdalena", "Stefan", "Theresia", "Andreas", "Veronika", "Jürgen", "Lena"};
constexpr const char* AustrianSurnames[] = {
    "Gruber", "Huber", "Bauer", "Wagner", "Pichler", "Steiner", "Moser", "Mayer", "Hofer", "Leitner",
    "Berger", "Fuchs", "Eder", "Höller", "Pöschl", "Brückl"};
constexpr const char* AustrianStreets[] = {"Hauptplatz #", "Dorfstraße #", "Am Sonnenhang #", "Schloßbergweg #"};
constexpr City AustrianCities[] = {
    {"Graz", "8010"}, {"Innsbruck", "6020"}, {"Klagenfurt am Wörthersee", "9020"}, {"Linz", "4020"},
    {"Salzburg", "5020"}, {"Wien", "1130"}, {"Pörtschach am Wörthersee", "9210"}};
// Swiss spelling has no ß.
constexpr const char* SwissStreets[] = {"Bahnhofstrasse #", "Seestrasse #", "Rütiweg #", "Dorfstrasse #", "Im Grüt #"};
constexpr City SwissCities[] = {
    {"Zürich", "8049"}, {"Luzern", "6003"}, {"Bern", "3011"}, {"St. Gallen", "9000"}, {"Küsnacht ZH", "8700"}};

constexpr const char* SpanishFirst[] = {
    "José", "Begoña", "Iñaki", "Nuria", "María José", "Íñigo", "Ángel", "Mónica", "Andrés", "Lucía"};
constexpr const char* SpanishSurnames[] = {
    "Muñoz", "Ibáñez", "Núñez", "Peña", "Castaño", "Ordóñez", "Cañete", "Gómez", "Martínez", "Sánchez"};

constexpr Region Regions[] = {
    {English, EnglishFirst, EnglishSurnames, EnglishStreets, EnglishExtras, EnglishCities, Postcode::British, 10, false},
    {French, FrenchFirst, FrenchSurnames, FrenchStreets, FrenchExtras, FrenchCities, Postcode::Before, 24, true},
    {French, FrenchFirst, FlemishSurnames, FrenchStreets, FrenchExtras, WalloonCities, Postcode::Before, 5, false},
    {French, FrenchFirst, FrenchSurnames, RomandStreets, FrenchExtras, RomandCities, Postcode::Before, 4, true},
    {Dutch, DutchFirst, DutchSurnames, DutchStreets, DutchExtras, DutchCities, Postcode::Dutch, 12, false},
    {Dutch, FlemishFirst, FlemishSurnames, FlemishStreets, DutchExtras, FlemishCities, Postcode::Before, 6, false},
    {Italian, ItalianFirst, ItalianSurnames, ItalianStreets, ItalianExtras, ItalianCities, Postcode::Before, 15, false},
    {German, GermanFirst, GermanSurnames, GermanStreets, GermanExtras, GermanCities, Postcode::Before, 16, true},
    {German, AustrianFirst, AustrianSurnames, AustrianStreets, GermanExtras, AustrianCities, Postcode::Before, 4, false},
    {German, GermanFirst, GermanSurnames, SwissStreets, GermanExtras, SwissCities, Postcode::Before, 4, false},
};

// The dealer's notes on a visit, in the dealer's language; the last of each
// is the one for a replaced board.
constexpr const char* EnglishNotes[] = {
    "Blades replaced, cutting height set to 4 cm.",
    "Owner reports the mower stops on the slope by the pond.\nPerimeter wire checked: fine.",
    "Spring service: battery tested, charging contacts cleaned.",
    "Front wheel bearing worn, replaced.",
    "Main board replaced under warranty."};
constexpr const char* FrenchNotes[] = {
    "Lames changées, hauteur de coupe réglée à 4 cm.",
    "Le client signale des arrêts près du bassin.\nFil périphérique vérifié : RAS.",
    "Révision de printemps : batterie testée, contacts de charge nettoyés.",
    "Roulement de roue avant usé, remplacé.",
    "Carte électronique remplacée sous garantie."};
constexpr const char* DutchNotes[] = {
    "Messen vervangen, maaihoogte op 4 cm gezet.",
    "Klant meldt dat de maaier stilvalt bij de vijver.\nBegrenzingsdraad gecontroleerd: in orde.",
    "Voorjaarsbeurt: accu getest, laadcontacten gereinigd.",
    "Lager van het voorwiel versleten, vervangen.",
    "Hoofdprint vervangen onder garantie."};
constexpr const char* ItalianNotes[] = {
    "Lame sostituite, altezza di taglio regolata a 4 cm.",
    "Il cliente segnala arresti sul pendio vicino alla piscina.\nFilo perimetrale controllato: è a posto.",
    "Tagliando di primavera: batteria verificata, contatti di ricarica puliti.",
    "Cuscinetto della ruota anteriore usurato, sostituito.",
    "Scheda elettronica sostituita in garanzia."};
constexpr const char* GermanNotes[] = {
    "Messer gewechselt, Schnitthöhe auf 4 cm eingestellt.",
    "Kunde meldet Stillstand am Hang hinter der Garage.\nBegrenzungsdraht geprüft: in Ordnung.",
    "Frühjahrsinspektion: Akku geprüft, Ladekontakte gereinigt.",
    "Vorderradlager verschlissen, getauscht.",
    "Hauptplatine auf Garantie getauscht."};

Texts notesOf(MowerLanguage language)
{
    switch (language) {
    case French:
        return FrenchNotes;
    case Dutch:
        return DutchNotes;
    case Italian:
        return ItalianNotes;
    case German:
        return GermanNotes;
    default:
        return EnglishNotes;
    }
}

std::string withNumber(std::string_view pattern, SampleRandom& r, MowerLanguage language)
{
    std::string number = std::to_string(r.between(1, 120));
    if (r.chance(8))
        number += language == French ? " bis" : "a";
    std::string text(pattern);
    if (const std::size_t at = text.find('#'); at != std::string::npos)
        text.replace(at, 1, number);
    return text;
}

std::string cityLine(const Region& region, SampleRandom& r)
{
    const City& city = r.pick(region.cities);
    const std::string name = city.name;
    switch (region.postcode) {
    case Postcode::Dutch: {
        char code[16];
        std::snprintf(code, sizeof code, "%s%02d %c%c", city.code, r.between(10, 99), 'A' + r.between(0, 25),
                      'A' + r.between(0, 25));
        return std::string(code) + " " + name;
    }
    case Postcode::British: {
        char code[16];
        std::snprintf(code, sizeof code, "%s %d%c%c", city.code, r.between(1, 9), 'A' + r.between(0, 25),
                      'A' + r.between(0, 25));
        return name + " " + code;
    }
    case Postcode::Before:
        break;
    }
    return std::string(city.code) + " " + name;
}

std::string addressOf(const Region& region, SampleRandom& r)
{
    std::string memo;
    if (r.chance(35))
        memo += std::string(r.pick(region.extraLines)) + "\n";
    memo += withNumber(r.pick(region.streets), r, region.language) + "\n";
    memo += cityLine(region, r);
    return createdAddress(memo);
}

std::size_t pickRegion(SampleRandom& r)
{
    int total = 0;
    for (const Region& region : Regions)
        total += region.weight;
    int draw = r.between(0, total - 1);
    for (std::size_t i = 0; i < std::size(Regions); ++i) {
        if (draw < Regions[i].weight)
            return i;
        draw -= Regions[i].weight;
    }
    return 0;
}

// ---- mowers ---------------------------------------------------------------

// How often each type code turns up: every known one, and a few mowers of a
// code the program has no type for.
constexpr std::pair<std::uint8_t, int> TypeOdds[] = {
    {4, 26}, {1, 14}, {5, 10}, {7, 12}, {9, 8}, {10, 6}, {11, 10}, {13, 10}, {3, 2}, {6, 1}, {12, 1}};
// One of each known code and one unknown code, where the count has room.
constexpr std::uint8_t EveryCode[] = {1, 4, 5, 7, 9, 10, 11, 13, 3};

constexpr std::uint32_t FirstSerial = 0x04000000;
// Each identifier year has a block of serial numbers; records draw from its
// first part, mowers outside the database (the sample .bin) from the rest.
constexpr std::uint32_t YearBlock = 0x100000;
constexpr std::uint32_t RecordSerials = 0xE0000;
constexpr int FirstIdYear = 4;
constexpr int LastIdYear = 25;

// The firmware releases, each version spelling its date: 0x08071601 is the
// first build of 16 July 2008.
constexpr std::uint32_t Releases[] = {
    0x04032201, 0x05011801, 0x05100401, 0x06052301, 0x07031202, 0x08040901, 0x08040902,
    0x08071601, 0x09061001, 0x10022401, 0x11050301, 0x12090701, 0x14031101, 0x15093001,
    0x17052201, 0x19040301, 0x21031601, 0x23050201, 0x25030401};
// What the sample upgrade file brings.
constexpr const char* UpgradeVersion = "25090101";

int bcdValue(std::uint32_t byte)
{
    return static_cast<int>((byte >> 4) * 10 + (byte & 0x0F));
}

int dayNumber(int year, int month, int day)
{
    const chr::year_month_day date {chr::year(year), chr::month(static_cast<unsigned>(month)),
                                    chr::day(static_cast<unsigned>(day))};
    return static_cast<int>(chr::sys_days(date).time_since_epoch().count());
}

chr::year_month_day dateOf(int day)
{
    return chr::year_month_day {chr::sys_days {chr::days {day}}};
}

int releaseDay(std::uint32_t version)
{
    return dayNumber(2000 + bcdValue(version >> 24), bcdValue((version >> 16) & 0xFF), bcdValue((version >> 8) & 0xFF));
}

// The newest release out by that day (the first one before any).
std::uint32_t versionOn(int day)
{
    std::uint32_t version = Releases[0];
    for (const std::uint32_t release : Releases)
        if (releaseDay(release) <= day)
            version = release;
    return version;
}

// The bootloader a board of that identifier year came with.
std::uint8_t bootloaderOf(int idYear)
{
    if (idYear <= 7)
        return 0x14;
    if (idYear <= 11)
        return 0x21;
    if (idYear <= 17)
        return 0x22;
    return 0x23;
}

TVXLog::InfoHead infoHeadOf(std::uint32_t version)
{
    // From the firmware of July 2008 on, the mower reports its P007.
    return {0x00, static_cast<std::uint8_t>(version >= 0x08071601 ? 6 : 5), 0x00, 0x00, 0x00, 0x00};
}

int historyCount(SampleRandom& r)
{
    const int draw = r.between(0, 99);
    return draw < 25 ? 1 : draw < 50 ? 2 : draw < 70 ? 3 : draw < 85 ? 4 : 5;
}

TVXLogTime dateAt(int day, SampleRandom& r)
{
    const chr::year_month_day date = dateOf(day);
    return TVXLogTime(static_cast<std::uint16_t>(int(date.year())), static_cast<std::uint8_t>(unsigned(date.month())),
                      static_cast<std::uint8_t>(unsigned(date.day())), static_cast<std::uint8_t>(r.between(8, 17)),
                      static_cast<std::uint8_t>(r.between(0, 59)), static_cast<std::uint8_t>(r.between(0, 59)));
}

// The days of a mower's visits to the dealer: the first within its first years,
// the others spread up to the last sample day, each on a day of its own.
std::vector<int> visitDays(SampleRandom& r, int firstDay, int count)
{
    const int last = dayNumber(SampleGenerator::LastVisitYear, 10, 31);
    const int first = firstDay + r.between(0, std::max(0, (last - firstDay) / 3));
    const int gap = std::max(1, (last - first) / count);
    std::vector<int> days;
    for (int k = 0; k < count; ++k)
        days.push_back(std::min(last, first + k * gap + r.between(0, gap / 2)));
    return days;
}

std::string hexByte(std::uint8_t value)
{
    static const char digits[] = "0123456789ABCDEF";
    return {digits[value >> 4], digits[value & 15]};
}

}  // namespace

SampleGenerator::SampleGenerator(std::uint64_t seed, std::size_t count)
    : seed_(seed), count_(count), typeCodes_(count)
{
    SampleRandom r(SampleRandom::derive(seed, 1));
    int total = 0;
    for (const auto& [code, weight] : TypeOdds)
        total += weight;
    for (std::uint8_t& code : typeCodes_) {
        int draw = r.between(0, total - 1);
        for (const auto& [candidate, weight] : TypeOdds) {
            if (draw < weight) {
                code = candidate;
                break;
            }
            draw -= weight;
        }
    }
    if (count >= std::size(EveryCode)) {
        std::set<std::size_t> taken;
        for (const std::uint8_t code : EveryCode) {
            std::size_t index = 0;
            do
                index = static_cast<std::size_t>(r.between(0, static_cast<int>(count) - 1));
            while (!taken.insert(index).second);
            typeCodes_[index] = code;
        }
    }
}

std::uint32_t SampleGenerator::drawSerial(SampleRandom& r, int idYear)
{
    const std::uint32_t block = FirstSerial + static_cast<std::uint32_t>(std::clamp(idYear, FirstIdYear, LastIdYear) - FirstIdYear) * YearBlock;
    for (;;) {
        const std::uint32_t serial = block + static_cast<std::uint32_t>(r.between(0, int(RecordSerials) - 1));
        if (serials_.insert(serial).second)
            return serial;
    }
}

SampleGenerator::Record SampleGenerator::next()
{
    if (done())
        return {};
    const std::size_t index = made_++;
    SampleRandom r(SampleRandom::derive(seed_, 0x1000 + index));
    // One mower, a third of the way in, had its board replaced before its newest reading.
    const bool replacedBoard = index == count_ / 3;

    auto record = std::make_unique<TVXMowerLog>();
    TVXOwner& owner = record->getOwner();
    std::size_t regionIndex = pickRegion(r);
    MowerLanguage language = Regions[regionIndex].language;
    if (!households_.empty() && r.chance(6)) {
        // A second mower of a household: the same surname and address.
        const auto& [region, earlier] = households_[static_cast<std::size_t>(r.between(0, int(households_.size()) - 1))];
        regionIndex = region;
        language = Regions[region].language;
        owner.setSurname(earlier.getSurname());
        owner.setAddress(earlier.getAddress());
        owner.setName(r.pick(Regions[region].firstNames));
    } else {
        const Region& region = Regions[regionIndex];
        const bool spanish = region.spanishNeighbours && r.chance(8);
        owner.setName(r.pick(spanish ? Texts(SpanishFirst) : region.firstNames));
        owner.setSurname(r.pick(spanish ? Texts(SpanishSurnames) : region.surnames));
        owner.setAddress(addressOf(region, r));
        if (spanish)
            language = Spanish;
    }
    if (households_.size() < 64)
        households_.emplace_back(regionIndex, owner);
    const Texts notes = notesOf(Regions[regionIndex].language);

    const std::uint8_t typeCode = typeCodes_[index];
    const std::uint8_t typeByte = static_cast<std::uint8_t>(0x20 | typeCode);
    int idYear = r.between(FirstIdYear, replacedBoard ? 20 : LastIdYear);
    std::uint32_t idNumber = static_cast<std::uint32_t>(r.between(1, 999));
    // A machine identifier that no other record has: when this one is taken,
    // the next free number, then the next year's.
    for (int tries = 0; tries < 999 * (LastIdYear - FirstIdYear + 1); ++tries) {
        if (machineIds_.insert(buildMachineId(typeCode, static_cast<std::uint8_t>(idYear), idNumber, 0)).second)
            break;
        if (++idNumber > 999) {
            idNumber = 1;
            idYear = idYear == LastIdYear ? FirstIdYear : idYear + 1;
        }
    }
    record->setTypeCode(typeCode);
    record->setIdYear(static_cast<std::uint8_t>(idYear));
    record->setIdNumber(idNumber);
    record->setIdSuffix(0);

    const std::uint32_t firstSerial = drawSerial(r, idYear);
    const int built = dayNumber(2000 + idYear, 1, 1) + r.between(0, 59);
    const int sold = dayNumber(2000 + idYear, r.between(3, 6), r.between(1, 28));
    const int histories = replacedBoard ? r.between(3, 5) : historyCount(r);
    const std::vector<int> days = visitDays(r, sold, histories);
    const std::uint64_t mowerSeed = r.next();
    std::uint32_t version = 0;
    for (int k = 0; k < histories; ++k) {
        const bool newBoard = replacedBoard && k == histories - 1;
        const int day = days[static_cast<std::size_t>(k)];
        const TVXLogTime date = dateAt(day, r);
        // Dealers do not upgrade at every visit: the version may lag the releases.
        version = std::max(version, versionOn(day - r.between(0, 300)));
        const int boardYear = newBoard ? int(date.year) - 2000 : idYear;

        ImageRecipe recipe;
        recipe.mowerSeed = newBoard ? SampleRandom::derive(mowerSeed, 1) : mowerSeed;
        recipe.historySeed = r.next();
        recipe.events = r.between(30, 400);
        recipe.typeByte = typeByte;
        recipe.language = language;
        recipe.readAt = date;
        recipe.daysInService = newBoard ? r.between(20, 200) : day - built;
        auto history = std::make_unique<TVXLog>(generateHistoryImage(recipe));
        history->setSerialNumber(newBoard ? drawSerial(r, boardYear) : firstSerial);
        history->setTypeByte(typeByte);
        history->setSoftwareVersion(version);
        history->setBootloaderVersion(bootloaderOf(boardYear));
        history->setInfoHead(infoHeadOf(version));
        history->setDate(date);
        if (newBoard)
            history->setComment(commentFromMemoText(notes.back()));
        else if (r.chance(12))
            history->setComment(commentFromMemoText(notes[static_cast<std::size_t>(r.between(0, int(notes.size()) - 2))]));
        record->insertLog(std::move(history));
    }
    return {firstSerial, std::move(record)};
}

std::string SampleGenerator::binHistory() const
{
    SampleRandom r(SampleRandom::derive(seed_, 2));
    const int idYear = 24;
    const std::uint32_t serial = FirstSerial + static_cast<std::uint32_t>(idYear - FirstIdYear) * YearBlock
                                 + RecordSerials + static_cast<std::uint32_t>(r.between(0, int(YearBlock - RecordSerials) - 1));
    const std::uint32_t version = Releases[std::size(Releases) - 1];
    const std::uint8_t typeByte = 0x24;

    ImageRecipe recipe;
    recipe.mowerSeed = r.next();
    recipe.historySeed = r.next();
    recipe.events = r.between(250, 350);
    recipe.typeByte = typeByte;
    recipe.language = English;
    recipe.readAt = TVXLogTime(LastVisitYear, 10, 28, 15, 40, 0);
    recipe.daysInService = dayNumber(LastVisitYear, 10, 28) - dayNumber(2000 + idYear, 2, 10);
    const TVXLog::Image image = generateHistoryImage(recipe);

    std::string bytes(TVXLog::InfoFrameSize, '\0');
    auto* frame = reinterpret_cast<unsigned char*>(bytes.data());
    const TVXLog::InfoHead head = infoHeadOf(version);
    std::copy(head.begin(), head.end(), frame);
    frame[6] = typeByte;
    byteio::putU32BE(frame + 7, version);
    byteio::putU32BE(frame + 11, serial);
    frame[15] = bootloaderOf(idYear);
    bytes.append(reinterpret_cast<const char*>(image.data()), image.size());
    return bytes;
}

std::string SampleGenerator::upgradeFile() const
{
    SampleRandom r(SampleRandom::derive(seed_, 3));
    struct Section {
        const char* tag;
        std::uint32_t base;
        int lines;
    };
    // At the simulator's pace a data line takes about 10 ms: some 300 make a
    // demonstration of a few seconds.
    constexpr Section Sections[] = {{"[MAIN]", 0x004000, 230}, {"[FIR]", 0x000000, 40}, {"[EXT]", 0x010000, 30}};
    constexpr int LineBytes = 32;

    std::string text = std::string("[TAG] ") + UpgradeVersion + "\r\n";
    for (const Section& section : Sections) {
        text += std::string(section.tag) + "\r\n";
        std::uint32_t address = section.base;
        for (int line = 0; line < section.lines; ++line) {
            // A record: 24-bit address, byte count, the bytes and a checksum
            // that brings the record's sum to zero.
            const int count = line + 1 < section.lines ? LineBytes : r.between(8, LineBytes - 1);
            std::vector<std::uint8_t> record = {static_cast<std::uint8_t>(address >> 16),
                                                static_cast<std::uint8_t>(address >> 8),
                                                static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(count)};
            for (int i = 0; i < count; ++i)
                record.push_back(static_cast<std::uint8_t>(r.next() >> 56));
            std::uint8_t sum = 0;
            for (const std::uint8_t byte : record)
                sum = static_cast<std::uint8_t>(sum + byte);
            record.push_back(static_cast<std::uint8_t>(0x100 - sum));
            for (const std::uint8_t byte : record)
                text += hexByte(byte);
            text += "\r\n";
            address += static_cast<std::uint32_t>(count);
        }
    }
    return text;
}
