#include "core/TVXStringTable.h"
#include "link/EComPort.h"
#include "ui/TTVXOptionForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <set>

namespace {

constexpr std::uint8_t English = 0;
constexpr std::uint8_t French = 1;

// The main window as the dialog sees it, with a port list the test writes.
struct FakeMainWindow {
    std::vector<std::string> freePorts;
    bool listingFails = false;
    int listings = 0;
    std::string port = "COM1";
    bool setPortFails = false;
    std::vector<std::string> portsSet;
    bool autoScan = true;
    std::uint8_t language = French;
    std::set<std::string> devices;  // the names whose device is there

    OptionTargets targets()
    {
        OptionTargets targets;
        targets.listFreePorts = [this] {
            ++listings;
            if (listingFails)
                throw EComPort("/sys/class/tty: cannot read");
            return freePorts;
        };
        targets.currentPort = [this] { return port; };
        targets.setPort = [this](const std::string& name) {
            portsSet.push_back(name);
            port = name;
            if (setPortFails)
                throw EComPort(name + ": cannot open");
        };
        targets.autoScan = &autoScan;
        targets.language = &language;
        targets.portExists = [this](const std::string& name) { return devices.count(name) > 0; };
        return targets;
    }
};

template <typename T>
T* child(const QWidget& form, const char* name)
{
    T* widget = form.findChild<T*>(name);
    if (widget == nullptr)
        qFatal("no control %s", name);
    return widget;
}

QStringList items(const QComboBox* box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

}  // namespace

class TestOptionForm : public QObject {
    Q_OBJECT

private slots:
    void init() { TVXStringTable::instance().setLanguage(English); }

    void selectsTheCurrentPortWhenFreeElseTheFirstAndMakesThatOneCurrent()
    {
        FakeMainWindow main;
        main.freePorts = {"COM1", "COM2"};
        main.port = "COM3";
        TTVXOptionForm notFree(main.targets());
        auto* list = child<QComboBox>(notFree, "portListComboBox");
        QVERIFY(!list->isEditable());
        QCOMPARE(items(list), QStringList({"COM1", "COM2"}));
        QCOMPARE(list->currentText(), QString("COM1"));
        QCOMPARE(main.port, std::string("COM1"));

        main.port = "COM2";
        main.portsSet.clear();
        TTVXOptionForm free(main.targets());
        QCOMPARE(child<QComboBox>(free, "portListComboBox")->currentText(), QString("COM2"));
        QVERIFY(main.portsSet.empty());
    }

    void thePortInUseIsListedWhileItsDeviceIsThereEvenWhenNoSystemListHasIt()
    {
        // A simulator's pseudo-terminal is in no system list; a port held open is not free.
        FakeMainWindow main;
        main.freePorts = {"/dev/ttyS1", "/dev/ttyUSB0"};
        main.port = "/dev/pts/3";
        main.devices = {"/dev/pts/3", "/dev/ttyS1", "/dev/ttyUSB0"};
        main.autoScan = false;
        TTVXOptionForm form(main.targets());
        auto* list = child<QComboBox>(form, "portListComboBox");
        QCOMPARE(items(list), QStringList({"/dev/pts/3", "/dev/ttyS1", "/dev/ttyUSB0"}));
        QCOMPARE(list->currentText(), QString("/dev/pts/3"));
        QVERIFY(main.portsSet.empty());

        // Refresh keeps it listed beside the selected port; OK stores the choice.
        list->setCurrentIndex(2);
        main.freePorts = {"/dev/ttyUSB0"};
        child<QPushButton>(form, "refreshPortsButt")->click();
        QCOMPARE(items(list), QStringList({"/dev/pts/3", "/dev/ttyUSB0"}));
        QCOMPARE(list->currentText(), QString("/dev/ttyUSB0"));
        list->setCurrentIndex(0);
        child<QPushButton>(form, "OKButt")->click();
        QCOMPARE(main.port, std::string("/dev/pts/3"));

        // Held by this program while no other port is free: still offered and selected.
        FakeMainWindow held;
        held.port = "/dev/ttyUSB0";
        held.devices = {"/dev/ttyUSB0"};
        TTVXOptionForm alone(held.targets());
        QCOMPARE(items(child<QComboBox>(alone, "portListComboBox")), QStringList({"/dev/ttyUSB0"}));
        QCOMPARE(child<QComboBox>(alone, "portListComboBox")->currentText(), QString("/dev/ttyUSB0"));
        QVERIFY(held.portsSet.empty());

        // An adapter unplugged: its name gives way to the first free port.
        FakeMainWindow unplugged;
        unplugged.freePorts = {"/dev/ttyS1"};
        unplugged.port = "/dev/ttyUSB0";
        TTVXOptionForm gone(unplugged.targets());
        QCOMPARE(items(child<QComboBox>(gone, "portListComboBox")), QStringList({"/dev/ttyS1"}));
        QCOMPARE(unplugged.port, std::string("/dev/ttyS1"));
    }

    void withoutFreePortNothingIsSelectedAndTheCurrentPortStaysAlsoOnOK()
    {
        FakeMainWindow main;
        main.port = "COM3";
        main.autoScan = false;
        TTVXOptionForm form(main.targets());
        auto* list = child<QComboBox>(form, "portListComboBox");
        QCOMPARE(list->count(), 0);
        QCOMPARE(list->currentIndex(), -1);
        QCOMPARE(main.port, std::string("COM3"));

        form.open();
        child<QComboBox>(form, "LanguageComboBox")->setCurrentIndex(English);
        child<QPushButton>(form, "OKButt")->click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(main.portsSet.empty());
        QCOMPARE(main.port, std::string("COM3"));
        QCOMPARE(main.language, English);  // the rest is stored all the same

        // A system whose port list cannot be read looks the same: no port, nothing changed.
        FakeMainWindow unreadable;
        unreadable.listingFails = true;
        unreadable.port = "COM3";
        TTVXOptionForm broken(unreadable.targets());
        QCOMPARE(child<QComboBox>(broken, "portListComboBox")->count(), 0);
        QCOMPARE(unreadable.port, std::string("COM3"));
    }

    void clearingAutoScanEnablesTheListAtOnceAndAbortKeepsItForTheNextShowing()
    {
        FakeMainWindow main;
        main.freePorts = {"COM1", "COM2"};
        TTVXOptionForm form(main.targets());
        auto* box = child<QCheckBox>(form, "autoScanCheckBox");
        auto* list = child<QComboBox>(form, "portListComboBox");
        auto* label = child<QLabel>(form, "portNumLabel");
        auto* refresh = child<QPushButton>(form, "refreshPortsButt");
        QVERIFY(box->isChecked());
        QVERIFY(!list->isEnabled() && !label->isEnabled() && !refresh->isEnabled());

        bool enabledAtOnce = false;
        QTimer::singleShot(0, &form, [&] {
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
            enabledAtOnce = list->isEnabled() && label->isEnabled() && refresh->isEnabled();
            list->setCurrentIndex(1);
            child<QPushButton>(form, "exitButt")->click();
        });
        QCOMPARE(form.exec(), int(QDialog::Rejected));
        QVERIFY(enabledAtOnce);
        QVERIFY(main.autoScan);
        QCOMPARE(main.port, std::string("COM1"));

        bool shownAsLeft = false;
        QTimer::singleShot(0, &form, [&] {
            shownAsLeft = !box->isChecked() && list->isEnabled() && list->currentText() == "COM2";
            QTest::keyClick(&form, Qt::Key_Escape);
        });
        QCOMPARE(form.exec(), int(QDialog::Rejected));
        QVERIFY(shownAsLeft);
        QVERIFY(main.autoScan);
        QCOMPARE(main.listings, 1);  // the list is not read again for a showing

        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        QVERIFY(!list->isEnabled() && !label->isEnabled() && !refresh->isEnabled());
    }

    void okStoresTheScanThePortAndTheLanguageAndTellsWhenTheLanguageShows()
    {
        FakeMainWindow main;
        main.freePorts = {"COM1", "COM2"};
        main.autoScan = true;
        TVXStringTable::instance().setLanguage(French);
        TTVXOptionForm form(main.targets());
        auto* languages = child<QComboBox>(form, "LanguageComboBox");
        auto* note = child<QLabel>(form, "languageNoteLabel");
        QCOMPARE(items(languages),
                 QStringList({"English", QString::fromUtf8("Français"), "Italiano", "Dutch", "German"}));
        QCOMPARE(languages->currentIndex(), int(French));

        const auto discreet = [note] { return note->foregroundRole() == QPalette::PlaceholderText; };
        form.open();
        QVERIFY(note->isVisible() && discreet());
        languages->setCurrentIndex(languages->findText("English"));
        QVERIFY(!discreet());
        QVERIFY(note->text().contains("next start"));  // in the language chosen
        child<QCheckBox>(form, "autoScanCheckBox")->setChecked(false);
        child<QComboBox>(form, "portListComboBox")->setCurrentIndex(1);
        child<QPushButton>(form, "OKButt")->click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(main.language, English);
        QVERIFY(!main.autoScan);
        QCOMPARE(main.port, std::string("COM2"));

        // French stays in force until the next start: choosing it again makes the note discreet.
        form.open();
        QVERIFY(!discreet());
        languages->setCurrentIndex(French);
        QVERIFY(discreet());

        // A port that refuses its new name does not stop the other settings.
        main.setPortFails = true;
        child<QComboBox>(form, "portListComboBox")->setCurrentIndex(0);
        child<QCheckBox>(form, "autoScanCheckBox")->setChecked(true);
        child<QPushButton>(form, "OKButt")->click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(main.autoScan);
        QCOMPARE(main.language, French);
    }

    void aLanguageOutOfRangeShowsTheLanguageInForce()
    {
        FakeMainWindow main;
        main.language = 7;
        TVXStringTable::instance().setLanguage(French);
        TTVXOptionForm form(main.targets());
        QCOMPARE(child<QComboBox>(form, "LanguageComboBox")->currentIndex(), int(French));
        QCOMPARE(main.language, std::uint8_t(7));  // nothing is stored before OK
    }

    void refreshPicksUpANewPortAndKeepsTheSelectedOneWhileFree()
    {
        FakeMainWindow main;
        main.freePorts = {"/dev/ttyS1", "/dev/ttyS4"};
        main.port = "/dev/ttyS4";
        main.autoScan = false;
        TTVXOptionForm form(main.targets());
        auto* list = child<QComboBox>(form, "portListComboBox");
        auto* refresh = child<QPushButton>(form, "refreshPortsButt");
        form.open();

        // An adapter plugged in after start-up sorts before the selected port.
        main.freePorts = {"/dev/ttyACM0", "/dev/ttyS1", "/dev/ttyS4", "/dev/ttyUSB0"};
        QCOMPARE(list->count(), 2);  // read at construction only
        QTest::mouseClick(refresh, Qt::LeftButton);
        QCOMPARE(items(list), QStringList({"/dev/ttyACM0", "/dev/ttyS1", "/dev/ttyS4", "/dev/ttyUSB0"}));
        QCOMPARE(list->currentText(), QString("/dev/ttyS4"));

        list->setCurrentIndex(3);
        main.freePorts = {"/dev/ttyS1", "/dev/ttyUSB0"};
        refresh->click();
        QCOMPARE(list->currentText(), QString("/dev/ttyUSB0"));

        main.freePorts = {"/dev/ttyACM0", "/dev/ttyS1"};  // the selected port went away
        refresh->click();
        QCOMPARE(list->currentText(), QString("/dev/ttyACM0"));

        main.listingFails = true;  // the list shown stays as it was
        refresh->click();
        QCOMPARE(items(list), QStringList({"/dev/ttyACM0", "/dev/ttyS1"}));
        QCOMPARE(list->currentText(), QString("/dev/ttyACM0"));
        QVERIFY(main.portsSet.empty());  // only OK stores the port

        main.listingFails = false;
        main.freePorts = {"/dev/ttyUSB0"};
        child<QPushButton>(form, "OKButt")->click();
        QCOMPARE(main.port, std::string("/dev/ttyACM0"));

        // With no port at start-up, the one plugged in later is offered.
        FakeMainWindow empty;
        empty.autoScan = false;
        TTVXOptionForm late(empty.targets());
        empty.freePorts = {"/dev/ttyUSB0"};
        child<QPushButton>(late, "refreshPortsButt")->click();
        QCOMPARE(child<QComboBox>(late, "portListComboBox")->currentText(), QString("/dev/ttyUSB0"));
    }

    void worksFromTheKeyboardInTabOrderWithMnemonics()
    {
        FakeMainWindow main;
        main.freePorts = {"COM1", "COM2"};
        main.autoScan = false;
        TTVXOptionForm form(main.targets());
        form.open();
        QVERIFY(QTest::qWaitForWindowActive(&form));

        const char* order[] = {"autoScanCheckBox", "portListComboBox", "refreshPortsButt", "LanguageComboBox",
                               "folderRadioButt", "OKButt", "exitButt", "autoScanCheckBox"};
        QCOMPARE(QApplication::focusWidget()->objectName(), QString(order[0]));
        for (std::size_t i = 1; i < std::size(order); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), QString(order[i]));
        }

        QCOMPARE(child<QGroupBox>(form, "LanguageGroupBox")->title(), QString("&Language"));
        QTest::keyClick(&form, Qt::Key_L, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("LanguageComboBox"));
        QTest::keyClick(&form, Qt::Key_P, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget()->objectName(), QString("portListComboBox"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(child<QComboBox>(form, "portListComboBox")->currentText(), QString("COM2"));
        QTest::keyClick(&form, Qt::Key_R, Qt::AltModifier);  // a button's letter clicks it, after a moment
        QTRY_COMPARE(main.listings, 2);
        QTest::keyClick(&form, Qt::Key_A, Qt::AltModifier);
        QTRY_VERIFY(child<QCheckBox>(form, "autoScanCheckBox")->isChecked());

        // Return is OK wherever the focus is but on another button.
        child<QComboBox>(form, "LanguageComboBox")->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(!form.isVisible());
        QVERIFY(main.autoScan);
        QCOMPARE(main.port, std::string("COM2"));
    }

    void everyCaptionKeepsItsWholeSizeInEachLanguageAndTheNoteResizesNothing()
    {
        for (std::uint8_t language = 0; language < TVXStringTable::LanguageCount; ++language) {
            TVXStringTable::instance().setLanguage(language);
            FakeMainWindow main;
            main.freePorts = {"/dev/ttyUSB10"};
            main.language = language;
            TTVXOptionForm form(main.targets());
            form.open();
            const QString context = QString("language %1").arg(language);
            for (const char* name : {"autoScanCheckBox", "portNumLabel", "refreshPortsButt", "OKButt", "exitButt"}) {
                const QWidget* control = child<QWidget>(form, name);
                QVERIFY2(control->width() >= control->sizeHint().width(), qPrintable(context + " " + name));
                QVERIFY2(control->height() >= control->sizeHint().height(), qPrintable(context + " " + name));
            }
            for (const char* name : {"CommGroupBox", "LanguageGroupBox"}) {
                const QWidget* group = child<QWidget>(form, name);
                QVERIFY2(group->width() >= group->minimumSizeHint().width(), qPrintable(context + " " + name));
            }
            auto* list = child<QComboBox>(form, "portListComboBox");
            QVERIFY2(list->width() >= list->sizeHint().width(), qPrintable(context));

            const QSize size = form.size();
            auto* languages = child<QComboBox>(form, "LanguageComboBox");
            auto* note = child<QLabel>(form, "languageNoteLabel");
            for (int other = 0; other < languages->count(); ++other) {
                languages->setCurrentIndex(other);
                QApplication::processEvents();
                QCOMPARE(form.size(), size);
                QVERIFY2(note->width() >= note->sizeHint().width(), qPrintable(context));
            }
        }
    }
};

QTEST_MAIN(TestOptionForm)
#include "test_optionform.moc"
