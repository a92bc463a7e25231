// Renders the windows of the application to PNG files, off screen, for the
// user guide: the main window on a database of about forty mowers, a record
// window on each of its three sheets, the record dialogs, the options dialog
// and the progress window, in English and in French.
//
//   quorvane-screenshots --out DIR [--database DIR] [--languages en,fr]
//
// Everything the windows read and write lives in a temporary folder: the
// settings, the trace log and a copy of the database (the one given, or one
// made here). The dealer's own settings and database are never opened.

#include "Class/HistoryTrends.h"
#include "Class/RecordFile.h"
#include "Class/TVXLog.h"
#include "Class/TVXLogTime.h"
#include "Class/TVXMowerLog.h"
#include "Component/RecordFileName.h"
#include "Component/ServiceReport.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "Component/FolderRecordStore.h"
#include "core/AppPaths.h"
#include "core/MessageNumbers.h"
#include "core/TStatusForm.h"
#include "core/TVXStringTable.h"
#include "report/ServiceReportPdf.h"
#include "ui/EventTableModel.h"
#include "ui/TChildForm.h"
#include "ui/TTVXMainForm.h"
#include "ui/TTVXOptionForm.h"
#include "ui/TchangeODataForm.h"
#include "ui/TcreateForm.h"
#include "ui/TinsertForm.h"
#include "support/ScriptedUser.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// ---- a sample database -------------------------------------------------------

// The same numbers on every run: the pictures change only when the windows do.
class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed * 2654435761u + 1u) {}
    std::uint32_t next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int between(int lo, int hi) { return lo + int(next() % std::uint32_t(hi - lo + 1)); }
    bool chance(int percent) { return between(0, 99) < percent; }

private:
    std::uint32_t state_;
};

std::uint8_t bcd(int value)
{
    return std::uint8_t((value / 10) * 16 + value % 10);
}

void put24(TVXLog::Image& image, std::size_t at, std::uint32_t value)
{
    image[at] = std::uint8_t(value >> 16);
    image[at + 1] = std::uint8_t(value >> 8);
    image[at + 2] = std::uint8_t(value);
}

struct Event {
    int day, month, hour, minute;
    std::uint8_t code, extra, fu1, fu2;
};

// Event codes of the ring.
enum : std::uint8_t {
    StartCharging = 0, EndCharging = 1, OpenBonnet = 2, StationCapture = 3, StationSeeking = 4, Alarm = 5,
    SwitchOn = 6, SwitchOff = 7, StartWorking = 8, RestOntoStation = 9, AbortCapture = 10, SoftwareUpdate = 11,
};

constexpr int MonthDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// The alarm byte of an alarm: codes 0 to 31 name the cutting heads whose bit
// is set (kept shifted by the types whose heads are counted differently),
// codes 32 and up the other alarms.
std::uint8_t headAlarm(int head, std::uint8_t typeCode)
{
    const int shift = typeCode == 5 ? 1 : typeCode == 11 ? 2 : 0;
    return std::uint8_t((1 << head) << shift);
}
std::uint8_t otherAlarm(int base)
{
    return std::uint8_t(31 + base);
}

// A mowing season up to the day before the reading: mornings of work, station
// seeking and charging, nights on the station, now and then an alarm or the
// bonnet opened, and a software update when the firmware changed.
std::vector<Event> seasonEvents(Random& random, const TVXLogTime& readAt, int days, bool updated,
                                std::uint8_t typeCode)
{
    // Left and right wheel blocked, no wire signal, wire lost, wheel slipping,
    // blocked on the wire, lifted, battery low, no station, dead end.
    static const int alarms[] = {2, 3, 15, 18, 20, 21, 34, 14, 16, 19};
    std::vector<Event> events;
    int day = readAt.day, month = readAt.month;
    // Walk back to the first day of the season.
    for (int i = 0; i < days; ++i) {
        if (--day == 0) {
            month = month == 1 ? 12 : month - 1;
            day = MonthDays[month - 1];
        }
    }
    const auto add = [&](int hour, int minute, std::uint8_t code, std::uint8_t extra = 0) {
        events.push_back({day, month, hour, minute, code, extra, std::uint8_t(random.between(118, 142)),
                          std::uint8_t(random.between(0, 40))});
    };
    add(9, random.between(0, 50), SwitchOn);
    if (updated) {
        add(9, 55, OpenBonnet);
        add(9, 56, SwitchOff);
        add(10, 2, SwitchOn);
        add(10, 3, SoftwareUpdate);
    }
    for (int i = 0; i < days; ++i) {
        // The first day's work starts after the switching on; the second
        // day's ends in an alarm, as one often does after a service.
        if (i == 0 || i == 1 || random.chance(78)) {
            const int hour = i == 0 ? 11 : random.between(8, 10);
            add(hour, random.between(0, 59), StartWorking);
            if (i == 1 || (i > 1 && random.chance(9))) {
                add(hour + 1, random.between(0, 59), Alarm,
                    random.chance(25) ? headAlarm(random.between(0, 2), typeCode)
                                      : otherAlarm(alarms[random.between(0, 9)]));
            } else {
                add(hour + 2, random.between(0, 59), StationSeeking);
                if (random.chance(6))
                    add(hour + 2, 59, AbortCapture);
                add(hour + 3, random.between(0, 20), StationCapture);
                add(hour + 3, random.between(21, 30), StartCharging);
                add(hour + 4, random.between(31, 59), EndCharging);
                add(hour + 5, random.between(0, 30), RestOntoStation);
            }
        }
        if (random.chance(3))
            add(17, random.between(0, 59), OpenBonnet);
        if (++day > MonthDays[month - 1]) {
            day = 1;
            month = month == 12 ? 1 : month + 1;
        }
    }
    // The ring keeps the newest 992.
    if (events.size() > TVXLog::EventSlots)
        events.erase(events.begin(), events.end() - TVXLog::EventSlots);
    return events;
}

struct Mower {
    const char* name;
    const char* surname;
    const char* address;
    std::uint8_t typeCode;
    std::uint8_t idYear;
    std::uint16_t idNumber;
    int histories;
};

// Made-up owners, with the accents of the dealers' countries.
const Mower Mowers[] = {
    {"Éloïse", "Marchand", "12 rue des Écoles\n69003 Lyon", 4, 7, 123, 4},
    {"Hélène", "Dubois-Lefèvre", "Le Clos Fleuri\n4 chemin des Prés\n38200 Vienne", 4, 8, 215, 2},
    {"François", "Géraud", "27 avenue Jean-Jaurès\n31000 Toulouse", 5, 6, 48, 3},
    {"Amélie", "Rousseau", "3 impasse du Moulin\n44000 Nantes", 1, 5, 301, 1},
    {"Loïc", "Bénard", "Ferme de la Côte\n56000 Vannes", 4, 9, 77, 2},
    {"Zoé", "Château", "8 place de l'Église\n21000 Dijon", 7, 10, 12, 1},
    {"Noël", "Périer", "15 rue Pasteur\n13100 Aix-en-Provence", 9, 11, 402, 2},
    {"Gaëlle", "Lemaître", "2 allée des Tilleuls\n35000 Rennes", 4, 7, 356, 1},
    {"Jérôme", "Faure", "41 boulevard Carnot\n06000 Nice", 11, 12, 9, 3},
    {"Cécile", "Mercier", "6 rue du Château d'Eau\n67000 Strasbourg", 13, 12, 150, 1},
    {"Niccolò", "Ferrara", "Via dei Mille 14\n20121 Milano", 4, 8, 58, 2},
    {"Lucrezia", "Galli", "Corso Vittorio Emanuele 201\n10128 Torino", 5, 9, 230, 1},
    {"Tommaso", "Ricci", "Via Garibaldi 3\n40124 Bologna", 4, 10, 88, 2},
    {"Benedetta", "Moretti", "Piazza della Libertà 7\n50129 Firenze", 7, 11, 19, 1},
    {"Giosuè", "Conti", "Via Roma 52\n37121 Verona", 9, 6, 333, 1},
    {"Daan", "van der Meer", "Kerkstraat 21\n3511 LX Utrecht", 4, 9, 144, 3},
    {"Sanne", "de Vries", "Dorpsweg 8\n1741 Schagen", 1, 7, 61, 1},
    {"Joël", "Bakker", "Molenlaan 33\n5611 AB Eindhoven", 4, 11, 207, 1},
    {"Maarten", "Visser", "Havenkade 2\n8011 Zwolle", 11, 10, 73, 2},
    {"Jürgen", "Müller", "Lindenstraße 17\n80331 München", 4, 8, 311, 2},
    {"Käthe", "Schröder", "Am Weinberg 5\n79098 Freiburg", 5, 7, 26, 1},
    {"Björn", "Weiß", "Gartenweg 9\n50667 Köln", 13, 12, 204, 1},
    {"Lena", "Groß", "Schulstraße 40\n70173 Stuttgart", 4, 10, 390, 1},
    {"Dörte", "Hoffmann", "Birkenallee 12\n24103 Kiel", 7, 9, 117, 2},
    {"Aurélien", "Poirier", "La Vieille Forge\n71000 Mâcon", 4, 6, 250, 1},
    {"Inès", "Morvan", "19 quai de la Fosse\n29200 Brest", 9, 8, 5, 1},
    {"Benoît", "Lacroix", "5 rue Émile Zola\n59000 Lille", 4, 12, 66, 2},
    {"Maëlle", "Guérin", "Domaine des Chênes\n33000 Bordeaux", 1, 9, 178, 1},
    {"Raphaël", "Delâtre", "22 rue Victor Hugo\n87000 Limoges", 11, 11, 240, 1},
    {"Clémence", "Fournier", "10 route de Genève\n74000 Annecy", 4, 9, 303, 1},
    {"Stéphane", "Côté", "7 rue des Vignes\n51100 Reims", 5, 10, 92, 2},
    {"Agnès", "Müller-Lévêque", "1 place du Marché\n68000 Colmar", 4, 11, 11, 1},
    {"Thaïs", "Bérenger", "Mas des Oliviers\n84000 Avignon", 13, 12, 31, 1},
    {"Frédéric", "Nöel", "30 avenue de la Gare\n1003 Lausanne", 4, 8, 147, 1},
    {"Solène", "Quéré", "4 rue de Brest\n22000 Saint-Brieuc", 7, 10, 268, 1},
    {"Jean-Hervé", "Bréhat", "Manoir de Kerlan\n29000 Quimper", 4, 5, 99, 2},
    {"Göran", "Lindqvist", "Kungsgatan 8\n41119 Göteborg", 9, 11, 17, 1},
    {"Søren", "Østergaard", "Strandvejen 101\n2900 Hellerup", 4, 12, 355, 1},
    {"Mónica", "Ibáñez", "Calle Mayor 15\n28013 Madrid", 5, 9, 42, 1},
    {"Pål", "Åkesson", "Storgatan 4\n21142 Malmö", 4, 10, 420, 1},
};

constexpr std::uint32_t Versions[] = {0x07110501, 0x08040902, 0x08071601, 0x09031201};

// The dealer's notes on the readings of the first record, in the language of the pictures.
const char* const Comments[2][4] = {
    {"First service after delivery.\nBoundary wire checked, station moved 2 m.",
     "Left wheel motor replaced (alarms since May).",
     "Blades sharpened, firmware upgraded.",
     "Winter service: battery 92 %, owner happy."},
    {"Première révision après livraison.\nFil périphérique vérifié, station déplacée de 2 m.",
     "Moteur de roue gauche remplacé (alarmes depuis mai).",
     "Lames affûtées, firmware mis à jour.",
     "Révision d'hiver : batterie à 92 %, client satisfait."},
};

std::unique_ptr<TVXLog> makeHistory(const Mower& mower, std::uint32_t serial, int index, int reading,
                                    int language, Random& random)
{
    TVXLog::Image image {};
    image[0] = std::uint8_t(0x10 | 0x40 | (random.chance(50) ? 0x04 : 0) | (random.chance(30) ? 0x01 : 0)
                            | (random.chance(40) ? 0x80 : 0) | (random.chance(30) ? 0x02 : 0));
    image[1] = std::uint8_t(index < 10 || index >= 24 ? 1 : index < 15 ? 3 : index < 19 ? 2 : 5);
    // Sleep ranges in steps of ten minutes; weekday bit 1 is Monday .. bit 7 Sunday.
    const std::uint8_t ranges[4][3] = {{0, 48, 0xFE}, {126, 143, 0xFE}, {72, 84, 0xC0}, {0, 0, 0}};
    for (int r = 0; r < 4; ++r)
        std::copy(std::begin(ranges[r]), std::end(ranges[r]), image.begin() + 12 + 3 * r);

    const TVXLogTime readAt(std::uint16_t(2022 + reading), std::uint8_t(3 + (index + reading * 4) % 8),
                            std::uint8_t(1 + (index * 7 + reading * 11) % 27), std::uint8_t(9 + index % 8),
                            std::uint8_t((index * 13 + reading * 17) % 60), std::uint8_t(index % 60));
    const int versionIndex = std::min<int>(std::size(Versions) - 1, 1 + reading);
    const bool updated = reading > 0;
    const std::vector<Event> events = seasonEvents(random, readAt, random.between(60, 150), updated,
                                                   mower.typeCode);
    for (std::size_t k = 0; k < events.size(); ++k) {
        const Event& e = events[k];
        const std::uint8_t slot[8] = {bcd(e.day), bcd(e.month), bcd(e.hour), bcd(e.minute),
                                      e.code,     e.extra,      e.fu1,       e.fu2};
        std::copy(std::begin(slot), std::end(slot), image.begin() + 256 + 8 * k);
    }
    const std::size_t offset = 256 + 8 * events.size();
    image[28] = std::uint8_t(offset >> 8);
    image[29] = std::uint8_t(offset);

    // Counters grow from one reading to the next.
    const std::uint32_t hours = std::uint32_t(350 + 420 * reading + random.between(0, 200));
    put24(image, 80, hours * 60);                                    // mowing time, minutes
    put24(image, 84, hours * 45);                                    // charging time, minutes
    put24(image, 88, hours / 2 + std::uint32_t(random.between(0, 40)));  // cycles
    put24(image, 92, hours * 1510);                                  // left wheel, metres
    put24(image, 96, hours * 1498);                                  // right wheel, metres
    put24(image, 100, std::uint32_t(random.between(2000000, 4500000)));  // charged capacity
    put24(image, 104, std::uint32_t(random.between(1800000, 4300000)));  // discharged capacity
    put24(image, 108, hours * 90);                                   // rest time, minutes
    const std::uint8_t setup[8] = {2, 1, 3, 15, 40, 0, 1, 6};
    std::copy(std::begin(setup), std::end(setup), image.begin() + 120);
    for (std::size_t p = 0; p < TVXLog::ParameterCount; ++p)
        image[132 + p] = std::uint8_t((p * 37 + 11) % 97 + (p % 5 == 0 ? 100 : 0));

    auto history = std::make_unique<TVXLog>(image);
    history->setSerialNumber(serial);
    history->setTypeByte(std::uint8_t(0x20 | mower.typeCode));
    history->setSoftwareVersion(Versions[versionIndex]);
    history->setBootloaderVersion(0x22);
    history->setInfoHead({0x10, 0x06, 0x00, 0x00, 0x00, 0x00});
    history->setDate(readAt);
    if (index == 0 && reading < 4)
        history->setComment(std::string(Comments[language == 1 ? 1 : 0][reading]));
    else if (reading == 0 && index % 3 == 1)
        history->setComment(language == 1 ? "Installation du fil périphérique." : "Boundary wire installed.");
    return history;
}

// One record per mower, written as the application writes its database.
void writeSampleDatabase(const std::filesystem::path& dir, int language)
{
    std::size_t i = 0;
    FolderRecordStore store(dir.string());
    const StoreResult filled = store.fillEmpty([&](std::uint32_t& nameSerial, std::unique_ptr<TVXMowerLog>& made) {
        if (i == std::size(Mowers))
            return false;
        const Mower& m = Mowers[i];
        Random random(std::uint32_t(i + 1));
        const std::uint32_t serial = 0x04A10000u + std::uint32_t(i) * 0x2F1u + 0x1Bu;
        auto record = std::make_unique<TVXMowerLog>();
        // The first field is the first name in English and the family name
        // ("Nom") in French: a French dealer types the family name first.
        record->getOwner().setName(language == 1 ? m.surname : m.name);
        record->getOwner().setSurname(language == 1 ? m.name : m.surname);
        record->getOwner().setAddress(std::string(m.address) + "\n");
        record->setTypeCode(m.typeCode);
        record->setIdYear(m.idYear);
        record->setIdNumber(m.idNumber);
        for (int h = 0; h < m.histories; ++h)
            record->insertLog(makeHistory(m, serial, int(i), h, language, random));
        nameSerial = serial;
        made = std::move(record);
        ++i;
        return true;
    });
    if (!filled) {
        std::fprintf(stderr, "quorvane-screenshots: %s\n", filled.reason.c_str());
        std::exit(1);
    }
}

// A copy of the database given, without its lock file.
bool copyDatabase(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::error_code error;
    std::filesystem::create_directories(to, error);
    for (const auto& entry : std::filesystem::directory_iterator(from, error)) {
        if (!entry.is_regular_file() || entry.path().filename() == "quorvane.lock")
            continue;
        std::filesystem::copy_file(entry.path(), to / entry.path().filename(),
                                   std::filesystem::copy_options::overwrite_existing, error);
        if (error)
            break;
    }
    if (error)
        std::fprintf(stderr, "quorvane-screenshots: cannot copy %s: %s\n", from.c_str(), error.message().c_str());
    return !error;
}

// ---- rendering ---------------------------------------------------------------

void settle(int rounds = 4)
{
    for (int i = 0; i < rounds; ++i) {
        QApplication::processEvents();
        QThread::msleep(5);
    }
}

// The picture of a window under a plain title bar with its title, since an
// off-screen window has no frame of its own.
QImage framed(QWidget& window)
{
    const QPixmap content = window.grab();
    QFont font = window.font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int bar = metrics.height() + 10;
    QImage image(content.width() + 2, content.height() + bar + 1, QImage::Format_RGB32);
    image.fill(QColor(0x9A, 0xA3, 0xAE));
    QPainter painter(&image);
    painter.fillRect(QRect(1, 1, content.width(), bar - 1), QColor(0xDD, 0xE2, 0xE8));
    painter.setFont(font);
    painter.setPen(QColor(0x20, 0x20, 0x20));
    painter.drawText(QRect(10, 1, content.width() - 20, bar - 1), Qt::AlignVCenter | Qt::AlignLeft,
                     window.windowTitle().trimmed());
    painter.drawPixmap(1, bar, content);
    return image;
}

class Shots {
public:
    explicit Shots(QString folder) : folder_(std::move(folder)) {}

    // A window with a title bar drawn over it; a menu or a page as it is.
    void save(QWidget& window, const QString& name, bool withTitle = true)
    {
        settle();
        const QImage image = withTitle ? framed(window) : window.grab().toImage();
        const QString path = QDir(folder_).filePath(name + ".png");
        if (image.isNull() || window.width() <= 0 || !image.save(path)) {
            std::fprintf(stderr, "quorvane-screenshots: cannot write %s\n", qPrintable(path));
            failed_ = true;
            return;
        }
        std::printf("%s\n", qPrintable(path));
    }
    void fail(const char* what)
    {
        std::fprintf(stderr, "quorvane-screenshots: %s\n", what);
        failed_ = true;
    }
    bool failed() const { return failed_; }
    QString file(const QString& name) const { return QDir(folder_).filePath(name); }

private:
    QString folder_;
    bool failed_ = false;
};

// The record that shows the most of a record window: several histories (as
// many tabs as fit), comments, and alarms in its newest history.
TDBMower* recordToShow(const TDBMowerList& list)
{
    TDBMower* best = nullptr;
    long bestScore = -1;
    for (const auto& entry : list.Entries()) {
        const TVXMowerLog& record = entry->GetMowerHandle();
        long comments = 0;
        for (const auto& [date, history] : record.logs())
            comments += history->getComment().empty() ? 0 : 1;
        long alarms = 0;
        if (!record.logs().empty())
            for (const HistFrame& event : record.logs().rbegin()->second->getEvents())
                alarms += event.eventCode == 5 ? 1 : 0;
        const long score = std::min<long>(record.getLogCount(), 5) * 1000 + std::min<long>(comments, 5) * 100
                           + std::min<long>(alarms, 20);
        if (score > bestScore) {
            best = entry.get();
            bestScore = score;
        }
    }
    return best;
}

// A reading of a mower the database does not know, as the insert and create dialogs file.
std::unique_ptr<TVXLog> unknownHistory()
{
    Random random(99);
    const Mower mower {"", "", "", 4, 0, 0, 1};
    return makeHistory(mower, 0x04D3E40A, 40, 0, 0, random);
}

// A comment as a dealer types one, for a newest history that has none.
const char* const TypedComment[2] = {
    "Service done: blades sharpened, wheels cleaned.\nAdvised the owner to shorten the sleep hours.",
    "Entretien fait : lames affûtées, roues nettoyées.\nConseillé au client de réduire les heures de repos.",
};

// The event grid scrolled to the rows in sight that show the most colours
// (alarms, bonnet and switching, software updates), so that they show.
void scrollToColours(QWidget& sheet)
{
    auto* grid = sheet.findChild<QTableView*>("histGrid");
    if (!grid || !grid->model() || grid->rowHeight(0) <= 0)
        return;
    const QAbstractItemModel& model = *grid->model();
    const int rows = model.rowCount();
    const int shown = std::max(1, grid->viewport()->height() / grid->rowHeight(0));
    std::vector<int> coloured(std::size_t(rows) + 1, 0);  // coloured rows before each row
    for (int row = 0; row < rows; ++row) {
        const int code = model.data(model.index(row, EventTableModel::EventColumn), EventTableModel::EventCodeRole).toInt();
        const bool colour = code == 2 || code == 5 || code == 6 || code == 7 || code == 11;
        coloured[std::size_t(row) + 1] = coloured[std::size_t(row)] + (colour ? 1 : 0);
    }
    int best = 0;
    for (int top = 0; top + shown <= rows; ++top)
        if (coloured[std::size_t(top + shown)] - coloured[std::size_t(top)]
            > coloured[std::size_t(best + shown)] - coloured[std::size_t(best)])
            best = top;
    grid->scrollTo(model.index(best, EventTableModel::DateColumn), QAbstractItemView::PositionAtTop);
}

void setText(QWidget& dialog, const char* name, const QString& text)
{
    if (auto* edit = dialog.findChild<QLineEdit*>(name))
        edit->setText(text);
    else if (auto* memo = dialog.findChild<QPlainTextEdit*>(name))
        memo->setPlainText(text);
}

void renderLanguage(Shots& shots, int language, const QString& suffix, const std::string& database)
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        shots.fail("cannot create a temporary folder");
        return;
    }
    const std::filesystem::path databaseFolder = dir.filePath("database").toStdString();
    if (database.empty())
        writeSampleDatabase(databaseFolder, language);
    else if (!copyDatabase(database, databaseFolder)) {
        shots.fail("no database to show");
        return;
    }
    {
        std::ofstream ini(dir.filePath("quorvane.INI").toStdString(), std::ios::binary);
        ini << "[MainForm]\r\nHeight=800\r\nWidth=1200\r\nTop=0\r\nLeft=0\r\n\r\n[COM]\r\nPORT=/dev/ttyUSB0\r\n"
               "AUTO=1\r\n\r\n[GENERAL]\r\nLANGUAGE="
            << language << "\r\nSORTBYNAME=0\r\n";
    }

    ScriptedUser user;
    TTVXMainForm form(AppPaths::inFolder(dir.path().toStdString()), &user);
    form.resize(1200, 800);
    form.show();
    settle();
    shots.save(form, "main-" + suffix);

    TDBMowerList* list = form.mowerList();
    TDBMower* mower = list ? recordToShow(*list) : nullptr;
    if (!mower) {
        shots.fail("the database holds no record");
        form.close();
        return;
    }

    // The search narrowing the tiles to the owners whose name holds the
    // first letters of the shown record's owner's.
    if (auto* search = form.findChild<QLineEdit*>("searchEdit")) {
        search->setText(QString::fromStdString(mower->GetMowerHandle().getOwner().getSurname()).left(3));
        settle();
        shots.save(form, "main-search-" + suffix);
        search->clear();
        settle();
    } else {
        shots.fail("the main window has no search field");
    }

    // The record window, maximised in the main window, on each sheet of its newest history.
    mower->OpenRecord();
    settle();
    auto* histories = form.findChild<QTabWidget*>("MainLogPageControl");
    QWidget* newest = histories ? histories->currentWidget() : nullptr;
    auto* sheets = newest ? newest->findChild<QTabWidget*>("innerPages") : nullptr;
    if (!sheets) {
        shots.fail("the record window has no sheets");
    } else {
        if (auto* memo = newest->findChild<QPlainTextEdit*>("commentMemo"); memo && memo->toPlainText().isEmpty())
            memo->setPlainText(QString::fromUtf8(TypedComment[language == 1 ? 1 : 0]));
        const char* const names[] = {"record-machine-", "record-history-", "record-parameters-"};
        for (int page = 0; page < 3; ++page) {
            sheets->setCurrentIndex(page);
            if (page == 1) {
                settle();
                scrollToColours(*sheets->currentWidget());
            }
            shots.save(form, names[page] + suffix);
        }
        sheets->setCurrentIndex(0);

        // The trends tab, then the Edition menu over the newest history.
        histories->setCurrentIndex(histories->count() - 1);
        shots.save(form, "record-trends-" + suffix);
        histories->setCurrentIndex(histories->count() - 2);
        if (auto* record = dynamic_cast<TChildForm*>(mower->GetChildForm())) {
            QMenu* edition = record->editionMenu();
            edition->popup(form.mapToGlobal(QPoint(40, 40)));
            settle();
            shots.save(*edition, "record-menu-" + suffix, false);
            edition->hide();

            // The newest history's service report; scripts/screenshots.sh makes its first page a picture.
            const TVXMowerLog& shown = mower->GetMowerHandle();
            QString error;
            if (!writeServiceReportPdf(serviceReport(shown, *shown.logs().rbegin()->second), historyTrends(shown),
                                       shots.file("report-" + suffix + ".pdf"), error))
                shots.fail(qPrintable(error));
        } else {
            shots.fail("the record has no window");
        }
    }

    // The dialogs over the main window, as filing a history and the menus open them.
    {
        std::unique_ptr<TVXLog> history = unknownHistory();
        TinsertForm insert(*list, history, user, &form);
        insert.show();
        shots.save(insert, "insert-" + suffix);
        insert.done(0);
    }
    {
        std::unique_ptr<TVXLog> history = unknownHistory();
        TcreateForm create(*list, 4, history, user, &form);
        setText(create, "oNameEdit", QString::fromUtf8(language == 1 ? "Lefèvre" : "Margaux"));
        setText(create, "oSurNameEdit", QString::fromUtf8(language == 1 ? "Margaux" : "Lefèvre"));
        setText(create, "oAddressMemo", QString::fromUtf8("9 chemin des Vergers\n26000 Valence"));
        setText(create, "yearIdMaskEdit", "13");
        setText(create, "machineIdMaskEdit", "214");
        create.show();
        shots.save(create, "create-" + suffix);
        create.done(0);
    }
    {
        TchangeODataForm owner(*mower, user, &form);
        owner.show();
        shots.save(owner, "ownerdata-" + suffix);
        owner.done(0);
    }
    {
        bool autoScan = false;
        std::uint8_t chosenLanguage = std::uint8_t(language);
        std::string port = "/dev/ttyUSB0";
        OptionTargets targets;
        targets.listFreePorts = [] { return std::vector<std::string> {"/dev/ttyS0", "/dev/ttyUSB0"}; };
        targets.currentPort = [&port] { return port; };
        targets.setPort = [&port](const std::string& name) { port = name; };
        targets.autoScan = &autoScan;
        targets.language = &chosenLanguage;
        // Where an installed program keeps its database, as a dealer sees it.
        targets.databaseFolder = "/home/dealer/.local/share/quorvane/database";
        TTVXOptionForm options(std::move(targets), &form);
        options.show();
        shots.save(options, "options-" + suffix);
        options.done(0);
    }
    {
        TStatusForm progress(&form);
        progress.setCaption(catalogueText(Msg::DownloadCaption));
        progress.setText(catalogueText(Msg::LoadingHistory));
        progress.setMaximum(int(TVXLog::ImageSize));
        progress.setPosition(5300);
        progress.show();
        shots.save(progress, "progress-" + suffix);
        progress.hide();
    }

    if (!user.texts.empty())
        for (const std::string& text : user.texts)
            std::fprintf(stderr, "quorvane-screenshots: the program said: %s\n", text.c_str());
    form.close();
}

// The off-screen platform says, for every window, what it cannot do; that
// is no news here.
void quietHandler(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (text.startsWith("This plugin does not support") || text.startsWith("QStandardPaths: XDG_RUNTIME_DIR"))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, text)));
}

int usage()
{
    std::fputs("usage: quorvane-screenshots --out DIR [--database DIR] [--languages en,fr]\n", stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::string out, database, languages = "en,fr";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--out" && i + 1 < argc)
            out = argv[++i];
        else if (arg == "--database" && i + 1 < argc)
            database = argv[++i];
        else if (arg == "--languages" && i + 1 < argc)
            languages = argv[++i];
        else
            return usage();
    }
    if (out.empty())
        return usage();

    qInstallMessageHandler(quietHandler);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quorvane");
    if (!QDir().mkpath(QString::fromStdString(out))) {
        std::fprintf(stderr, "quorvane-screenshots: cannot create %s\n", out.c_str());
        return 1;
    }
    Shots shots(QString::fromStdString(out));
    for (const QString& code : QString::fromStdString(languages).split(',', Qt::SkipEmptyParts)) {
        if (code == "en")
            renderLanguage(shots, 0, code, database);
        else if (code == "fr")
            renderLanguage(shots, 1, code, database);
        else
            return usage();
    }
    return shots.failed() ? 1 : 0;
}
