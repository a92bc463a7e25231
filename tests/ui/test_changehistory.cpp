// A record's history of changes, from its window's Edition menu, against a
// throwaway cluster that the test starts itself: the journal's changes are
// listed oldest first in the dealer's words, a history deleted through the
// window comes back with "Restore", byte for byte as the server held it, and
// a folder database says that it keeps no journal.
//
// QUORVANE_DIALOG_SHOTS names a folder for pictures of the dialog (xwd of its
// window, so run under an X server: QT_QPA_PLATFORM=xcb).
#include "Class/RecordRows.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/RecordFileName.h"
#include "Component/RecordWindowTexts.h"
#include "Component/ServerRecordStore.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "core/AppPaths.h"
#include "core/AppTexts.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "support/PgCluster.h"
#include "support/RunCommand.h"
#include "support/SampleDatabase.h"
#include "support/ScriptedUser.h"
#include "ui/ChangeHistoryDialog.h"
#include "ui/TChildForm.h"
#include "ui/TTVXLogTab.h"
#include "ui/TTVXMainForm.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <fstream>
#include <functional>

namespace {

using pgtest::Cluster;

constexpr std::uint32_t Serial = 0x05000001;
constexpr std::uint32_t Changed = 0x05000002;
const TVXLogTime Deleted(2000, 2, 1, 12, 0, 0);  // the second of the sample record's three histories
const TVXLogTime Filed(2001, 6, 15, 10, 30, 0);

void writeSettings(const QString& path, const std::string& server, int language)
{
    std::ofstream(path.toStdString(), std::ios::binary)
        << "[GENERAL]\r\nLANGUAGE=" << language << "\r\n[COM]\r\nAUTO=0\r\nPORT=COM1\r\n[FILEPATH]\r\nDBSERVER="
        << server << "\r\n";
}

// The record as the server holds it now, read as another PC would.
bool serverRows(const std::string& uri, RecordRows& rows, std::string& error)
{
    ServerRecordStore store(uri);
    std::vector<RecordCaption> captions;
    if (const StoreResult listed = store.list(captions); !listed) {
        error = listed.reason;
        return false;
    }
    for (RecordCaption& caption : captions) {
        std::string bytes;
        if (caption.serialNumber != Serial)
            continue;
        if (const StoreResult read = store.loadFile(caption, bytes); !read) {
            error = read.reason;
            return false;
        }
        rows = splitRecordFile(bytes);
        return true;
    }
    error = "no record " + serialHex(Serial);
    return false;
}

const HistoryRow* rowOf(const RecordRows& rows, const TVXLogTime& date)
{
    for (const HistoryRow& h : rows.histories)
        if (h.date == date)
            return &h;
    return nullptr;
}

std::vector<TVXLogTime> datesOf(const RecordRows& rows)
{
    std::vector<TVXLogTime> dates;
    for (const HistoryRow& h : rows.histories)
        dates.push_back(h.date);
    std::sort(dates.begin(), dates.end());
    return dates;
}

std::unique_ptr<TVXLog> newHistory(const TVXLogTime& date)
{
    TVXLog::Image image;
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 13 + 5);
    auto history = std::make_unique<TVXLog>(image);
    history->setSerialNumber(Serial);
    history->setTypeByte(0x24);
    history->setDate(date);
    return history;
}

TTVXLogTab* tabOf(const TChildForm& window, const TVXLogTime& date)
{
    for (TTVXLogTab* tab : window.findChildren<TTVXLogTab*>())
        if (tab->date() == date)
            return tab;
    return nullptr;
}

QString cell(const QTableView* table, int row, int column)
{
    return table->model()->index(row, column).data().toString();
}

// Runs the step on the first modal dialog of that class that comes up, then
// closes it.
void onDialog(const char* className, std::function<void(QDialog*)> step)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, poll, [poll, className, step]() {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->inherits(className))
            return;
        poll->stop();
        poll->deleteLater();
        step(dialog);
        dialog->reject();
    });
    poll->start(20);
}

}  // namespace

class TestChangeHistory : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        std::string output;
        QVERIFY2(cluster_.start(output), output.c_str());
        std::string error;
        QVERIFY2(cluster_.createDatabase("shop", true, error), error.c_str());
        ServerRecordStore store(cluster_.uri("shop"));
        QVERIFY(store.open());
        RecordCaption caption;
        const auto record = sample::makeRecord({.serial = Serial, .name = "Anna", .idNumber = 11, .histories = 3});
        QVERIFY(store.create(*record, caption));

        // A record that another bench changed in every way, for the layout.
        RecordCaption changed;
        const auto other = sample::makeRecord({.serial = Changed, .name = "Bert", .idNumber = 12, .histories = 4});
        QVERIFY(store.create(*other, changed));
        other->findLog(TVXLogTime(2000, 1, 1, 12, 0, 0)).setComment("Wheel motor replaced");
        QVERIFY(store.save(changed, *other));
        other->getOwner().setName("Bertram");
        QVERIFY(store.save(changed, *other));
        other->eraseLog(TVXLogTime(2000, 2, 1, 12, 0, 0));
        other->eraseLog(TVXLogTime(2000, 3, 1, 12, 0, 0));
        QVERIFY(store.save(changed, *other));
        std::vector<JournalEntry> journal;
        QVERIFY(store.journal({serialHex(Changed), ""}, journal));
        JournalEntry undone;
        QVERIFY(store.undo(journal.back().change, undone));
    }

    void cleanupTestCase() { cluster_.stop(); }

    void aDeletedHistoryComesBackFromTheJournal()
    {
        const std::string uri = cluster_.uri("shop");
        QTemporaryDir dir;
        writeSettings(dir.filePath("quorvane.INI"), uri, 0);
        ScriptedUser user;
        TTVXMainForm form(AppPaths::inFolder(dir.path().toStdString()), &user);
        form.show();
        QVERIFY(form.mowerList());
        TDBMower* mower = form.mowerList()->FindBySerial(Serial);
        QVERIFY(mower);

        // A comment, then a history filed, which opens the window; then the
        // dealer deletes the commented history there.
        QVERIFY(mower->StoreComment(Deleted, "Blades changed, ok"));
        std::unique_ptr<TVXLog> history = newHistory(Filed);
        QCOMPARE(form.mowerList()->InsertLog(history), InsertResult::Inserted);
        auto* window = dynamic_cast<TChildForm*>(mower->GetChildForm());
        QVERIFY(window);
        RecordRows before;
        std::string error;
        QVERIFY2(serverRows(uri, before, error), error.c_str());
        QVERIFY(rowOf(before, Deleted));
        QCOMPARE(rowOf(before, Deleted)->comment, std::string("Blades changed, ok"));

        TTVXLogTab* doomed = tabOf(*window, Deleted);
        QVERIFY(doomed);
        window->pageControl()->setCurrentWidget(doomed);
        window->findChild<QAction*>("deleteLogMenuItem")->trigger();
        QVERIFY(tabOf(*window, Deleted) == nullptr);
        RecordRows without;
        QVERIFY2(serverRows(uri, without, error), error.c_str());
        QVERIFY(rowOf(without, Deleted) == nullptr);

        // The journal as another PC reads it: what the dialog must show.
        std::vector<JournalEntry> journal;
        {
            ServerRecordStore store(uri);
            QVERIFY(store.journal({serialHex(Serial), ""}, journal));
        }
        QCOMPARE(journal.size(), std::size_t(4));

        const std::string deletedText = readingDateText(Deleted);
        QStringList numbers, whens, wheres, whats;
        bool deletionSelected = false, restoreOnDeletion = false, restoreOnFiling = true, restoreOnCreation = true;
        QStringList whatsAfter;
        int selectedAfter = -1;
        bool restoreStillOn = false;
        std::size_t boxesAfterFirst = 0;
        user.boxes.clear();
        onDialog("ChangeHistoryDialog", [&](QDialog* dialog) {
            auto* table = dialog->findChild<QTableView*>("changeHistoryTable");
            auto* restore = dialog->findChild<QPushButton*>("restoreButton");
            if (!table || !restore || !dialog->findChild<QPushButton*>("closeButton"))
                return;
            for (int row = 0; row < table->model()->rowCount(); ++row) {
                numbers << cell(table, row, 0);
                whens << cell(table, row, 1);
                wheres << cell(table, row, 2);
                whats << cell(table, row, 3);
            }
            const int last = table->model()->rowCount() - 1;
            deletionSelected = table->selectionModel()->isRowSelected(last, {});
            restoreOnDeletion = restore->isEnabled();
            table->selectRow(2);  // the filing
            restoreOnFiling = restore->isEnabled();
            table->selectRow(0);  // the creation
            restoreOnCreation = restore->isEnabled();

            table->selectRow(last);
            restore->click();
            boxesAfterFirst = user.boxes.size();
            for (int row = 0; row < table->model()->rowCount(); ++row)
                whatsAfter << cell(table, row, 3);
            const QModelIndexList selected = table->selectionModel()->selectedRows();
            selectedAfter = selected.isEmpty() ? -1 : selected.first().row();
            restoreStillOn = restore->isEnabled();
            // Once more: the record holds that history by now.
            restore->click();
        });
        window->findChild<QAction*>("changeHistoryMenuItem")->trigger();

        // The changes, oldest first, in the dealer's words.
        QCOMPARE(numbers.size(), 4);
        for (int row = 0; row < 4; ++row) {
            const JournalEntry& e = journal[std::size_t(row)];
            QCOMPARE(numbers[row].toLongLong(), e.change);
            QCOMPARE(wheres[row].toStdString(), e.user + "@" + e.pc);
            QCOMPARE(whens[row].size(), 19);  // dd/mm/yyyy hh:mm:ss
            QVERIFY2(whens[row].endsWith(QString::fromStdString(e.at.substr(11))), qPrintable(whens[row]));
        }
        QCOMPARE(whats[0].toStdString(), appText(AppText::ChangeRecordCreated, {"3"}));
        QCOMPARE(whats[1].toStdString(), appText(AppText::ChangeCommentEdited, {deletedText}));
        QCOMPARE(whats[2].toStdString(), appText(AppText::ChangeHistoryFiled, {readingDateText(Filed)}));
        QCOMPARE(whats[3].toStdString(), appText(AppText::ChangeHistoryDeleted, {deletedText}));
        QVERIFY(deletionSelected);
        QVERIFY(restoreOnDeletion);
        QVERIFY(!restoreOnFiling);
        QVERIFY(!restoreOnCreation);

        // Restored: said, listed as a change of its own, the deletion still selected.
        QCOMPARE(boxesAfterFirst, std::size_t(1));
        QCOMPARE(user.boxes[0].type, MsgType::Information);
        QCOMPARE(user.boxes[0].text, appText(AppText::HistoryRestored, {deletedText}));
        QCOMPARE(whatsAfter.size(), 5);
        QCOMPARE(whatsAfter[4].toStdString(), appText(AppText::ChangeHistoryFiled, {deletedText}));
        QCOMPARE(selectedAfter, 3);
        QVERIFY(restoreStillOn);
        // The second time it is refused, with the reason.
        QCOMPARE(user.boxes.size(), std::size_t(2));
        QCOMPARE(user.boxes[1].type, MsgType::Warning);
        QCOMPARE(user.boxes[1].text, deletedText + ": " + catalogueText(Msg::HistoryDateExists));

        // Its tab shows again, the active one, and the server holds the
        // history as it held it before, comment and all, once.
        TTVXLogTab* back = tabOf(*window, Deleted);
        QVERIFY(back);
        QCOMPARE(window->pageControl()->currentWidget(), back);
        QCOMPARE(back->commentText(), std::string("Blades changed, ok"));
        RecordRows after;
        QVERIFY2(serverRows(uri, after, error), error.c_str());
        QVERIFY(rowOf(after, Deleted));
        QVERIFY(*rowOf(after, Deleted) == *rowOf(before, Deleted));
        QVERIFY(datesOf(after) == datesOf(before));
        for (const HistoryRow& h : before.histories)
            QVERIFY(*rowOf(after, h.date) == h);
        QCOMPARE(after.name, before.name);
        form.close();
    }

    // Each column as wide as its texts, nothing cut, in every language, on a
    // small screen too.
    void theColumnsShowTheirTextsWhole_data()
    {
        QTest::addColumn<int>("language");
        for (int language = 0; language < TVXStringTable::LanguageCount; ++language)
            QTest::newRow(qPrintable(QString::number(language))) << language;
    }
    void theColumnsShowTheirTextsWhole()
    {
        QFETCH(int, language);
        QTemporaryDir dir;
        writeSettings(dir.filePath("quorvane.INI"), cluster_.uri("shop"), language);
        ScriptedUser user;
        TTVXMainForm form(AppPaths::inFolder(dir.path().toStdString()), &user);
        form.show();
        QVERIFY(form.mowerList());
        TDBMower* mower = form.mowerList()->FindBySerial(Changed);
        QVERIFY(mower);
        mower->OpenRecord();
        auto* window = dynamic_cast<TChildForm*>(mower->GetChildForm());
        QVERIFY(window);

        ChangeHistoryDialog dialog(*mower, form.mowerList()->Store(), user, window);
        QVERIFY(dialog.reload());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        auto* table = dialog.findChild<QTableView*>("changeHistoryTable");
        // In the dealer's language, every kind of change.
        QCOMPARE(table->model()->rowCount(), 5);
        QCOMPARE(cell(table, 0, 3).toStdString(), appText(AppText::ChangeRecordCreated, {"4"}));
        QCOMPARE(cell(table, 1, 3).toStdString(), appText(AppText::ChangeCommentEdited, {"01/01/2000 12:00:00"}));
        QCOMPARE(cell(table, 2, 3).toStdString(), appText(AppText::ChangeOwnerData));
        QCOMPARE(cell(table, 3, 3).toStdString(),
                 appText(AppText::ChangeHistoriesDeleted, {"01/02/2000 12:00:00, 01/03/2000 12:00:00"}));
        QCOMPARE(cell(table, 4, 3).toStdString(),
                 appText(AppText::ChangeUndo, {cell(table, 3, 0).toStdString()}) + " "
                     + appText(AppText::ChangeHistoriesFiled, {"01/02/2000 12:00:00, 01/03/2000 12:00:00"}));
        QVERIFY(dialog.windowTitle().contains(QString::fromStdString(serialHex(Changed))));
        const QRect screen = dialog.screen()->availableGeometry();
        QVERIFY2(dialog.frameGeometry().width() <= screen.width()
                     && dialog.frameGeometry().height() <= screen.height(),
                 qPrintable(QStringLiteral("%1x%2").arg(dialog.width()).arg(dialog.height())));
        const QFontMetrics cells = table->fontMetrics();
        const QFontMetrics header = table->horizontalHeader()->fontMetrics();
        for (int column = 0; column < 4; ++column) {
            const QString caption = table->model()->headerData(column, Qt::Horizontal).toString();
            QVERIFY2(table->columnWidth(column) >= header.horizontalAdvance(caption) + 8, qPrintable(caption));
        }
        // The change column is as wide as its texts unless the screen is too
        // narrow for the dialog; the selected change stands whole under the table.
        auto* detail = dialog.findChild<QLabel*>("changeDetailLabel");
        const bool atScreenWidth = dialog.frameGeometry().width() >= screen.width() - 60;
        for (int row = 0; row < table->model()->rowCount(); ++row) {
            for (int column = 0; column < 4; ++column) {
                const QString text = cell(table, row, column);
                if (column < 3 || !atScreenWidth)
                    QVERIFY2(table->columnWidth(column) >= cells.horizontalAdvance(text) + 4, qPrintable(text));
            }
            table->selectRow(row);
            QCOMPARE(detail->text(), cell(table, row, 3));
            QVERIFY2(detail->height() >= detail->heightForWidth(detail->width()), qPrintable(detail->text()));
        }
        // No line is cut at the bottom or the side: the table scrolls only downwards.
        QVERIFY(!table->horizontalScrollBar()->isVisible());
        for (QPushButton* button : dialog.findChildren<QPushButton*>())
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(button->text()));

        const QString shots = qEnvironmentVariable("QUORVANE_DIALOG_SHOTS");
        if (!shots.isEmpty()) {
            QTest::qWait(300);  // the window manager's frame
            const QString file = QStringLiteral("%1/changehistory-%2-%3x%4.xwd")
                                     .arg(shots)
                                     .arg(language)
                                     .arg(screen.width())
                                     .arg(screen.height());
            const CommandRun run = runCommand("xwd -silent -id " + std::to_string(dialog.winId()) + " -out "
                                              + pgtest::quoted(file.toStdString()));
            QVERIFY2(run.status == 0, run.output.c_str());
        }
        dialog.hide();
        form.close();
    }

    void aFolderDatabaseSaysItKeepsNoJournal()
    {
        QTemporaryDir dir;
        std::ofstream(dir.filePath("quorvane.INI").toStdString()) << "[GENERAL]\r\nLANGUAGE=0\r\n";
        sample::writeFolder(dir.path().toStdString() + "/database", 1, [](int) {
            return sample::RecordSpec {.serial = Serial, .name = "Anna", .idNumber = 11, .histories = 2};
        });
        ScriptedUser user;
        TTVXMainForm form(AppPaths::inFolder(dir.path().toStdString()), &user);
        QVERIFY(form.mowerList());
        TDBMower* mower = form.mowerList()->FindBySerial(Serial);
        QVERIFY(mower);
        mower->OpenRecord();
        auto* window = dynamic_cast<TChildForm*>(mower->GetChildForm());
        QVERIFY(window);
        QAction* item = window->findChild<QAction*>("changeHistoryMenuItem");
        QVERIFY(item->isEnabled());
        QVERIFY(window->editionMenu()->actions().contains(item));
        QCOMPARE(item->text().remove('&').toStdString(), appText(AppText::ChangeHistoryItem));
        item->trigger();
        QCOMPARE(user.boxes.size(), std::size_t(1));
        QCOMPARE(user.boxes[0].type, MsgType::Information);
        QCOMPARE(user.boxes[0].text, appText(AppText::ChangeHistoryEmpty));
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        form.close();
    }

private:
    Cluster cluster_;
};

QTEST_MAIN(TestChangeHistory)
#include "test_changehistory.moc"
