// moc reads this file with C++17 predefinitions, under which it cannot parse
// the standard <compare> the record headers need; the compiler alone reads them.
#ifndef Q_MOC_RUN
#include "Class/TVXMowerLog.h"
#endif
#include "Component/RecordFileName.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "Component/TVXCheckDir.h"
#include "core/AppPaths.h"
#include "support/RecordFixtures.h"
#include "support/ScriptedUser.h"
#include "support/TempDir.h"
#include "ui/GridFit.h"
#include "ui/TChildForm.h"
#include "ui/TTVXLogTab.h"
#include "ui/TTVXMainForm.h"

#include <QAbstractScrollArea>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>
#include <QtTest>

namespace {

constexpr std::uint32_t Serial = 0x0012ABCD;

// A reading as a much-used mower of the newest firmware gives it: the event
// ring full and wrapped, alarms among the events, the four sleep ranges on
// every day, every option and setup value set, statistics of years of work.
fixture::History fullHistory(unsigned day)
{
    fixture::History h;
    h.day = day;
    h.serial = Serial;
    h.software = 0x08071601;  // "Opposite Heads" and "CCW return" swap, "U docking" shown
    h.typeByte = 0x24;
    std::string& image = h.image;
    image[0] = char(0xFF);  // every option set
    image[1] = 5;
    for (int r = 0; r < 4; ++r) {  // 00H00-24H00 .. 03H00-24H00, Monday to Sunday
        image[12 + 3 * r] = char(6 * r);
        image[13 + 3 * r] = char(144);
        image[14 + 3 * r] = char(0xFE);
    }
    const std::uint32_t statistics[] = {9999999, 9999999, 999999, 9999999, 9999999, 4784128, 6488064, 9999999};
    for (int i = 0; i < 8; ++i) {
        image[80 + 4 * i] = char(statistics[i] >> 16);
        image[81 + 4 * i] = char(statistics[i] >> 8);
        image[82 + 4 * i] = char(statistics[i]);
    }
    for (int i = 120; i < 206; ++i)
        image[i] = char(255);
    for (int k = 0; k < 992; ++k) {
        const int code = k % 13;
        const char frame[] = {0x28, 0x12, 0x23, 0x59, char(code), char(code == 5 ? k % 67 : 255), char(255), char(255)};
        image.replace(256 + 8 * k, 8, frame, 8);
    }
    image[28] = char(0x80 | 0x10);  // wrapped, the next event at 0x1000
    image[29] = 0;
    return h;
}

// The dealer's folder with one record of five full readings and a long
// owner, the settings in `language`.
void writeDesk(const TempDir& dir, int language)
{
    fixture::Record record;
    record.serial = Serial;
    record.name = "Maximilian-Alexander";
    record.surname = "Schwarzenberger-M\xFCller";
    record.address = "Hauptstra\xDF" "e 123\nD-80331 M\xFCnchen\nDeutschland\n";
    for (unsigned day = 1; day <= 5; ++day)
        record.histories.push_back(fullHistory(day));
    std::filesystem::create_directory(dir.file("database"));
    dir.write("database/" + recordFileName(Serial), fixture::withCrc(fixture::recordBytes(record)));
    dir.write("database/" + std::string(TVXCheckDir::DefaultFileName), TVXCheckDir::EncodeEntry(Serial));
    dir.write("quorvane.INI", "[GENERAL]\r\nLANGUAGE=" + std::to_string(language) + "\r\n");
}

// What a test reports of a control whose text or column does not fit.
QStringList& faults()
{
    static QStringList list;
    return list;
}

void fault(const QWidget* where, const QString& what)
{
    faults() << QString("%1 (%2): %3").arg(where->objectName(), where->metaObject()->className(), what);
}

// A label shows its text whole: on one line within its contents, or wrapped
// at its blanks with every word within them and the height for all lines.
void checkLabel(const QLabel* label)
{
    const QString text = label->text();
    if (text.isEmpty() || !label->isVisibleTo(label->window()))
        return;
    const QFontMetrics metrics(label->font());
    const QRect room = label->contentsRect();
    const int width = room.width() - std::max(0, label->indent());
    if (metrics.horizontalAdvance(text) <= width)
        return;
    if (!label->wordWrap()) {
        fault(label, QString("\"%1\" is %2 wide in %3").arg(text).arg(metrics.horizontalAdvance(text)).arg(width));
        return;
    }
    for (const QString& word : text.split(QRegularExpression("[ \\n\\x{200B}-]"), Qt::SkipEmptyParts))
        if (metrics.horizontalAdvance(word) > width)
            fault(label, QString("the word \"%1\" is wider than %2").arg(word).arg(width));
    if (label->height() < label->heightForWidth(label->width()))
        fault(label, QString("\"%1\" wraps to %2 high in %3").arg(text).arg(label->heightForWidth(label->width())).arg(label->height()));
}

// Every text of a grid's cells is within its column, and every column lies
// inside the viewport unless the grid `mayScroll` sideways.
void checkGrid(const QTableView* grid, bool mayScroll)
{
    if (!grid->isVisibleTo(grid->window()))
        return;
    const QAbstractItemModel* model = grid->model();
    const int viewport = grid->viewport()->width();
    for (int c = 0; c < model->columnCount(); ++c) {
        if (grid->isColumnHidden(c))
            continue;
        const int right = grid->columnViewportPosition(c) + grid->columnWidth(c);
        if (right > viewport && !mayScroll)
            fault(grid, QString("column %1 ends at %2 in a viewport %3 wide").arg(c).arg(right).arg(viewport));
        const int room = cellTextRoom(grid, grid->columnWidth(c));
        for (int r = 0; r < model->rowCount(); ++r) {
            const QModelIndex index = model->index(r, c);
            const QString text = index.data().toString();
            const QVariant font = index.data(Qt::FontRole);
            const QFontMetrics metrics(font.isValid() ? font.value<QFont>() : grid->font());
            if (metrics.horizontalAdvance(text) > room) {
                fault(grid, QString("\"%1\" is %2 wide in %3").arg(text).arg(metrics.horizontalAdvance(text)).arg(room));
                break;
            }
        }
    }
    if (grid->horizontalScrollBar()->isVisible() && !mayScroll)
        fault(grid, "scrolls sideways");
    // The small grids of the first sheet fill their groups: no empty space below or beside their cells.
    if (grid->objectName() == "statisticsGrid" || grid->objectName() == "sleepHoursGrid") {
        int width = 0, height = 0;
        for (int c = 0; c < model->columnCount(); ++c)
            width += grid->columnWidth(c);
        for (int r = 0; r < model->rowCount(); ++r)
            height += grid->rowHeight(r);
        if (QSize(width, height) != grid->viewport()->size() || grid->verticalScrollBar()->isVisible())
            fault(grid, QString("cells of %1x%2 in a viewport of %3x%4")
                            .arg(width).arg(height).arg(grid->viewport()->width()).arg(grid->viewport()->height()));
    }
}

void checkGroupTitle(const QGroupBox* box)
{
    const int needed = QFontMetrics(box->font()).horizontalAdvance(box->title());
    if (box->isVisibleTo(box->window()) && needed > box->width() - 8)
        fault(box, QString("title \"%1\" is %2 wide in %3").arg(box->title()).arg(needed).arg(box->width()));
}

// Each control of `root` that is on screen shows its text whole; the grid of
// events scrolls sideways in a window too small for it.
void checkEverything(const QWidget* root, bool small)
{
    for (const QLabel* label : root->findChildren<QLabel*>())
        checkLabel(label);
    for (const QTableView* grid : root->findChildren<QTableView*>())
        checkGrid(grid, small && grid->objectName() == "histGrid");
    for (const QGroupBox* box : root->findChildren<QGroupBox*>())
        checkGroupTitle(box);
}

void settle()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

}  // namespace

class TestRecordLayout : public QObject {
    Q_OBJECT

private slots:
    // The main window's inside as the demo opens it, as a maximised window has
    // it on the most common laptop screen under a title bar of 31 pixels, and
    // on the smallest screen, where the sheets may scroll.
    void everyTextShowsWholeInEveryLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QSize>("size");
        for (int language = 0; language < 5; ++language)
            for (const QSize size : {QSize(1100, 760), QSize(1366, 737), QSize(800, 600)})
                QTest::addRow("language %d, %dx%d", language, size.width(), size.height()) << language << size;
    }

    void everyTextShowsWholeInEveryLanguage()
    {
        QFETCH(int, language);
        QFETCH(QSize, size);
        TempDir dir;
        writeDesk(dir, language);
        ScriptedUser user;
        TTVXMainForm form(AppPaths::inFolder(dir.path()), &user);
        form.resize(size);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TDBMower* entry = form.mowerList()->FindBySerial(Serial);
        QVERIFY(entry);
        entry->OpenRecord();
        auto* window = dynamic_cast<TChildForm*>(entry->GetChildForm());
        QVERIFY(window && window->subWindow()->isMaximized());
        settle();

        faults().clear();
        TTVXLogTab* tab = window->activeTab();
        auto* inner = tab->findChild<QTabWidget*>("innerPages");
        for (int sheet = 0; sheet < inner->count(); ++sheet) {
            inner->setCurrentIndex(sheet);
            settle();
            checkEverything(window, size.width() < 1100);
        }
        inner->setCurrentIndex(0);
        settle();
        // The sheet needs no scroll bar of its own at these sizes; a smaller
        // window scrolls it as a whole.
        auto* sheet = tab->findChild<QAbstractScrollArea*>("machinePanelScroll");
        const bool scrolls = sheet->horizontalScrollBar()->isVisible() || sheet->verticalScrollBar()->isVisible();
        if (size.width() < 1100)
            QVERIFY(scrolls);
        else if (scrolls)
            faults() << QString("the machine sheet scrolls: it has %1x%2, its panel needs %3x%4")
                            .arg(sheet->width())
                            .arg(sheet->height())
                            .arg(tab->machineSheetNeed().width())
                            .arg(tab->machineSheetNeed().height());
        // The list of readings stands whole at the tab row's corner.
        auto* readings = window->findChild<QToolButton*>("readingsButton");
        QVERIFY(readings->isVisible());
        if (readings->width() < readings->sizeHint().width())
            fault(readings, "narrower than its text");
        QVERIFY2(faults().isEmpty(), qPrintable(faults().join("\n")));
    }
};

int main(int argc, char** argv)
{
    // Offscreen, a screen larger than the windows under test: the main window
    // keeps the size a test gives it.
    TempDir config;
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") {
        config.write("screen.json",
                     R"({"screens": [{"name": "large", "x": 0, "y": 0, "width": 1920, "height": 1200}]})");
        qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.file("screen.json")).c_str());
    }
    QApplication app(argc, argv);
    TestRecordLayout test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_recordlayout.moc"
