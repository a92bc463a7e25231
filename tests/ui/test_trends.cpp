// moc reads this file with C++17 predefinitions, under which it cannot parse
// the standard <compare> the record headers need; the compiler alone reads them.
#ifndef Q_MOC_RUN
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#endif
#include "Component/RecordFileName.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "Component/TVXCheckDir.h"
#include "core/CLogger.h"
#include "core/TVXStringTable.h"
#include "support/RecordFixtures.h"
#include "support/ScriptedUser.h"
#include "support/TempDir.h"
#include "ui/RecordWindowArea.h"
#include "ui/TChildForm.h"
#include "ui/TTVXLogTab.h"
#include "ui/TrendsView.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

#include <memory>

namespace {

constexpr std::uint32_t Serial = 0x0012ABCD;
constexpr std::uint32_t OldBoard = 0x0012ABCE;  // replaced by Serial

// A history of that date whose mowing time grows with it; from `serial`.
fixture::History historyOn(unsigned year, unsigned month, unsigned day, std::uint32_t serial = Serial)
{
    fixture::History h;
    h.year = year;
    h.month = month;
    h.day = day;
    h.serial = serial;
    const unsigned minutes = year * 400 + month * 31 + day;
    for (std::size_t i = 0; i < 5; ++i) {
        const unsigned value = minutes * unsigned(i + 1) % 0xFFFFFF;
        h.image[80 + 4 * i] = char(value >> 16);
        h.image[81 + 4 * i] = char(value >> 8);
        h.image[82 + 4 * i] = char(value);
    }
    return h;
}

std::vector<fixture::History> manyHistories(unsigned count)
{
    std::vector<fixture::History> histories;
    for (unsigned i = 0; i < count; ++i)
        histories.push_back(historyOn(2000 + i / 12, 1 + i % 12, 1, i < count / 2 ? OldBoard : Serial));
    return histories;
}

// A main window with an MDI area, the record windows over it and a database folder.
class Desk {
public:
    Desk()
    {
        TVXStringTable::instance().setLanguage(0);
        dir.write("trace.log", "");
        CLogger::instance().open(dir.file("trace.log"));
        QMenuBar* bar = main.menuBar();
        QMenu* windowMenu = bar->addMenu("Window");
        area = new QMdiArea(&main);
        area->setObjectName("ClientArea");
        main.setCentralWidget(area);
        windows = std::make_unique<RecordWindowArea>(area, bar, windowMenu, user);
        list = std::make_unique<TDBMowerList>(user, *windows);
        main.resize(1000, 760);
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
    }

    TChildForm* openOnly(std::vector<fixture::History> histories)
    {
        fixture::Record record;
        record.serial = Serial;
        record.name = "Alice";
        record.histories = std::move(histories);
        dir.write(recordFileName(Serial), fixture::withCrc(fixture::recordBytes(record)));
        dir.write(TVXCheckDir::DefaultFileName, TVXCheckDir::EncodeEntry(Serial));
        list->Load(dir.path());
        entry().OpenRecord();
        return dynamic_cast<TChildForm*>(entry().GetChildForm());
    }
    TDBMower& entry() { return *list->FindBySerial(Serial); }

    TempDir dir;
    ScriptedUser user;
    QMainWindow main;
    QMdiArea* area = nullptr;
    std::unique_ptr<RecordWindowArea> windows;
    std::unique_ptr<TDBMowerList> list;
};

QAction* action(TChildForm* form, const char* name)
{
    return form->findChild<QAction*>(name);
}

}  // namespace

class TestTrends : public QObject {
    Q_OBJECT

private slots:
    void theTrendsTabIsLastAndTheLastHistoryIsActive()
    {
        Desk desk;
        TChildForm* form = desk.openOnly({historyOn(2008, 5, 5), historyOn(2008, 5, 6)});
        QVERIFY(form);
        QTabWidget* pages = form->pageControl();
        QCOMPARE(pages->count(), 3);
        QCOMPARE(pages->tabText(2), QString("Trends"));
        QCOMPARE(pages->widget(2)->objectName(), QString("TrendsPage"));
        QCOMPARE(trendsTab(pages), pages->widget(2)->findChild<TrendsView*>("TrendsView"));
        QCOMPARE(historyTabCount(pages), 2);
        QCOMPARE(pages->currentIndex(), 1);
        QVERIFY(form->activeTab() != nullptr);
        // Built on first show only.
        QVERIFY(trendsTab(pages)->series().empty());
    }

    void theTrendsTabIsNoHistoryForDeleteOrCopy()
    {
        Desk desk;
        TChildForm* form = desk.openOnly({historyOn(2008, 5, 5), historyOn(2008, 5, 6)});
        QTabWidget* pages = form->pageControl();
        QVERIFY(action(form, "deleteLogMenuItem")->isEnabled());
        pages->setCurrentIndex(2);
        QVERIFY(form->activeTab() == nullptr);
        QVERIFY(!action(form, "deleteLogMenuItem")->isEnabled());
        QVERIFY(!action(form, "copyDataMenuItem")->isEnabled());

        // Invoked anyway, neither does anything.
        QGuiApplication::clipboard()->setText("before");
        form->copyDataClick();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("before"));
        form->deleteLogClick();
        QCOMPARE(desk.entry().GetMowerHandle().getLogCount(), 2);
        QCOMPARE(pages->count(), 3);
        QVERIFY(desk.user.boxes.empty());

        // Its caption opens no pop-up; a history's does.
        QTabBar* bar = pages->tabBar();
        auto* popup = form->findChild<QMenu*>("logTabPopup");
        const QPoint at = bar->tabRect(2).center();
        QContextMenuEvent onTrends(QContextMenuEvent::Mouse, at, bar->mapToGlobal(at));
        QApplication::sendEvent(bar, &onTrends);
        QVERIFY(!popup->isVisible());
        const QPoint atHistory = bar->tabRect(0).center();
        QContextMenuEvent onHistory(QContextMenuEvent::Mouse, atHistory, bar->mapToGlobal(atHistory));
        QApplication::sendEvent(bar, &onHistory);
        QVERIFY(popup->isVisible());
        QCOMPARE(pages->currentIndex(), 0);
        popup->hide();

        // Deleting a history leaves the trends tab last; with one history left
        // delete is off, the trends tab not counting as a second one.
        desk.user.answer = MbOK;
        form->deleteLogClick();
        QCOMPARE(desk.entry().GetMowerHandle().getLogCount(), 1);
        QCOMPARE(pages->count(), 2);
        QVERIFY(!action(form, "deleteLogMenuItem")->isEnabled());
        QCOMPARE(pages->widget(1)->objectName(), QString("TrendsPage"));
    }

    void showHistoryAddsBeforeTheTrendsTabWhichFollows()
    {
        Desk desk;
        TChildForm* form = desk.openOnly({historyOn(2008, 5, 5), historyOn(2008, 5, 6)});
        QTabWidget* pages = form->pageControl();
        pages->setCurrentIndex(2);
        TrendsView* trends = trendsTab(pages);
        QCOMPARE(trends->series().front().points.size(), std::size_t(2));

        auto filed = std::make_unique<TVXLog>();
        filed->setSerialNumber(Serial);
        filed->setDate({2011, 3, 4, 10, 20, 30});
        QCOMPARE(desk.list->InsertLog(filed), InsertResult::Inserted);
        QCOMPARE(pages->count(), 4);
        QCOMPARE(pages->currentIndex(), 2);
        QCOMPARE(pages->tabText(2), QString("04/03/2011 10 h 20"));
        QCOMPARE(pages->tabText(3), QString("Trends"));
        QVERIFY(form->activeTab() != nullptr);

        // The trends follow the record when shown again.
        pages->setCurrentIndex(3);
        QCOMPARE(trends->series().front().points.size(), std::size_t(3));
        QCOMPARE(trends->series().front().points.back().date, TVXLogTime(2011, 3, 4, 10, 20, 30));

        // Deleting a history while the trends are shown... from the history tab.
        pages->setCurrentIndex(0);
        desk.user.answer = MbOK;
        form->deleteLogClick();
        QCOMPARE(pages->count(), 3);
        pages->setCurrentIndex(2);
        QCOMPARE(trends->series().front().points.size(), std::size_t(2));

        // Showing a history already shown only makes it active; the comments
        // are stored for the history tabs alone.
        form->showHistory({2008, 5, 6, 14, 5, 30});
        QCOMPARE(pages->currentIndex(), 0);
        QCOMPARE(pages->count(), 3);
        form->storeComments();
    }

    void paintsOneAndFiftyHistories_data()
    {
        QTest::addColumn<int>("count");
        QTest::newRow("one") << 1;
        QTest::newRow("fifty") << 50;
    }
    void paintsOneAndFiftyHistories()
    {
        QFETCH(int, count);
        Desk desk;
        TChildForm* form = desk.openOnly(manyHistories(unsigned(count)));
        QTabWidget* pages = form->pageControl();
        pages->setCurrentIndex(pages->count() - 1);
        TrendsView* trends = trendsTab(pages);
        QCOMPARE(int(trends->series().size()), 6);
        for (const TrendSeries& one : trends->series())
            QCOMPARE(int(one.points.size()), count);
        const QImage image = trends->grab().toImage();
        QVERIFY(!image.isNull());
        // Something besides the background was drawn: the curve's colour.
        bool curve = false;
        for (int y = 0; y < image.height() && !curve; ++y)
            for (int x = 0; x < image.width() && !curve; ++x)
                curve = image.pixelColor(x, y) == QColor(0x1F, 0x5F, 0xA8);
        QVERIFY(curve);
        if (count == 50) {
            int changes = 0;
            for (const TrendPoint& p : trends->series().front().points)
                changes += p.serialChanged;
            QCOMPARE(changes, 1);
        }
    }

    // Pictures to look at, when TRENDS_PICTURES names a folder.
    void picturesOfTheWindow()
    {
        const QString folder = qEnvironmentVariable("TRENDS_PICTURES");
        if (folder.isEmpty())
            QSKIP("TRENDS_PICTURES not set");
        const char* names[] = {"en", "fr"};
        for (std::uint8_t language = 0; language < 2; ++language) {
            Desk desk;
            TVXStringTable::instance().setLanguage(language);
            TChildForm* form = desk.openOnly(manyHistories(50));
            form->pageControl()->setCurrentIndex(form->pageControl()->count() - 1);
            QCoreApplication::processEvents();
            QVERIFY(desk.main.grab().save(folder + "/trends-" + names[language] + ".png"));
        }
        TVXStringTable::instance().setLanguage(0);
    }

    void theCaptionFollowsTheLanguage()
    {
        const char* captions[] = {"Trends", "Tendances", "Andamenti", "Trends", "Verlauf"};
        for (std::uint8_t language = 0; language < 5; ++language) {
            TVXStringTable::instance().setLanguage(language);
            QCOMPARE(TrendsView::caption(), QString::fromUtf8(captions[language]));
        }
        TVXStringTable::instance().setLanguage(0);
    }
};

QTEST_MAIN(TestTrends)
#include "test_trends.moc"
