// The main window from the keyboard alone, as a dealer without a mouse uses
// it from a fresh start: the command keys work whatever control has the
// focus, Tab stays out of the record windows behind the front one, and
// Ctrl+Tab goes through the record windows. Keys are sent to the control
// that has the focus, as the keyboard sends them.
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "core/AppPaths.h"
#include "core/CLogger.h"
#include "support/SampleDatabase.h"
#include "support/ScriptedUser.h"
#include "ui/TChildForm.h"
#include "ui/TTVXLogTab.h"
#include "ui/TTVXMainForm.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>

#include <fstream>
#include <memory>

namespace {

// Tells the two imports apart by the filter their file dialog starts on.
class CommandUser : public ScriptedUser {
public:
    std::optional<std::string> chooseOpenFile(const std::string& title, const std::vector<FileFilter>& filters,
                                              int selected) override
    {
        opened.push_back(filters.at(static_cast<std::size_t>(selected - 1)).pattern);
        return ScriptedUser::chooseOpenFile(title, filters, selected);
    }
    std::vector<std::string> opened;
};

int timesLogged(const std::string& text)
{
    int count = 0;
    for (const auto& entry : CLogger::instance().entries())
        count += entry.text == text ? 1 : 0;
    return count;
}

// The window of a fresh start over a database of three records, on no port:
// a link command ends at once with "No machine connected".
class Desk {
public:
    Desk()
    {
        paths = AppPaths::inFolder(dir.path().toStdString());
        std::ofstream(dir.filePath("quorvane.INI").toStdString()) << "[GENERAL]\r\nLANGUAGE=0\r\n";
        sample::writeFolder(dir.path().toStdString() + "/database", 3, [](int i) {
            return sample::RecordSpec {.serial = 0x04000100u + std::uint32_t(i), .name = std::string(1, char('A' + i)),
                                       .idNumber = std::uint32_t(i + 1), .histories = 2};
        });
        form = std::make_unique<TTVXMainForm>(paths, &user);
        form->setPortLister([] { return std::vector<std::string>(); });
        form->createDialogs();
        form->show();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    ~Desk()
    {
        if (form->isVisible())
            form->close();
    }

    QMdiArea* area() const { return form->findChild<QMdiArea*>("ClientArea"); }
    QLineEdit* search() const { return form->findChild<QLineEdit*>("searchEdit"); }
    // The record's window, opened as a click on its tile opens it.
    TChildForm* open(int index)
    {
        TDBMower& mower = *form->mowerList()->Entries().at(static_cast<std::size_t>(index));
        mower.OpenRecord();
        return dynamic_cast<TChildForm*>(mower.GetChildForm());
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        QTest::keyClick(focus, Qt::Key(key), modifiers);
    }

    QTemporaryDir dir;
    AppPaths paths;
    CommandUser user;
    std::unique_ptr<TTVXMainForm> form;
};

// The control of a record window that the keyboard is in, if any.
QMdiSubWindow* windowWithKeyboard()
{
    for (QWidget* w = QApplication::focusWidget(); w != nullptr; w = w->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w))
            return sub;
    return nullptr;
}

}  // namespace

class TestKeyboard : public QObject {
    Q_OBJECT

private slots:
    void everyCommandKeyStartsItsCommandWhateverHasTheFocus_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("the search field, at start-up") << "search";
        QTest::newRow("the tiles") << "tiles";
        QTest::newRow("a record window's event grid") << "grid";
        QTest::newRow("a record window's memo") << "memo";
    }

    void everyCommandKeyStartsItsCommandWhateverHasTheFocus()
    {
        QFETCH(QString, control);
        Desk desk;
        QCOMPARE(QApplication::focusWidget(), desk.search());  // where a fresh start leaves the keyboard
        QWidget* target = desk.search();
        if (control == "tiles") {
            target = desk.form->findChild<QWidget*>("mowerList");
        } else if (control == "memo") {
            target = desk.open(0)->activeTab()->findChild<QPlainTextEdit*>("commentMemo");
        } else if (control == "grid") {
            TTVXLogTab* tab = desk.open(0)->activeTab();
            tab->findChild<QTabWidget*>("innerPages")->setCurrentIndex(1);  // the events
            target = tab->findChild<QTableView*>("histGrid");
        }
        QVERIFY(target && target->isVisible());
        const auto focusTarget = [&] {
            // A dialog that was shown hands the keyboard back to the window
            // (the desktop does it; this platform leaves it to the test).
            desk.form->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(desk.form.get()));
            target->setFocus(Qt::OtherFocusReason);
            QCOMPARE(QApplication::focusWidget(), target);
        };

        focusTarget();
        desk.press(Qt::Key_U, Qt::ControlModifier);
        QCOMPARE(timesLogged("request software update"), 1);
        QCOMPARE(desk.user.boxes.size(), std::size_t(1));  // no mower: the command ran to its end

        focusTarget();
        desk.press(Qt::Key_L, Qt::ControlModifier);
        QCOMPARE(timesLogged("Request loading history"), 1);

        focusTarget();
        desk.press(Qt::Key_I, Qt::ControlModifier);
        focusTarget();
        desk.press(Qt::Key_B, Qt::ControlModifier);
        QCOMPARE(desk.user.opened, (std::vector<std::string> {"*.dat", "*.bin"}));

        if (control != "search") {
            focusTarget();
            desk.press(Qt::Key_F, Qt::ControlModifier);
            QCOMPARE(QApplication::focusWidget(), desk.search());
        }

        QString options;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                options = dialog->objectName();
                dialog->reject();
            }
        });
        focusTarget();
        desk.press(Qt::Key_Comma, Qt::ControlModifier);
        QCOMPARE(options, QString("TVXOptionForm"));

        // The text and the tiles are as they were: no key went to the control.
        QVERIFY(desk.search()->text().isEmpty());
        QCOMPARE(desk.form->mowerList()->VisibleCount(), std::size_t(3));

        focusTarget();
        desk.press(Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!desk.form->isVisible());
    }

    void tabFromTheLeftGoesOnlyIntoTheFrontRecordWindow()
    {
        Desk desk;
        TChildForm* first = desk.open(0);
        TChildForm* second = desk.open(1);
        TChildForm* third = desk.open(2);
        desk.area()->cascadeSubWindows();
        desk.area()->setActiveSubWindow(second->subWindow());
        for (TChildForm* form : {first, second, third})
            QVERIFY(form->subWindow()->isVisible());

        for (const Qt::KeyboardModifiers direction : {Qt::NoModifier, Qt::ShiftModifier}) {
            desk.search()->setFocus(Qt::OtherFocusReason);
            bool reachedFront = false;
            // Round the whole window twice.
            for (int press = 0; press < 80; ++press) {
                desk.press(Qt::Key_Tab, direction);
                QCOMPARE(desk.area()->activeSubWindow(), second->subWindow());
                QMdiSubWindow* in = windowWithKeyboard();
                QVERIFY(in == nullptr || in == second->subWindow());
                reachedFront = reachedFront || in != nullptr;
                if (in != nullptr)
                    desk.search()->setFocus(Qt::OtherFocusReason);  // back to the left for the next round
            }
            QVERIFY(reachedFront);
        }

        // No record window in front: Tab stays with the controls on the left.
        for (TChildForm* form : {first, second, third})
            form->subWindow()->close();
        desk.search()->setFocus(Qt::OtherFocusReason);
        for (int press = 0; press < 20; ++press) {
            desk.press(Qt::Key_Tab);
            QVERIFY(windowWithKeyboard() == nullptr);
            QVERIFY(QApplication::focusWidget()->window() == desk.form.get());
        }
    }

    void ctrlTabGoesThroughTheRecordWindows()
    {
        Desk desk;
        TChildForm* first = desk.open(0);
        TChildForm* second = desk.open(1);
        first->subWindow()->close();  // put aside: skipped
        TChildForm* third = desk.open(2);
        desk.search()->setFocus(Qt::OtherFocusReason);

        // From the left, the keyboard goes into the front window first.
        desk.press(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(windowWithKeyboard(), third->subWindow());
        QCOMPARE(desk.area()->activeSubWindow(), third->subWindow());

        // Then round the shown windows, whatever control of theirs has the keyboard.
        third->activeTab()->findChild<QPlainTextEdit*>("commentMemo")->setFocus(Qt::OtherFocusReason);
        desk.press(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(desk.area()->activeSubWindow(), second->subWindow());
        QCOMPARE(windowWithKeyboard(), second->subWindow());
        QVERIFY(second->subWindow()->isMaximized());
        desk.press(Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(desk.area()->activeSubWindow(), third->subWindow());
        QVERIFY(third->activeTab()->findChild<QPlainTextEdit*>("commentMemo")->toPlainText().isEmpty());

        // Backwards with Shift, which the keyboard sends as Backtab.
        desk.press(Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(desk.area()->activeSubWindow(), second->subWindow());
        QCOMPARE(windowWithKeyboard(), second->subWindow());
        QVERIFY(first->subWindow()->isHidden());
    }
};

QTEST_MAIN(TestKeyboard)
#include "test_keyboard.moc"
