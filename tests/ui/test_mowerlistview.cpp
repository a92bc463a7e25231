#include "Component/RecordWindows.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "core/CLogger.h"
#include "core/TVXStringTable.h"
#include "support/SampleDatabase.h"
#include "support/ScriptedUser.h"
#include "ui/MowerListView.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

namespace {

class CountingWindow : public RecordWindow {
public:
    void bringToFront() override { ++raised; }
    void showHistory(const TVXLogTime&) override {}
    void storeComments() override {}
    int raised = 0;
};

class CountingWindows : public RecordWindowFactory {
public:
    RecordWindow* openRecordWindow(TDBMower& mower) override
    {
        opened.push_back(&mower);
        windows.push_back(std::make_unique<CountingWindow>());
        return windows.back().get();
    }
    std::vector<TDBMower*> opened;
    std::vector<std::unique_ptr<CountingWindow>> windows;
};

// Five records whose names sort in the reverse of their serial numbers.
sample::RecordSpec spec(int i)
{
    sample::RecordSpec s;
    s.serial = 0x100u + static_cast<std::uint32_t>(i);
    s.name = std::string(1, char('E' - i));
    s.idNumber = static_cast<std::uint32_t>(i);
    return s;
}

}  // namespace

class TestMowerListView : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    ScriptedUser user_;
    CountingWindows windows_;
    std::unique_ptr<TDBMowerList> list_;
    std::unique_ptr<MowerListView> view_;

    std::uint32_t serialAt(int x, int y) const
    {
        const TDBMower* mower = view_->mowerAt(QPoint(x, y));
        return mower ? mower->GetSerial() : 0;
    }
    // The view's viewport is the list's width: the frame is taken off the widget's.
    // Tall enough by default for five tiles, so that no scroll bar takes its share of the width.
    void setViewportWidth(int width, int height = 400)
    {
        view_->resize(width + view_->width() - view_->viewport()->width(), height);
        QCoreApplication::processEvents();
    }

private slots:
    void init()
    {
        const std::string log = (dir_.path() + "/trace.log").toStdString();
        std::ofstream(log, std::ios::trunc).flush();
        CLogger::instance().open(log);
        TVXStringTable::instance().setLanguage(0);
        const std::filesystem::path folder = dir_.path().toStdString() + "/db";
        std::filesystem::remove_all(folder);
        sample::writeFolder(folder, 5, spec);
        user_ = ScriptedUser();
        windows_ = CountingWindows();
        list_ = std::make_unique<TDBMowerList>(user_, windows_);
        list_->SetSortByName(true);
        view_ = std::make_unique<MowerListView>();
        view_->setList(list_.get());
        list_->Load(folder.string());
        view_->show();
        setViewportWidth(221);
    }
    void cleanup()
    {
        view_.reset();
        list_.reset();
    }

    void tilesStandWhereTheListPutsThemAtEachWidth()
    {
        // By name: A (0x104) B (0x103) C D E.
        QCOMPARE(list_->GetWidth(), 221);
        QCOMPARE(serialAt(10, 10), 0x104u);
        QCOMPARE(serialAt(110, 10), 0x103u);
        QCOMPARE(serialAt(10, 110), 0x102u);
        QCOMPARE(serialAt(10, 210), 0x100u);
        QCOMPARE(serialAt(110, 210), 0u);

        setViewportWidth(330);
        QCOMPARE(list_->GetWidth(), 330);
        QCOMPARE(serialAt(215, 10), 0x102u);
        QCOMPARE(serialAt(110, 110), 0x100u);
        QCOMPARE(serialAt(10, 210), 0u);
        // A new width did not sort: the order is the name order still.
        QCOMPARE(list_->Entries()[0]->GetSerial(), 0x104u);
    }

    void aClickOpensTheRecordAndASecondRaisesIt()
    {
        QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, QPoint(120, 30));
        QCOMPARE(windows_.opened.size(), std::size_t(1));
        QCOMPARE(windows_.opened[0]->GetSerial(), 0x103u);
        QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, QPoint(120, 30));
        QCOMPARE(windows_.opened.size(), std::size_t(1));
        QCOMPARE(windows_.windows[0]->raised, 1);
        QTest::mouseClick(view_->viewport(), Qt::LeftButton, {}, QPoint(150, 250));  // no tile there
        QCOMPARE(windows_.opened.size(), std::size_t(1));
    }

    void theKeyboardReachesAndOpensEveryTile()
    {
        view_->setFocus(Qt::TabFocusReason);
        QCOMPARE(view_->currentIndex(), 0);
        QTest::keyClick(view_.get(), Qt::Key_Down);
        QTest::keyClick(view_.get(), Qt::Key_Right);
        QTest::keyClick(view_.get(), Qt::Key_Return);
        QCOMPARE(windows_.opened.size(), std::size_t(1));
        QCOMPARE(windows_.opened[0]->GetSerial(), 0x101u);  // D, the fourth by name
        QTest::keyClick(view_.get(), Qt::Key_End);
        QCOMPARE(view_->currentIndex(), 4);
    }

    void theContextMenuExportsTheTileUnderTheMouse()
    {
        const QString out = dir_.path() + "/exported.thf";
        user_.saveAnswer = out.toStdString();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 120), view_->viewport()->mapToGlobal(QPoint(20, 120)));
        QCoreApplication::sendEvent(view_->viewport(), &event);
        QMenu* menu = view_->tileMenu();
        QTRY_VERIFY(menu->isVisible());
        QCOMPARE(menu->actions().size(), 1);
        QAction* exportItem = menu->findChild<QAction*>("ExportMenuItem");
        QVERIFY(exportItem);
        QCOMPARE(exportItem->text(), QString("Export"));
        exportItem->trigger();
        menu->hide();
        QVERIFY(QFileInfo::exists(out));
        // The export holds the record of C, the tile at (0, 100).
        TDBMower exported(out.toStdString(), *list_);
        QCOMPARE(exported.GetSerial(), 0x102u);
        QCOMPARE(user_.plain.back(), std::string("Exportation done"));
        QVERIFY(windows_.opened.empty());  // exporting opens no window
    }

    void aSortShowsTheListFromItsFirstRow()
    {
        setViewportWidth(221, 150);
        QScrollBar* bar = view_->verticalScrollBar();
        for (const bool byName : {false, true}) {
            bar->setValue(bar->maximum());
            QVERIFY(bar->value() > 0);
            if (byName)
                list_->SortByName();
            else
                list_->SortByMachineId();
            QCOMPARE(bar->value(), 0);
            // What the dealer sees at the top is the first tile of the new order.
            QCOMPARE(view_->mowerAt(QPoint(10, 10)), list_->VisibleEntry(0));
        }
        // Narrowing the list by a search keeps the sort and the place.
        bar->setValue(bar->maximum());
        const int place = bar->value();
        list_->SetFilter("", false);
        QCOMPARE(bar->value(), place);
    }

    void aNewRecordShowsAtOnceInItsPlace()
    {
        auto record = sample::makeRecord({.serial = 0x200, .name = "AA", .idNumber = 9});
        QVERIFY(list_->CreateRecord(record));
        QCOMPARE(serialAt(110, 10), 0x200u);  // second by name: A, AA, B, ...
        QCOMPARE(list_->ContentHeight(), 305);
        // Scrolled to the bottom of a short view, the last row is in sight.
        view_->resize(view_->width(), 200);
        QCoreApplication::processEvents();
        view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->maximum());
        QVERIFY(view_->verticalScrollBar()->maximum() > 0);
        QCOMPARE(serialAt(110, view_->viewport()->height() - 20), 0x100u);
    }
};

QTEST_MAIN(TestMowerListView)
#include "test_mowerlistview.moc"
