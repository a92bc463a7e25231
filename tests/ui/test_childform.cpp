// moc reads this file with C++17 predefinitions, under which it cannot parse
// the standard <compare> the record headers need; the compiler alone reads them.
#ifndef Q_MOC_RUN
#include "Class/RecordFile.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#endif
#include "Component/RecordFileName.h"
#include "Component/RecordImport.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "Component/TVXCheckDir.h"
#include "core/CLogger.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "support/RecordFixtures.h"
#include "support/RunCommand.h"
#include "support/ScriptedUser.h"
#include "support/TempDir.h"
#include "ui/RecordWindowArea.h"
#include "ui/TChildForm.h"
#include "ui/TTVXLogTab.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <memory>

namespace {

constexpr std::uint32_t Serial = 0x0012ABCD;
constexpr std::uint32_t OtherSerial = 0x00AA0001;

fixture::History historyOn(unsigned year, unsigned month, unsigned day, std::uint32_t serial = Serial)
{
    fixture::History h;
    h.year = year;
    h.month = month;
    h.day = day;
    h.serial = serial;
    return h;
}

// 5, 6 and 7 May 2008 at 14:05:30, all from the same mower.
std::vector<fixture::History> threeHistories()
{
    return {historyOn(2008, 5, 5), historyOn(2008, 5, 6), historyOn(2008, 5, 7)};
}

fixture::Record aliceRecord(std::uint32_t serial = Serial)
{
    fixture::Record record;
    record.serial = serial;
    record.name = "Alice";
    record.surname = "Zed";
    return record;
}

std::string message(std::uint16_t number)
{
    return TVXStringTable::instance().getMessageText(number);
}

// A main window as the application's: File, Window (with Cascade) and Help
// menus, an MDI area, the record windows over it and a database folder.
class Desk {
public:
    Desk()
    {
        TVXStringTable::instance().setLanguage(0);
        dir.write("trace.log", "");
        CLogger::instance().open(dir.file("trace.log"));
        bar = main.menuBar();
        bar->addMenu("File")->setObjectName("FileMenuItem");
        windowMenu = bar->addMenu("Window");
        windowMenu->setObjectName("WindowMenuItem");
        area = new QMdiArea(&main);
        area->setObjectName("ClientArea");
        QAction* cascade = windowMenu->addAction("Cascade", [this]() { windows->cascade(); });
        cascade->setObjectName("cascMenuItem");
        bar->addMenu("Help")->setObjectName("HelpMenu");
        main.setCentralWidget(area);
        windows = std::make_unique<RecordWindowArea>(area, bar, windowMenu, user);
        list = std::make_unique<TDBMowerList>(user, *windows);
        main.resize(1000, 700);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
    }

    void addRecord(const fixture::Record& record)
    {
        dir.write(recordFileName(record.serial), fixture::withCrc(fixture::recordBytes(record)));
        checker += TVXCheckDir::EncodeEntry(record.serial);
        dir.write(TVXCheckDir::DefaultFileName, checker);
    }
    // Alice's record of these histories, under that serial.
    void addRecord(std::vector<fixture::History> histories, std::uint32_t serial = Serial)
    {
        fixture::Record record = aliceRecord(serial);
        record.histories = std::move(histories);
        addRecord(record);
    }
    void load() { list->Load(dir.path()); }
    // The database of one record of these histories, its window open.
    TChildForm* openOnly(std::vector<fixture::History> histories)
    {
        addRecord(std::move(histories));
        load();
        return open(Serial);
    }

    TDBMower& entry(std::uint32_t serial) { return *list->FindBySerial(serial); }
    TChildForm* open(std::uint32_t serial)
    {
        entry(serial).OpenRecord();
        return dynamic_cast<TChildForm*>(entry(serial).GetChildForm());
    }
    std::string filePath(std::uint32_t serial) const { return dir.file(recordFileName(serial)); }
    // The record as its file on disk holds it now.
    std::unique_ptr<TVXMowerLog> onDisk(std::uint32_t serial) const
    {
        return readRecordFile(dir.read(recordFileName(serial)));
    }
    // The object names of the bar's menus, in order.
    QStringList menuNames() const
    {
        QStringList names;
        for (QAction* action : bar->actions())
            names << (action->menu() ? action->menu()->objectName() : action->objectName());
        return names;
    }

    TempDir dir;
    ScriptedUser user;
    QMainWindow main;
    QMenuBar* bar = nullptr;
    QMenu* windowMenu = nullptr;
    QMdiArea* area = nullptr;
    std::unique_ptr<RecordWindowArea> windows;
    std::unique_ptr<TDBMowerList> list;
    std::string checker;
};

// The history tabs: every tab but the trends tab, which stands last.
QList<TTVXLogTab*> tabsOf(const TChildForm* form)
{
    QList<TTVXLogTab*> tabs;
    for (int i = 0; i < form->pageControl()->count(); ++i)
        if (auto* tab = qobject_cast<TTVXLogTab*>(form->pageControl()->widget(i)))
            tabs << tab;
    return tabs;
}

QStringList titlesOf(const TChildForm* form)
{
    QStringList titles;
    for (int i = 0; i < form->pageControl()->count(); ++i)
        if (qobject_cast<TTVXLogTab*>(form->pageControl()->widget(i)))
            titles << form->pageControl()->tabText(i);
    return titles;
}

QString valueOf(const TChildForm* form, const char* name)
{
    return form->findChild<QLabel*>(name)->property("fullText").toString();
}

// The tab's pop-up, opened with the mouse over its caption.
QMenu* popupOver(TChildForm* form, int index)
{
    QTabBar* bar = form->pageControl()->tabBar();
    const QPoint at = bar->tabRect(index).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
    QApplication::sendEvent(bar, &event);
    return form->findChild<QMenu*>("logTabPopup");
}

QAction* item(QMenu* menu, const char* name)
{
    for (QAction* action : menu->actions())
        if (action->objectName() == name)
            return action;
    return nullptr;
}

// Clicks the item of an open pop-up, as the dealer does.
void choose(QMenu* popup, const char* name)
{
    QVERIFY(popup->isVisible());
    QTest::mouseClick(popup, Qt::LeftButton, {}, popup->actionGeometry(item(popup, name)).center());
}

}  // namespace

class TestChildForm : public QObject {
    Q_OBJECT

private slots:
    void showsTheRecordWithItsHistoriesInRecordOrder()
    {
        Desk desk;
        fixture::Record record = aliceRecord();
        record.idYear = 5;
        record.address = "12 Long Road\nSmalltown\n";
        record.histories = {historyOn(2008, 5, 6), historyOn(2008, 5, 7)};
        desk.addRecord(record);
        fixture::Record noPrefix = aliceRecord(OtherSerial);
        noPrefix.typeCode = 2;
        noPrefix.idYear = 5;
        noPrefix.histories = {historyOn(2009, 1, 1, OtherSerial)};
        desk.addRecord(noPrefix);
        desk.load();

        // An older history filed later stands last: the record's order, not the dates'.
        auto older = std::make_unique<TVXLog>();
        older->setSerialNumber(Serial);
        older->setDate({2008, 5, 1, 9, 0, 0});
        QCOMPARE(desk.list->InsertLog(older), InsertResult::Inserted);  // opens the window
        auto* form = dynamic_cast<TChildForm*>(desk.entry(Serial).GetChildForm());
        QVERIFY(form);
        QCOMPARE(titlesOf(form), QStringList({"06/05/2008 14 h 05", "07/05/2008 14 h 05", "01/05/2008 09 h 00"}));
        QCOMPARE(form->pageControl()->currentIndex(), 2);
        QCOMPARE(form->subWindow()->windowTitle(), QString("TX-05-123-B"));
        QVERIFY(form->subWindow()->isMaximized());
        QCOMPARE(valueOf(form, "MNBLabel"), QString("TX-05-123-B"));
        QCOMPARE(valueOf(form, "SNBLabel"), QString("0012ABCD"));
        QCOMPARE(valueOf(form, "SoftVerLabel"), QString("0408040902"));
        QCOMPARE(valueOf(form, "BootVerLabel"), QString("21"));
        QCOMPARE(valueOf(form, "ONameLabel"), QString("Alice"));
        QCOMPARE(valueOf(form, "OAddressLabel"), QString("12 Long Road\nSmalltown"));
        QCOMPARE(form->findChild<QWidget*>("GeneralInfoGroupBox")->width(), 185);

        QCOMPARE(desk.open(OtherSerial)->windowTitle(), QString("-05-123-B"));
    }

    void aLongRecordBuildsOnlyTheActiveTab()
    {
        Desk desk;
        std::vector<fixture::History> histories;
        for (unsigned i = 0; i < 50; ++i)
            histories.push_back(historyOn(2000 + i / 12, 1 + i % 12, 1));
        TChildForm* form = desk.openOnly(histories);
        QCoreApplication::processEvents();
        const QList<TTVXLogTab*> tabs = tabsOf(form);
        QCOMPARE(tabs.size(), 50);
        QCOMPARE(std::count_if(tabs.begin(), tabs.end(), [](TTVXLogTab* t) { return t->isBuilt(); }), 1);
        QVERIFY(tabs.last()->isBuilt());
    }

    void theEditionMenuFollowsTheActiveWindow()
    {
        Desk desk;
        desk.addRecord(threeHistories());
        desk.addRecord({historyOn(2009, 1, 1, OtherSerial)}, OtherSerial);
        desk.load();
        const QStringList without {"FileMenuItem", "WindowMenuItem", "HelpMenu"};
        const QStringList with {"FileMenuItem", "WindowMenuItem", "Outils1", "HelpMenu"};
        QCOMPARE(desk.menuNames(), without);

        TChildForm* a = desk.open(Serial);
        TChildForm* b = desk.open(OtherSerial);
        QCOMPARE(desk.menuNames(), with);
        QVERIFY(desk.bar->actions().contains(b->editionMenu()->menuAction()));

        desk.area->setActiveSubWindow(a->subWindow());
        QCOMPARE(desk.menuNames(), with);
        QVERIFY(desk.bar->actions().contains(a->editionMenu()->menuAction()));

        QAction* modify = item(a->editionMenu(), "changeOwnerData");
        QVERIFY(modify);
        QCOMPARE(modify->text().remove('&'), QString("Modify data"));
        QVERIFY(modify->isEnabled());
        QCOMPARE(a->editionMenu()->title(), QString("&Edition"));

        // Closing puts a window aside and hands the front to the other one.
        a->subWindow()->close();
        QVERIFY(desk.bar->actions().contains(b->editionMenu()->menuAction()));
        QCOMPARE(desk.area->activeSubWindow(), b->subWindow());
        b->subWindow()->close();
        QCOMPARE(desk.menuNames(), without);

        desk.entry(Serial).OpenRecord();
        QCOMPARE(desk.menuNames(), with);
        desk.area->setActiveSubWindow(nullptr);
        QCOMPARE(desk.menuNames(), without);
    }

    void aMergedImportGetsItsTabsSoTheDeleteRuleMatchesTheWindow()
    {
        Desk desk;
        TChildForm* form = desk.openOnly({historyOn(2008, 5, 5), historyOn(2008, 5, 6)});
        // The same mower exported from another database: a newer reading, and
        // an older one from before its board was changed.
        fixture::Record exported = aliceRecord();
        exported.histories = {historyOn(2010, 1, 1), historyOn(2005, 1, 1, OtherSerial)};
        desk.dir.write("exported.dat", fixture::withCrc(fixture::recordBytes(exported)));
        QVERIFY(importDatFile(desk.dir.file("exported.dat"), *desk.list, desk.user));
        QCOMPARE(titlesOf(form), QStringList({"05/05/2008 14 h 05", "06/05/2008 14 h 05", "01/01/2010 14 h 05",
                                              "01/01/2005 14 h 05"}));
        QCOMPARE(form->activeTab()->date(), TVXLogTime(2005, 1, 1, 14, 5, 30));
        QCOMPARE(desk.area->activeSubWindow(), form->subWindow());

        // A reading filed now stands beside the 2005 one, of another serial
        // number: the window shows why its deletion is refused.
        auto filed = std::make_unique<TVXLog>();
        filed->setSerialNumber(Serial);
        filed->setDate({2011, 3, 4, 10, 20, 30});
        QCOMPARE(desk.list->InsertLog(filed), InsertResult::Inserted);
        QCOMPARE(form->pageControl()->currentIndex(), 4);
        QCOMPARE(tabsOf(form).at(3)->history().getSerialNumber(), OtherSerial);
        choose(popupOver(form, 4), "deleteLogMenuItem");
        QCOMPARE(desk.user.boxes.back().text, message(Msg::CannotDeleteHistory));

        // Every tab's neighbour is the record's: deleting the 2010 reading,
        // whose neighbour tab is of the same mower, is allowed.
        const QList<TTVXLogTab*> tabs = tabsOf(form);
        const std::vector<TVXLogTime>& order = desk.entry(Serial).GetMowerHandle().insertionOrder();
        QCOMPARE(tabs.size(), qsizetype(order.size()));
        for (qsizetype i = 0; i < tabs.size(); ++i)
            QCOMPARE(tabs[i]->date(), order[std::size_t(i)]);
        desk.user.answer = MbOK;
        choose(popupOver(form, 2), "deleteLogMenuItem");
        QCOMPARE(desk.user.boxes.back().type, MsgType::Confirmation);
        QCOMPARE(titlesOf(form).size(), 4);
    }

    void aHistoryIsDeletedOnlyUnderTheRule()
    {
        Desk desk;
        desk.addRecord({historyOn(2008, 5, 7)});
        // The mower's board was changed between its two histories.
        desk.addRecord({historyOn(2008, 5, 6, 0x00000001), historyOn(2008, 5, 7, OtherSerial)}, OtherSerial);
        desk.load();

        QMenu* popup = popupOver(desk.open(Serial), 0);
        QVERIFY(popup->isVisible());
        QVERIFY(!item(popup, "deleteLogMenuItem")->isEnabled());
        QVERIFY(item(popup, "copyDataMenuItem")->isEnabled());
        popup->hide();

        TChildForm* form = desk.open(OtherSerial);
        const std::string before = desk.dir.read(recordFileName(OtherSerial));
        choose(popupOver(form, 0), "deleteLogMenuItem");
        QCOMPARE(desk.user.boxes.size(), std::size_t(1));
        QCOMPARE(desk.user.boxes[0].text, message(Msg::CannotDeleteHistory));
        QCOMPARE(form->pageControl()->count(), 3);  // two histories and the trends
        QCOMPARE(desk.entry(OtherSerial).GetMowerHandle().getLogCount(), 2);
        QCOMPARE(desk.dir.read(recordFileName(OtherSerial)), before);
    }

    void aConfirmedDeletionReachesTheFile()
    {
        Desk desk;
        TChildForm* form = desk.openOnly(threeHistories());

        desk.user.answer = MbCancel;
        choose(popupOver(form, 2), "deleteLogMenuItem");
        QCOMPARE(form->pageControl()->count(), 4);  // three histories and the trends
        QCOMPARE(desk.onDisk(Serial)->getLogCount(), 3);

        desk.user.answer = MbOK;
        choose(popupOver(form, 2), "deleteLogMenuItem");
        QCOMPARE(desk.user.boxes.size(), std::size_t(2));
        QCOMPARE(desk.user.boxes[1].type, MsgType::Confirmation);
        QCOMPARE(desk.user.boxes[1].text, message(Msg::ConfirmDeleteHistory) + " 7-5-2008 14:5:30");
        QCOMPARE(titlesOf(form), QStringList({"05/05/2008 14 h 05", "06/05/2008 14 h 05"}));
        QCOMPARE(desk.entry(Serial).GetMowerHandle().getLogCount(), 2);
        const std::unique_ptr<TVXMowerLog> stored = desk.onDisk(Serial);
        QCOMPARE(stored->getLogCount(), 2);
        QVERIFY(stored->logs().count({2008, 5, 7, 14, 5, 30}) == 0);
    }

    void aDeletionWhoseWriteFailsStillTakesTheTab()
    {
        Desk desk;
        TChildForm* form = desk.openOnly(threeHistories());
        // A folder in the file's place: no write can replace it.
        std::filesystem::remove(desk.filePath(Serial));
        std::filesystem::create_directories(desk.filePath(Serial) + "/in-the-way");

        choose(popupOver(form, 1), "deleteLogMenuItem");
        QCOMPARE(desk.user.boxes.back().type, MsgType::Error);
        QCOMPARE(titlesOf(form), QStringList({"05/05/2008 14 h 05", "07/05/2008 14 h 05"}));
        for (TTVXLogTab* tab : tabsOf(form))
            QVERIFY(desk.entry(Serial).GetMowerHandle().logs().count(tab->date()) == 1);
        form->storeComments();  // reads every tab's history: none may be gone
    }

    void thePopupIsTheTabsOnlyAndReachableByKeyboard()
    {
        Desk desk;
        TChildForm* form = desk.openOnly(threeHistories());
        QTabBar* bar = form->pageControl()->tabBar();
        auto* popup = form->findChild<QMenu*>("logTabPopup");

        const QPoint beside(bar->tabRect(2).right() + 20, bar->tabRect(2).center().y());
        QContextMenuEvent away(QContextMenuEvent::Mouse, beside, bar->mapToGlobal(beside));
        QApplication::sendEvent(bar, &away);
        QVERIFY(!popup->isVisible());

        popupOver(form, 0);
        QVERIFY(popup->isVisible());
        QCOMPARE(form->pageControl()->currentIndex(), 0);
        popup->hide();

        form->pageControl()->setCurrentIndex(1);
        QTest::keyClick(bar, Qt::Key_F10, Qt::ShiftModifier);
        QVERIFY(popup->isVisible());
        QCOMPARE(form->pageControl()->currentIndex(), 1);
        popup->hide();
        QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(), QPoint());
        QApplication::sendEvent(bar, &menuKey);
        QVERIFY(popup->isVisible());
        popup->hide();

        // The Edition menu holds the same commands for the active tab.
        QVERIFY(item(form->editionMenu(), "deleteLogMenuItem"));
        desk.user.answer = MbCancel;
        QTest::keyClick(bar, Qt::Key_Delete);
        QCOMPARE(desk.user.boxes.size(), std::size_t(1));
        QCOMPARE(desk.user.boxes[0].text, message(Msg::ConfirmDeleteHistory) + " 6-5-2008 14:5:30");
    }

    void copyDataPutsTheOwnerAndTheHistoryOnTheClipboard()
    {
        Desk desk;
        choose(popupOver(desk.openOnly(threeHistories()), 1), "copyDataMenuItem");
        const QString copied = QGuiApplication::clipboard()->text();
        QVERIFY2(copied.startsWith("Customer references\r\nFirstname: Alice\r\nLastname: Zed\r\n"), qPrintable(copied));
        QVERIFY(copied.size() > 200);
        QCOMPARE(copied.count('\n'), copied.count("\r\n"));
    }

    void aClosedWindowComesBackWithTheNewHistory()
    {
        Desk desk;
        TChildForm* form = desk.openOnly(threeHistories());

        QVERIFY(!form->subWindow()->close());
        QVERIFY(form->subWindow()->isHidden());
        QVERIFY(desk.windows->activeWindow() == nullptr);

        auto filed = std::make_unique<TVXLog>();
        filed->setSerialNumber(Serial);
        filed->setDate({2011, 3, 4, 10, 20, 30});
        QCOMPARE(desk.list->InsertLog(filed), InsertResult::Inserted);
        QCOMPARE(desk.entry(Serial).GetChildForm(), form);  // the same window, brought back
        QVERIFY(form->subWindow()->isMaximized());
        QCOMPARE(desk.area->activeSubWindow(), form->subWindow());
        QCOMPARE(form->pageControl()->count(), 5);  // four histories and the trends
        QCOMPARE(form->pageControl()->currentIndex(), 3);
        QCOMPARE(form->pageControl()->tabText(3), QString("04/03/2011 10 h 20"));
        QVERIFY(form->activeTab()->isBuilt());

        // A history the window already shows only becomes the active one.
        form->showHistory({2008, 5, 5, 14, 5, 30});
        QCOMPARE(form->pageControl()->count(), 5);
        QCOMPARE(form->pageControl()->currentIndex(), 0);
    }

    void theWindowMenuListsTheWindows()
    {
        Desk desk;
        desk.addRecord(threeHistories());
        fixture::Record second = aliceRecord(OtherSerial);
        second.idNumber = 456;
        second.histories = {historyOn(2009, 1, 1, OtherSerial)};
        desk.addRecord(second);
        desk.load();
        TChildForm* a = desk.open(Serial);
        TChildForm* b = desk.open(OtherSerial);
        a->subWindow()->close();

        for (int round = 0; round < 2; ++round) {  // the list is made again each time
            emit desk.windowMenu->aboutToShow();
            QStringList texts;
            for (QAction* action : desk.windowMenu->actions())
                texts << (action->isSeparator() ? "-" : action->text());
            QCOMPARE(texts, QStringList({"Cascade", "-", "&1 TX-07-123-B", "&2 TX-07-456-B"}));
        }
        QVERIFY(!item(desk.windowMenu, "windowListItem1")->isChecked());
        QVERIFY(item(desk.windowMenu, "windowListItem2")->isChecked());

        item(desk.windowMenu, "windowListItem1")->trigger();
        QCOMPARE(desk.area->activeSubWindow(), a->subWindow());
        QVERIFY(a->subWindow()->isMaximized());
        QVERIFY(desk.bar->actions().contains(a->editionMenu()->menuAction()));

        item(desk.windowMenu, "cascMenuItem")->trigger();
        for (TChildForm* form : {a, b}) {
            QVERIFY(!form->subWindow()->isMaximized());
            QVERIFY(form->subWindow()->isVisible());
        }
        QVERIFY(a->subWindow()->pos() != b->subWindow()->pos());
        b->subWindow()->close();
        item(desk.windowMenu, "cascMenuItem")->trigger();
        QVERIFY(b->subWindow()->isHidden());  // a closed window stays aside
    }

    void cascadedWindowsShowTheirSheetsWhole()
    {
        Desk desk;
        desk.addRecord(threeHistories());
        desk.addRecord({historyOn(2009, 1, 1, OtherSerial)}, OtherSerial);
        desk.load();
        desk.main.resize(1300, 900);
        TChildForm* a = desk.open(Serial);
        TChildForm* b = desk.open(OtherSerial);
        QCoreApplication::processEvents();
        desk.windows->cascade();
        QCoreApplication::processEvents();

        const QSize area = desk.area->viewport()->size();
        const int step = b->subWindow()->pos().y() - a->subWindow()->pos().y();
        QVERIFY(step > 0);
        QCOMPARE(b->subWindow()->pos().x() - a->subWindow()->pos().x(), step);
        QCOMPARE(desk.area->activeSubWindow(), b->subWindow());
        for (TChildForm* form : {a, b}) {
            const QRect frame = form->subWindow()->geometry();
            QVERIFY(frame.width() <= area.width() - step && frame.height() <= area.height() - step);
            // Room for the sheets: they show without a scroll bar.
            auto* sheet = form->activeTab()->findChild<QScrollArea*>("machinePanelScroll");
            QVERIFY(!sheet->horizontalScrollBar()->isVisible() && !sheet->verticalScrollBar()->isVisible());
        }
        // In a smaller area the windows take what it has, less the cascade's steps.
        desk.main.resize(700, 500);
        QCoreApplication::processEvents();
        desk.windows->cascade();
        const QSize small = desk.area->viewport()->size();
        for (TChildForm* form : {a, b})
            QVERIFY(form->subWindow()->width() <= small.width() - step
                    && form->subWindow()->height() <= small.height() - step);
        QVERIFY(b->subWindow()->geometry().right() < small.width());
    }

    void theReadingsListReachesEveryReading()
    {
        Desk desk;
        std::vector<fixture::History> histories;
        for (unsigned i = 0; i < 24; ++i)
            histories.push_back(historyOn(2008, 1 + i / 28, 1 + i % 28));
        histories.push_back(historyOn(2008, 1, 24));  // read again in the same minute
        histories.back().second = 55;
        TChildForm* form = desk.openOnly(histories);
        QTabWidget* pages = form->pageControl();
        QCOMPARE(pages->count(), 26);

        // Two readings of one minute share a caption; their tooltips tell them apart.
        QCOMPARE(pages->tabText(23), pages->tabText(24));
        QCOMPARE(pages->tabToolTip(23), QString("Read on 24/01/2008 14:05:30\nMachine SNB: 0012ABCD"));
        QCOMPARE(pages->tabToolTip(24), QString("Read on 24/01/2008 14:05:55\nMachine SNB: 0012ABCD"));

        auto* button = form->findChild<QToolButton*>("readingsButton");
        QVERIFY(button);
        QCOMPARE(pages->cornerWidget(Qt::TopRightCorner), button);
        QCOMPARE(button->text(), QString("Readings"));
        QMenu* menu = button->menu();
        menu->popup(button->mapToGlobal(button->rect().bottomLeft()));
        QVERIFY(menu->isVisible());
        QStringList texts;
        for (QAction* action : menu->actions())
            if (!action->isSeparator())
                texts << action->text();
        QCOMPARE(texts.size(), 26);
        QCOMPARE(texts.first(), QString("01/01/2008 14:05:30"));
        QCOMPARE(texts[24], QString("24/01/2008 14:05:55"));
        QCOMPARE(texts.last(), QString("Trends"));
        QVERIFY(item(menu, "readingItem24")->isChecked());
        QCOMPARE(item(menu, "readingItem2")->toolTip(), pages->tabToolTip(2));

        choose(menu, "readingItem2");
        QCOMPARE(pages->currentIndex(), 2);
        QVERIFY(form->activeTab()->isBuilt());
        menu->popup(button->mapToGlobal(button->rect().bottomLeft()));
        QVERIFY(item(menu, "readingItem2")->isChecked());
        choose(menu, "trendsItem");
        QCOMPARE(pages->currentIndex(), 25);
    }

    void aDeletedHistoryHandsOverToItsNeighbourHistory()
    {
        Desk desk;
        TChildForm* form = desk.openOnly(threeHistories());
        QTabWidget* pages = form->pageControl();
        desk.user.answer = MbOK;
        // The last history, beside the trends tab: the one before it takes over.
        QCOMPARE(pages->currentIndex(), 2);
        form->deleteLogClick();
        QCOMPARE(pages->currentIndex(), 1);
        QVERIFY(form->activeTab() && form->activeTab()->isVisible());
        QCOMPARE(form->activeTab()->date(), TVXLogTime(2008, 5, 6, 14, 5, 30));
        // The first: the next one takes over.
        pages->setCurrentIndex(0);
        form->deleteLogClick();
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(form->activeTab()->date(), TVXLogTime(2008, 5, 6, 14, 5, 30));
    }

    void aDoubleNameWrapsAtItsHyphen()
    {
        Desk desk;
        fixture::Record record = aliceRecord();
        record.name = "Maximilian-Alexander";
        record.surname = "Zed-Honoriusberg-Wolkenstein";
        record.address = "Supercalifragilisticexpialidocious-Road 1\n";
        record.histories = threeHistories();
        desk.addRecord(record);
        desk.load();
        TChildForm* form = desk.open(Serial);
        QCoreApplication::processEvents();
        // Each part fits the column: the line breaks after the hyphen only.
        for (const char* name : {"ONameLabel", "OSurnameLabel"}) {
            auto* label = form->findChild<QLabel*>(name);
            QVERIFY2(!label->text().contains(QChar(0x200B)), qPrintable(label->text()));
            QVERIFY(label->height() > label->fontMetrics().height());
        }
        // A part wider than the column breaks within it; the part after the hyphen stays whole.
        const QString address = form->findChild<QLabel*>("OAddressLabel")->text();
        QVERIFY(address.contains(QChar(0x200B)));
        QVERIFY(address.endsWith("-Road 1"));
    }

    void commentsReachTheFileThroughTheEntry()
    {
        Desk desk;
        TChildForm* form = desk.openOnly(threeHistories());
        desk.main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&desk.main));

        auto* memo = form->activeTab()->findChild<QPlainTextEdit*>("commentMemo");
        QVERIFY(memo);
        memo->setFocus();
        QTest::keyClicks(memo, "belt worn");
        form->pageControl()->tabBar()->setFocus();  // editing finished: written at once
        QCOMPARE(desk.onDisk(Serial)->findLog({2008, 5, 7, 14, 5, 30}).getComment(), std::string("belt worn\r\n"));

        // A memo still being edited is stored with the record's next write.
        form->pageControl()->setCurrentIndex(0);
        form->activeTab()->findChild<QPlainTextEdit*>("commentMemo")->setPlainText("new blades");
        QVERIFY(desk.onDisk(Serial)->findLog({2008, 5, 5, 14, 5, 30}).getComment().empty());
        QVERIFY(desk.list->SaveAll());
        QCOMPARE(desk.onDisk(Serial)->findLog({2008, 5, 5, 14, 5, 30}).getComment(), std::string("new blades\r\n"));
    }
    void theServiceReportIsOfTheActiveHistoryWithItsMemoAsItStands()
    {
        Desk desk;
        TChildForm* form = desk.openOnly(threeHistories());
        QAction* report = item(form->editionMenu(), "serviceReportMenuItem");
        QVERIFY(report && report->isEnabled());
        QVERIFY(item(form->editionMenu(), "printServiceReportMenuItem")->isEnabled());
        QCOMPARE(report->text().remove('&'), QString("Service report..."));

        form->pageControl()->setCurrentIndex(0);
        form->activeTab()->findChild<QPlainTextEdit*>("commentMemo")->setPlainText("blades changed");
        desk.user.saveAnswer = desk.dir.file("report.pdf");
        report->trigger();
        QCOMPARE(desk.user.saveFilters.at(0).pattern, std::string("*.pdf"));
        QVERIFY2(desk.user.saveSuggestion.ends_with("_2008-05-05.pdf"), desk.user.saveSuggestion.c_str());
        QVERIFY(desk.user.boxes.empty());
        QVERIFY(desk.dir.read("report.pdf").starts_with("%PDF"));
        const CommandRun text = runCommand("pdftotext '" + desk.dir.file("report.pdf") + "' -");
        QVERIFY2(text.output.find("blades changed") != std::string::npos, text.output.c_str());
        QVERIFY(text.output.find("Alice") != std::string::npos);
        // Making the report stores nothing: the memo goes with the record's next write.
        QVERIFY(desk.onDisk(Serial)->findLog({2008, 5, 5, 14, 5, 30}).getComment().empty());
        QVERIFY(desk.list->SaveAll());
        QCOMPARE(desk.onDisk(Serial)->findLog({2008, 5, 5, 14, 5, 30}).getComment(),
                 std::string("blades changed\r\n"));

        // On the trends tab the report is of the newest history; a failed write is told.
        form->pageControl()->setCurrentIndex(form->pageControl()->count() - 1);
        QVERIFY(!form->activeTab());
        QVERIFY(report->isEnabled());
        desk.user.saveAnswer = desk.dir.file("missing/r.pdf");
        report->trigger();
        QVERIFY2(desk.user.saveSuggestion.ends_with("_2008-05-07.pdf"), desk.user.saveSuggestion.c_str());
        QCOMPARE(desk.user.boxes.size(), std::size_t(1));
        QCOMPARE(desk.user.boxes[0].type, MsgType::Error);
        QVERIFY(desk.user.boxes[0].text.find("missing/r.pdf") != std::string::npos);

        // A cancelled dialog writes and tells nothing.
        desk.user.saveAnswer.reset();
        report->trigger();
        QCOMPARE(desk.user.boxes.size(), std::size_t(1));
    }
};

QTEST_MAIN(TestChildForm)
#include "test_childform.moc"
