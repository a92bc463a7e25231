// moc reads this file with C++17 predefinitions, under which it cannot parse
// the standard <compare> the record headers need; the compiler alone reads them.
#ifndef Q_MOC_RUN
#include "Class/RecordFile.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/HistoryFiling.h"
#include "support/SampleDatabase.h"
#endif
#include "core/AppTexts.h"
#include "Component/RecordDialogs.h"
#include "Component/RecordFileName.h"
#include "Component/RecordValidation.h"
#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "Component/TVXCheckDir.h"
#include "core/CLogger.h"
#include "core/Clock.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "support/ScriptedUser.h"
#include "support/TempDir.h"
#include "ui/QtRecordDialogs.h"
#include "ui/QtUserInteraction.h"
#include "ui/RecordWindowArea.h"
#include "ui/TChildForm.h"
#include "ui/TchangeODataForm.h"
#include "ui/TcreateForm.h"
#include "ui/TinsertForm.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTime>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>
#include <sys/resource.h>

namespace {

// Anna's record sorts first by name, Bruno's second; the history offered comes
// from a mower the database lacks.
constexpr std::uint32_t Anna = 0x00000100;   // TX-05-001
constexpr std::uint32_t Bruno = 0x00000200;  // WK-06-002 (code 9)
constexpr std::uint32_t NewMower = 0x00000999;
const TVXLogTime AnnasDate {2000, 1, 1, 12, 0, 0};  // the date of a sample record's first history
const TVXLogTime BrunosDate {2005, 6, 7, 8, 9, 10};
const TVXLogTime NewDate {2011, 3, 4, 10, 20, 30};

QString qmessage(std::uint16_t number)
{
    return QString::fromStdString(catalogueText(number));
}

template <class T>
T* control(QWidget* dialog, const char* name)
{
    T* found = dialog->findChild<T*>(name);
    if (found == nullptr)
        qFatal("no control %s", name);
    return found;
}

QString focusName()
{
    return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
}

void showActive(QWidget* dialog)
{
    dialog->show();
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog));
}

// Presses a key where the focus is, as the dealer does.
void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
}

// Runs `act` on the next modal dialog once it is shown, from its own event
// loop; gives up after five seconds.
void whenModal(std::function<void(QWidget*)> act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act, since = QTime::currentTime()]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr && since.msecsTo(QTime::currentTime()) < 5000)
            return;
        poll->stop();
        poll->deleteLater();
        if (modal)
            act(modal);
    });
    poll->start(10);
}

class FixedClock : public Clock {
public:
    void sleep(unsigned) override {}
    void sleepMicros(unsigned) override {}
    LocalTime now() override { return {2011, 3, 4, 10, 20, 30, 0}; }
    std::uint64_t monotonicMicros() override { return 0; }
};

std::unique_ptr<TVXLog> historyOf(std::uint32_t serial, const TVXLogTime& date)
{
    auto history = std::make_unique<TVXLog>();
    history->setSerialNumber(serial);
    history->setDate(date);
    return history;
}

// While it lives no file of this process grows past 100 bytes, as on a full
// disk: the write fails with EFBIG instead of the process being signalled.
class DiskFullFor100Bytes {
public:
    DiskFullFor100Bytes()
    {
        ::getrlimit(RLIMIT_FSIZE, &before_);
        previousSignal_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit full = before_;
        full.rlim_cur = 100;
        ::setrlimit(RLIMIT_FSIZE, &full);
    }
    ~DiskFullFor100Bytes()
    {
        ::setrlimit(RLIMIT_FSIZE, &before_);
        std::signal(SIGXFSZ, previousSignal_);
    }
    DiskFullFor100Bytes(const DiskFullFor100Bytes&) = delete;
    DiskFullFor100Bytes& operator=(const DiskFullFor100Bytes&) = delete;

private:
    rlimit before_ {};
    void (*previousSignal_)(int) = SIG_DFL;
};

enum class Folder { AnnaAndBruno, Empty };

// A main window with its MDI area, the record windows over it, a database
// folder (loaded, unless it is to be filled first) and the history offered
// to the dialogs, from a mower the database lacks.
class Desk {
public:
    explicit Desk(std::uint8_t language = 0, Folder folder = Folder::AnnaAndBruno, bool loaded = true)
    {
        TVXStringTable::instance().setLanguage(language);
        dir.write("trace.log", "");
        dir.write(TVXCheckDir::DefaultFileName, "");
        CLogger::instance().open(dir.file("trace.log"));
        area = new QMdiArea(&main);
        QMenu* windowMenu = main.menuBar()->addMenu("Window");
        main.setCentralWidget(area);
        windows = std::make_unique<RecordWindowArea>(area, main.menuBar(), windowMenu, user);
        list = std::make_unique<TDBMowerList>(user, *windows);
        main.resize(1000, 700);
        main.show();
        if (folder == Folder::AnnaAndBruno)
            addAnnaAndBruno();
        if (loaded)
            load();
    }

    // Writes a record file and lists it in the checker; `fileSerial` names the
    // file when it is not the record's own serial.
    void addRecord(TVXMowerLog& record, std::optional<std::uint32_t> fileSerial = std::nullopt)
    {
        const std::uint32_t named = fileSerial.value_or(record.getSerialNumber());
        dir.write(recordFileName(named), writeRecordFile(record));
        checker += TVXCheckDir::EncodeEntry(named);
        dir.write(TVXCheckDir::DefaultFileName, checker);
    }
    // Anna's history has the date AnnasDate, Bruno's BrunosDate.
    void addAnnaAndBruno()
    {
        std::unique_ptr<TVXMowerLog> anna =
            sample::makeRecord({.serial = Anna, .name = "Anna", .typeCode = 4, .idYear = 5, .idNumber = 1});
        anna->getOwner().setAddress("12 Long Road\r\nSmalltown\r\n");
        addRecord(*anna);
        std::unique_ptr<TVXMowerLog> bruno = sample::makeRecord(
            {.serial = Bruno, .name = "Bruno", .typeCode = 9, .idYear = 6, .idNumber = 2, .histories = 0});
        auto history = std::make_unique<TVXLog>();
        history->setSerialNumber(Bruno);
        history->setDate(BrunosDate);
        bruno->insertLog(std::move(history));
        addRecord(*bruno);
    }
    void load() { list->Load(dir.path()); }

    TDBMower& entry(std::uint32_t serial) { return *list->FindBySerial(serial); }
    // The record as its file holds it now.
    std::unique_ptr<TDBMower> onDisk(std::uint32_t serial)
    {
        return std::make_unique<TDBMower>(dir.file(recordFileName(serial)), *list);
    }
    bool fileExists(std::uint32_t serial) const
    {
        return std::filesystem::exists(dir.file(recordFileName(serial)));
    }
    bool traced(const std::string& text) const
    {
        for (const auto& e : CLogger::instance().entries())
            if (e.text == text)
                return true;
        return false;
    }

    TempDir dir;
    ScriptedUser user;
    QMainWindow main;
    QMdiArea* area = nullptr;
    std::unique_ptr<RecordWindowArea> windows;
    std::unique_ptr<TDBMowerList> list;
    std::string checker;
    std::unique_ptr<TVXLog> history = historyOf(NewMower, NewDate);
};

// What a row of a validation table types into the fields.
struct Typed {
    QString name, surname, address, year, number;
};

void typeInto(QWidget* dialog, const Typed& typed)
{
    control<QLineEdit>(dialog, "oNameEdit")->setText(typed.name);
    control<QLineEdit>(dialog, "oSurNameEdit")->setText(typed.surname);
    control<QPlainTextEdit>(dialog, "oAddressMemo")->setPlainText(typed.address);
    control<QLineEdit>(dialog, "yearIdMaskEdit")->setText(typed.year);
    control<QLineEdit>(dialog, "machineIdMaskEdit")->setText(typed.number);
}

void expectKept(QWidget* dialog, const Typed& typed)
{
    QCOMPARE(control<QLineEdit>(dialog, "oNameEdit")->text(), typed.name);
    QCOMPARE(control<QLineEdit>(dialog, "oSurNameEdit")->text(), typed.surname);
    QCOMPARE(control<QPlainTextEdit>(dialog, "oAddressMemo")->toPlainText(), typed.address);
    QCOMPARE(control<QLineEdit>(dialog, "yearIdMaskEdit")->text(), typed.year);
    QCOMPARE(control<QLineEdit>(dialog, "machineIdMaskEdit")->text(), typed.number);
}

struct Row {
    const char* what;
    Typed typed;
    std::vector<std::string> boxes;  // error boxes, in order
    const char* focus;               // the field to correct
};

// Types each row, presses the button and checks the boxes, that the dialog
// stayed open with what was typed and that the focus went to the field.
void expectRefusals(Desk& desk, QDialog* dialog, const char* button, const std::vector<Row>& rows)
{
    for (const Row& row : rows) {
        desk.user.boxes.clear();
        typeInto(dialog, row.typed);
        control<QPushButton>(dialog, button)->click();
        std::vector<std::string> shown;
        for (const ScriptedUser::Box& box : desk.user.boxes) {
            QVERIFY2(box.type == MsgType::Error && box.buttons == MbOK, row.what);
            shown.push_back(box.text);
        }
        QVERIFY2(shown == row.boxes, row.what);
        QVERIFY2(dialog->isVisible(), row.what);
        expectKept(dialog, row.typed);
        QVERIFY2(focusName() == row.focus, row.what);
    }
}

}  // namespace

class TestRecordDialogs : public QObject {
    Q_OBJECT

private slots:
    void theInsertDialogFilesIntoTheChosenRecord()
    {
        Desk desk;
        std::unique_ptr<TVXLog> history = historyOf(NewMower, AnnasDate);
        TinsertForm dialog(*desk.list, history, desk.user, &desk.main);
        showActive(&dialog);
        QCOMPARE(dialog.windowTitle(), qmessage(Msg::InsertTitle));
        QCOMPARE(control<QGroupBox>(&dialog, "machineListGroupBox")->title(), qmessage(Msg::MachineListing));
        auto* ids = control<QListWidget>(&dialog, "machineIdListBox");
        QCOMPARE(ids->count(), 2);
        QCOMPARE(ids->item(0)->text().toStdString(), desk.list->GetMachineIdList()[0]);
        QCOMPARE(ids->item(1)->text().toStdString(), desk.list->GetMachineIdList()[1]);
        QVERIFY(control<QPushButton>(&dialog, "insertButt")->isDefault());
        QCOMPARE(focusName(), QString("machineIdListBox"));

        // Nothing chosen yet: a warning, and the dialog stays.
        press(Qt::Key_Return);
        QCOMPARE(desk.user.boxes.size(), std::size_t(1));
        QCOMPARE(desk.user.boxes[0].type, MsgType::Warning);
        QCOMPARE(desk.user.boxes[0].text, catalogueText(Msg::ChooseMachine));
        QVERIFY(dialog.isVisible());

        // Down chooses the first entry, Anna's; her record holds a history of that date.
        const std::string annasFile = desk.dir.read(recordFileName(Anna));
        press(Qt::Key_Down);
        QCOMPARE(ids->selectedItems().size(), 1);
        QCOMPARE(ids->selectedItems()[0]->text(), QString("TX-05-001-00"));
        press(Qt::Key_Return);
        QCOMPARE(desk.user.boxes.size(), std::size_t(2));
        QCOMPARE(desk.user.boxes[1].type, MsgType::Error);
        QCOMPARE(desk.user.boxes[1].text, catalogueText(Msg::HistoryDateExists));
        QVERIFY(dialog.isVisible());
        QVERIFY(history);
        QCOMPARE(desk.dir.read(recordFileName(Anna)), annasFile);

        // A double click on Bruno's entry files it there.
        // A real double click: a click, then the second press as a double click.
        const QRect brunos = ids->visualItemRect(ids->item(1));
        QTest::mouseClick(ids->viewport(), Qt::LeftButton, {}, brunos.center());
        QTest::mouseDClick(ids->viewport(), Qt::LeftButton, {}, brunos.center());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(MrOk));
        QVERIFY(!history);
        QCOMPARE(desk.onDisk(Bruno)->GetMowerHandle().getLogCount(), 2);
        QVERIFY(desk.entry(Bruno).GetChildForm() != nullptr);
    }

    void theInsertDialogSaysWhichMowerTheHistoryComesFrom()
    {
        const struct {
            std::uint8_t language;
            std::uint8_t typeByte;
            const char* line;
        } cases[] = {
            {0, 0x24, "History of the mower with serial number 0412ABCD, type TX"},
            {1, 0x2A, "Historique de la tondeuse de numéro de série 0412ABCD, type WK"},
            {4, 0x35, "Historie des Mähers mit der Seriennummer 0412ABCD, Typ LN"},
            {0, 0x22, "History of the mower with serial number 0412ABCD, type 2"},  // a code without a type
        };
        for (const auto& c : cases) {
            Desk desk(c.language);
            std::unique_ptr<TVXLog> history = historyOf(0x0412ABCD, NewDate);
            history->setTypeByte(c.typeByte);
            TinsertForm dialog(*desk.list, history, desk.user, &desk.main);
            showActive(&dialog);
            auto* line = control<QLabel>(&dialog, "historyIdentityLabel");
            QCOMPARE(line->text(), QString::fromUtf8(c.line));
            QVERIFY(line->isVisible());
            QVERIFY(line->geometry().bottom() < control<QGroupBox>(&dialog, "machineListGroupBox")->geometry().top());
        }
    }

    void anInsertWhoseRecordCannotBeWrittenKeepsTheDialogAndTheHistory()
    {
        Desk desk;
        const std::string brunosFile = desk.dir.file(recordFileName(Bruno));
        QVERIFY(desk.entry(Bruno).EnsureLoaded());  // read before its file goes
        std::filesystem::remove(brunosFile);
        std::filesystem::create_directory(brunosFile);  // where the file was: it cannot be written
        std::unique_ptr<TVXLog>& history = desk.history;
        TVXLog* const offered = history.get();
        TinsertForm dialog(*desk.list, history, desk.user, &desk.main);
        showActive(&dialog);
        auto* ids = control<QListWidget>(&dialog, "machineIdListBox");
        ids->setCurrentRow(1, QItemSelectionModel::ClearAndSelect);  // Bruno's
        control<QPushButton>(&dialog, "insertButt")->click();
        QCOMPARE(desk.user.boxes.size(), std::size_t(1));
        QCOMPARE(desk.user.boxes[0].type, MsgType::Error);
        QVERIFY(desk.user.boxes[0].text.starts_with(appText(AppText::RecordSaveFailed)));
        QVERIFY(dialog.isVisible());
        QCOMPARE(history.get(), offered);
        QCOMPARE(desk.entry(Bruno).GetMowerHandle().getLogCount(), std::uint16_t(1));
        QVERIFY(desk.entry(Bruno).GetChildForm() == nullptr);

        // Once it can be written, the same choice files it.
        std::filesystem::remove(brunosFile);
        control<QPushButton>(&dialog, "insertButt")->click();
        QCOMPARE(dialog.result(), int(MrOk));
        QVERIFY(!history);
        QCOMPARE(desk.onDisk(Bruno)->GetMowerHandle().getLogCount(), 2);
    }

    void theInsertDialogAsksForANewRecordOrIsClosed()
    {
        Desk desk;
        std::unique_ptr<TVXLog>& history = desk.history;
        {
            TinsertForm dialog(*desk.list, history, desk.user, &desk.main);
            showActive(&dialog);
            control<QPushButton>(&dialog, "createButt")->click();
            QCOMPARE(dialog.result(), int(MrAbort));
        }
        {
            TinsertForm dialog(*desk.list, history, desk.user, &desk.main);
            showActive(&dialog);
            press(Qt::Key_Escape);
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(MrCancel));
        }
        {
            TinsertForm dialog(*desk.list, history, desk.user, &desk.main);
            showActive(&dialog);
            dialog.close();  // the close box
            QCOMPARE(dialog.result(), int(MrCancel));
        }
        QVERIFY(history);
        QCOMPARE(desk.onDisk(Anna)->GetMowerHandle().getLogCount(), 1);
        QCOMPARE(desk.onDisk(Bruno)->GetMowerHandle().getLogCount(), 1);
    }

    void anEmptyDatabaseLeavesOnlyCreate()
    {
        Desk desk(0, Folder::Empty);
        std::unique_ptr<TVXLog>& history = desk.history;
        TinsertForm dialog(*desk.list, history, desk.user, &desk.main);
        showActive(&dialog);
        QVERIFY(!control<QPushButton>(&dialog, "insertButt")->isEnabled());
        QVERIFY(control<QPushButton>(&dialog, "createButt")->isDefault());
        QCOMPARE(focusName(), QString("createButt"));
        press(Qt::Key_Return);
        QCOMPARE(dialog.result(), int(MrAbort));
        QVERIFY(desk.user.boxes.empty());
    }

    void theCreateDialogChecksInOrderAndKeepsWhatWasTyped()
    {
        Desk desk;
        std::unique_ptr<TVXLog>& history = desk.history;
        TcreateForm dialog(*desk.list, 4, history, desk.user, &desk.main);
        showActive(&dialog);
        QCOMPARE(dialog.windowTitle(), qmessage(Msg::CreateTitle));
        QCOMPARE(control<QGroupBox>(&dialog, "oNameGroupBox")->title(), QString("Fisrtname"));
        QCOMPARE(control<QGroupBox>(&dialog, "oSurNameGroupBox")->title(), qmessage(Msg::CreateLastname));
        QCOMPARE(control<QGroupBox>(&dialog, "oAddressGroupBox")->title(), qmessage(Msg::CreateAddress));
        QCOMPARE(control<QGroupBox>(&dialog, "machineIdGroupBox")->title(),
                 qmessage(Msg::CreateMachineNumber));
        QCOMPARE(control<QLineEdit>(&dialog, "factoryIdMaskEdit")->text(), QString("B"));
        QVERIFY(control<QLineEdit>(&dialog, "factoryIdMaskEdit")->isReadOnly());
        QCOMPARE(control<QLabel>(&dialog, "Label1")->text(), QString("---"));
        QCOMPARE(control<QLabel>(&dialog, "Label2")->text(), QString("--"));
        QCOMPARE(control<QLineEdit>(&dialog, "oNameEdit")->maxLength(), 30);
        QCOMPARE(control<QLineEdit>(&dialog, "oSurNameEdit")->maxLength(), 30);

        const QString lines = "3 rue des Lilas\n69000 Lyon";
        expectRefusals(desk, &dialog, "createButt",
                       {
                           {"no first name", {"", "", "", "", ""}, {catalogueText(Msg::CreateNeedsFirstname)},
                            "oNameEdit"},
                           {"an emoji", {"Jean 😀", "", "", "", ""},
                            {"“Fisrtname” holds the character “😀” (U+1F600), which cannot be stored. Please "
                             "replace it."},
                            "oNameEdit"},
                           {"no last name", {"Jean", "", "", "", ""}, {catalogueText(Msg::CreateNeedsLastname)},
                            "oSurNameEdit"},
                           {"no address", {"Jean", "Lefèvre", "", "", ""}, {AddressMissingText},
                            "oAddressMemo"},
                           {"Cyrillic", {"Jean", "Lefèvre", "Москва", "", ""},
                            {"“Address” holds the character “М” (U+041C), which cannot be stored. Please "
                             "replace it."},
                            "oAddressMemo"},
                           {"no year", {"Jean", "Lefèvre", lines, "", "042"},
                            {catalogueText(Msg::CreateNeedsMachineNumber)}, "yearIdMaskEdit"},
                           {"no number", {"Jean", "Lefèvre", lines, "07", ""},
                            {catalogueText(Msg::CreateNeedsMachineNumber)}, "machineIdMaskEdit"},
                           {"year 03", {"Jean", "Lefèvre", lines, "03", "000"},
                            {catalogueText(Msg::CreateBadMachineNumber)}, "yearIdMaskEdit"},
                           {"number 000", {"Jean", "Lefèvre", lines, "04", "000"},
                            {catalogueText(Msg::CreateBadMachineNumber)}, "machineIdMaskEdit"},
                           {"Anna's machine", {"Jean", "Lefèvre", lines, "05", "001"},
                            {catalogueText(Msg::ExistingMachine)}, "machineIdMaskEdit"},
                       });
        QVERIFY(history);
        QVERIFY(!desk.fileExists(NewMower));
        QCOMPARE(desk.list->Entries().size(), std::size_t(2));
    }

    void aCreatedRecordKeepsTheTypeCodeItCameWith_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("keyDown");  // arrow presses in the type box: 0 none, 1 Down, 2 Down and Up
        QTest::addColumn<int>("picked");
        QTest::newRow("code 10 shows WK") << 10 << 3 << "WK" << 10 << 0 << 0;
        QTest::newRow("code 2 selects nothing") << 2 << -1 << "TX" << 2 << 0 << 0;
        QTest::newRow("picking WK again gives 9") << 10 << 3 << "WK" << 9 << 2 << 3;
        QTest::newRow("picking from no item") << 2 << -1 << "TX" << 4 << 1 << 0;
    }
    void aCreatedRecordKeepsTheTypeCodeItCameWith()
    {
        QFETCH(int, code);
        QFETCH(int, item);
        QFETCH(QString, shown);
        QFETCH(int, stored);
        QFETCH(int, keyDown);
        QFETCH(int, picked);
        Desk desk(0, Folder::Empty);
        std::unique_ptr<TVXLog>& history = desk.history;
        TcreateForm dialog(*desk.list, static_cast<std::uint8_t>(code), history, desk.user, &desk.main);
        showActive(&dialog);
        auto* types = control<QComboBox>(&dialog, "mowerTypeComboBox");
        QStringList items;
        for (int i = 0; i < types->count(); ++i)
            items << types->itemText(i);
        QCOMPARE(items, QStringList({"TX", "RA", "LN", "WK", "XS", "DZ", "D1"}));
        QCOMPARE(types->currentIndex(), item);
        QCOMPARE(item < 0 ? types->placeholderText() : types->currentText(), shown);
        if (keyDown > 0) {
            types->setFocus();
            press(Qt::Key_Down);
            if (keyDown > 1)
                press(Qt::Key_Up);
            QCOMPARE(types->currentIndex(), picked);
        }
        typeInto(&dialog, {"Jean", "Lefèvre", "3 rue des Lilas\n69000 Lyon", "07", "042"});
        control<QPushButton>(&dialog, "createButt")->click();
        QCOMPARE(dialog.result(), int(MrOk));
        QVERIFY(!history);
        const std::unique_ptr<TDBMower> onDisk = desk.onDisk(NewMower);
        const TVXMowerLog& record = onDisk->GetMowerHandle();
        QCOMPARE(int(record.getTypeCode()), stored);
        QCOMPARE(record.getOwner().getName(), std::string("Jean"));
        QCOMPARE(record.getOwner().getSurname(), std::string("Lefèvre"));
        QCOMPARE(record.getOwner().getAddress(), std::string("3 rue des Lilas\n69000 Lyon\n"));
        QCOMPARE(int(record.getIdYear()), 7);
        QCOMPARE(record.getIdNumber(), 42u);
        QCOMPARE(int(record.getIdSuffix()), 0);
        QCOMPARE(record.getLogCount(), std::uint16_t(1));
        QVERIFY(desk.entry(NewMower).GetChildForm() != nullptr);  // its window is open
    }

    void theCreateDialogCanBeLeftWithoutARecord()
    {
        Desk desk(0, Folder::Empty);
        std::unique_ptr<TVXLog>& history = desk.history;
        const std::vector<std::function<void(QDialog&)>> ways {
            [](QDialog& d) { control<QPushButton>(&d, "cancelButt")->click(); },
            [](QDialog&) { press(Qt::Key_Escape); },
            [](QDialog& d) { d.close(); },
        };
        for (const auto& leave : ways) {
            CLogger::instance().open(desk.dir.file("trace.log"));
            TcreateForm dialog(*desk.list, 4, history, desk.user, &desk.main);
            showActive(&dialog);
            typeInto(&dialog, {"Jean", "Lefèvre", "1 rue", "07", "042"});
            leave(dialog);
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(MrCancel));
            QVERIFY(desk.traced("Record creation cancelled: history not filed"));
        }
        QVERIFY(history);
        QVERIFY(desk.list->Entries().empty());
        QVERIFY(!desk.fileExists(NewMower));
    }

    void aRecordTheListRefusesLeavesTheHistoryWithTheCaller()
    {
        Desk desk(0, Folder::Empty, false);
        // The file of NewMower's serial belongs to a record whose board was changed.
        desk.addRecord(*sample::makeRecord({.serial = 0x00000777, .name = "Carla", .idNumber = 7}), NewMower);
        desk.load();
        std::unique_ptr<TVXLog>& history = desk.history;
        TVXLog* const offered = history.get();
        TcreateForm dialog(*desk.list, 4, history, desk.user, &desk.main);
        showActive(&dialog);
        typeInto(&dialog, {"Jean", "Lefèvre", "1 rue", "07", "042"});
        control<QPushButton>(&dialog, "createButt")->click();
        QCOMPARE(desk.user.boxes.size(), std::size_t(1));  // the list says why
        QVERIFY(dialog.isVisible());
        QCOMPARE(history.get(), offered);
        QCOMPARE(history->getDate(), NewDate);
        QCOMPARE(desk.list->Entries().size(), std::size_t(1));
    }

    void aRecordWhoseFileCannotBeWrittenIsNotCreated()
    {
        Desk desk;
        std::unique_ptr<TVXLog>& history = desk.history;
        TVXLog* const offered = history.get();
        const std::string checker = desk.dir.read(TVXCheckDir::DefaultFileName);
        TcreateForm dialog(*desk.list, 4, history, desk.user, &desk.main);
        showActive(&dialog);
        typeInto(&dialog, {"Jean", "Lefèvre", "1 rue", "07", "042"});
        {
            DiskFullFor100Bytes full;  // the record file is far larger
            control<QPushButton>(&dialog, "createButt")->click();
        }
        QCOMPARE(desk.user.boxes.size(), std::size_t(1));
        QVERIFY(desk.user.boxes[0].text.starts_with(appText(AppText::RecordSaveFailed)));
        QVERIFY(dialog.isVisible());
        QCOMPARE(history.get(), offered);
        QCOMPARE(desk.list->Entries().size(), std::size_t(2));
        QVERIFY(desk.list->FindBySerial(NewMower) == nullptr);
        QVERIFY(!desk.fileExists(NewMower));
        QCOMPARE(desk.dir.read(TVXCheckDir::DefaultFileName), checker);

        // The disk has room again: the same click creates it.
        control<QPushButton>(&dialog, "createButt")->click();
        QCOMPARE(dialog.result(), int(MrOk));
        QVERIFY(!history);
        QCOMPARE(desk.onDisk(NewMower)->GetMowerHandle().getLogCount(), std::uint16_t(1));
    }

    void theCreateDialogFromTheKeyboardAlone()
    {
        Desk desk;
        std::unique_ptr<TVXLog>& history = desk.history;
        TcreateForm dialog(*desk.list, 4, history, desk.user, &desk.main);
        showActive(&dialog);
        QCOMPARE(focusName(), QString("oNameEdit"));
        QVERIFY(control<QPushButton>(&dialog, "createButt")->isDefault());

        QStringList order;
        QTest::keyClicks(QApplication::focusWidget(), "Jean");
        press(Qt::Key_Tab);
        order << focusName();
        QTest::keyClicks(QApplication::focusWidget(), "Lefevre");
        press(Qt::Key_Tab);
        order << focusName();
        QTest::keyClicks(QApplication::focusWidget(), "3 rue des Lilas");
        press(Qt::Key_Return);  // a new line in the memo
        QTest::keyClicks(QApplication::focusWidget(), "69000 Lyon");
        press(Qt::Key_Tab);
        order << focusName();
        press(Qt::Key_Down);  // the type box: RA
        press(Qt::Key_Tab);
        order << focusName();
        QTest::keyClicks(QApplication::focusWidget(), "07");
        press(Qt::Key_Tab);
        order << focusName();
        QTest::keyClicks(QApplication::focusWidget(), "042");
        press(Qt::Key_Tab);
        order << focusName();
        press(Qt::Key_Tab);
        order << focusName();
        QCOMPARE(order, QStringList({"oSurNameEdit", "oAddressMemo", "mowerTypeComboBox", "yearIdMaskEdit",
                                     "machineIdMaskEdit", "createButt", "cancelButt"}));
        press(Qt::Key_Backtab);
        press(Qt::Key_Backtab);
        QCOMPARE(focusName(), QString("machineIdMaskEdit"));

        press(Qt::Key_Return);
        QVERIFY(desk.user.boxes.empty());
        QCOMPARE(dialog.result(), int(MrOk));
        const TVXMowerLog& record = desk.entry(NewMower).GetMowerHandle();
        QCOMPARE(record.getOwner().getAddress(), std::string("3 rue des Lilas\n69000 Lyon\n"));
        QCOMPARE(desk.entry(NewMower).GetMachineIdText(), std::string("RA-07-042-00"));
    }

    void buttonsHaveMnemonicsThatDoNotClash()
    {
        // Dutch: "Aanmaken" and "Annuleren" begin alike.
        Desk desk(3, Folder::Empty);
        std::unique_ptr<TVXLog>& history = desk.history;
        TcreateForm dialog(*desk.list, 4, history, desk.user, &desk.main);
        QCOMPARE(control<QPushButton>(&dialog, "createButt")->text(), QString("&Aanmaken"));
        QCOMPARE(control<QPushButton>(&dialog, "cancelButt")->text(), QString("A&nnuleren"));
        showActive(&dialog);
        QTest::keyClick(&dialog, Qt::Key_N, Qt::AltModifier);
        QTRY_COMPARE(dialog.result(), int(MrCancel));  // a mnemonic clicks after a moment

        TVXStringTable::instance().setLanguage(0);
        TinsertForm insert(*desk.list, history, desk.user, &desk.main);
        QCOMPARE(control<QPushButton>(&insert, "insertButt")->text(), QString("&Insert"));
        QCOMPARE(control<QPushButton>(&insert, "createButt")->text(), QString("&Create"));
    }

    void theOwnerDataDialogShowsTheRecord()
    {
        Desk desk;
        TchangeODataForm dialog(desk.entry(Anna), desk.user, &desk.main);
        showActive(&dialog);
        QCOMPARE(dialog.windowTitle(), qmessage(Msg::OwnerDataTitle));
        QCOMPARE(control<QGroupBox>(&dialog, "oNameGroupBox")->title(), qmessage(Msg::OwnerDataFirstname));
        QCOMPARE(control<QGroupBox>(&dialog, "machineIdGroupBox")->title(),
                 qmessage(Msg::OwnerDataMachineNumber));
        QCOMPARE(control<QPushButton>(&dialog, "chgeButt")->text(), QString("&Save"));
        expectKept(&dialog, {"Anna", "Surname", "12 Long Road\nSmalltown", "05", "001"});
        QCOMPARE(control<QComboBox>(&dialog, "mowerTypeComboBox")->currentText(), QString("TX"));
        QCOMPARE(focusName(), QString("oNameEdit"));

        // An unchanged save passes though the list finds the record's own machine.
        control<QPushButton>(&dialog, "chgeButt")->click();
        QVERIFY(desk.user.boxes.empty());
        QCOMPARE(dialog.result(), int(MrOk));
    }

    void anImportedRecordIsShownWholeAndKeptAsItIs()
    {
        // Values wider than the fields take, as another program may have written them.
        Desk desk(0, Folder::Empty, false);
        const std::string longName = "Marie-Christine de la Tour d'Auvergne";  // 37 characters
        desk.addRecord(
            *sample::makeRecord({.serial = Anna, .name = longName, .idYear = 123, .idNumber = 12345}));
        desk.load();
        TchangeODataForm dialog(desk.entry(Anna), desk.user, &desk.main);
        showActive(&dialog);
        QCOMPARE(control<QLineEdit>(&dialog, "oNameEdit")->text().toStdString(), longName);
        QCOMPARE(control<QLineEdit>(&dialog, "yearIdMaskEdit")->text(), QString("123"));
        QCOMPARE(control<QLineEdit>(&dialog, "machineIdMaskEdit")->text(), QString("12345"));
        control<QPlainTextEdit>(&dialog, "oAddressMemo")->setPlainText("1 rue");
        control<QPushButton>(&dialog, "chgeButt")->click();
        QVERIFY(desk.user.boxes.empty());
        const std::unique_ptr<TDBMower> onDisk = desk.onDisk(Anna);
        QCOMPARE(onDisk->GetMowerHandle().getOwner().getName(), longName);
        QCOMPARE(int(onDisk->GetMowerHandle().getIdYear()), 123);
        QCOMPARE(onDisk->GetMowerHandle().getIdNumber(), 12345u);
    }

    void theOwnerDataDialogStaysOpenAfterARefusal()
    {
        Desk desk;
        const std::string annasFile = desk.dir.read(recordFileName(Anna));
        TchangeODataForm dialog(desk.entry(Anna), desk.user, &desk.main);
        showActive(&dialog);
        const QString lines = "1 New Street\nBigtown";
        expectRefusals(
            desk, &dialog, "chgeButt",
            {
                {"no first name", {"", "", "", "", ""}, {catalogueText(Msg::OwnerDataNeedsFirstname)}, "oNameEdit"},
                {"no last name", {"Carol", "", "", "", ""}, {catalogueText(Msg::OwnerDataNeedsLastname)},
                 "oSurNameEdit"},
                {"no address", {"Carol", "Zed", "", "", ""}, {AddressMissingText}, "oAddressMemo"},
                {"an emoji", {"Carol", "Zed", "🏡 Home", "", ""},
                 {"“Address” holds the character “🏡” (U+1F3E1), which cannot be stored. Please replace it."},
                 "oAddressMemo"},
                {"no year", {"Carol", "Zed", lines, "", "001"}, {catalogueText(Msg::OwnerDataNeedsMachineNumber)},
                 "yearIdMaskEdit"},
                {"year 03", {"Carol", "Zed", lines, "03", "000"}, {catalogueText(Msg::OwnerDataBadMachineNumber)},
                 "yearIdMaskEdit"},
                {"number 000", {"Carol", "Zed", lines, "05", "000"},
                 {MachineNumberInvalidText, catalogueText(Msg::OwnerDataBadMachineNumber)}, "machineIdMaskEdit"},
            });
        // Bruno's machine, once the type box says WK.
        typeInto(&dialog, {"Carol", "Zed", lines, "06", "002"});
        auto* types = control<QComboBox>(&dialog, "mowerTypeComboBox");
        types->setFocus();
        for (int i = 0; i < 3; ++i)
            press(Qt::Key_Down);
        QCOMPARE(types->currentText(), QString("WK"));
        desk.user.boxes.clear();
        control<QPushButton>(&dialog, "chgeButt")->click();
        QCOMPARE(desk.user.texts.back(), catalogueText(Msg::ExistingMachine));
        QVERIFY(dialog.isVisible());
        expectKept(&dialog, {"Carol", "Zed", lines, "06", "002"});

        const TVXMowerLog& record = desk.entry(Anna).GetMowerHandle();
        QCOMPARE(record.getOwner().getName(), std::string("Anna"));
        QCOMPARE(int(record.getTypeCode()), 4);
        QCOMPARE(record.getIdNumber(), 1u);
        QCOMPARE(desk.dir.read(recordFileName(Anna)), annasFile);

        // Cancel changes nothing either.
        control<QPushButton>(&dialog, "cancelButt")->click();
        QCOMPARE(dialog.result(), int(MrCancel));
        QCOMPARE(desk.dir.read(recordFileName(Anna)), annasFile);
    }

    void aSaveFromTheRecordWindowIsWrittenAtOnce()
    {
        Desk desk;
        desk.entry(Anna).OpenRecord();
        auto* form = dynamic_cast<TChildForm*>(desk.entry(Anna).GetChildForm());
        QVERIFY(form);
        QAction* modify = nullptr;
        for (QAction* action : form->editionMenu()->actions())
            if (action->objectName() == "changeOwnerData")
                modify = action;
        QVERIFY(modify && modify->isEnabled());

        QString typedInto;
        whenModal([&](QWidget* dialog) {
            typedInto = QString::fromLatin1(dialog->metaObject()->className());
            control<QLineEdit>(dialog, "oNameEdit")->setText("Carol");
            control<QPlainTextEdit>(dialog, "oAddressMemo")->setPlainText("1 New Street\nBigtown");
            control<QLineEdit>(dialog, "machineIdMaskEdit")->setText("321");
            // Ctrl+Return in the memo saves.
            auto* memo = control<QPlainTextEdit>(dialog, "oAddressMemo");
            QTest::keyClick(memo, Qt::Key_Return, Qt::ControlModifier);
        });
        modify->trigger();
        QCOMPARE(typedInto, QString("TchangeODataForm"));
        QVERIFY(desk.user.boxes.empty());

        // Written at once: the file holds the change while the run goes on.
        const std::unique_ptr<TDBMower> onDisk = desk.onDisk(Anna);
        const TVXMowerLog& stored = onDisk->GetMowerHandle();
        QCOMPARE(stored.getOwner().getName(), std::string("Carol"));
        QCOMPARE(stored.getOwner().getSurname(), std::string("Surname"));
        QCOMPARE(stored.getOwner().getAddress(), std::string("1 New Street\r\nBigtown"));
        QCOMPARE(stored.getIdNumber(), 321u);
        QCOMPARE(int(stored.getIdYear()), 5);
        QCOMPARE(int(stored.getTypeCode()), 4);
        // The record window shows the new data.
        QCOMPARE(form->findChild<QLabel*>("ONameLabel")->property("fullText").toString(), QString("Carol"));
        QCOMPARE(form->windowTitle(), QString("TX-05-321-B"));
    }

    void historyFilingRunsThroughBothDialogs()
    {
        Desk desk;
        QtRecordDialogs dialogs(*desk.list, desk.user, &desk.main);
        QStringList seen;
        std::function<void(QWidget*)> dealer = [&](QWidget* dialog) {
            seen << QString::fromLatin1(dialog->metaObject()->className());
            if (seen.size() == 1) {
                whenModal([&](QWidget* next) { dealer(next); });
                control<QPushButton>(dialog, "createButt")->click();
                return;
            }
            typeInto(dialog, {"Jean", "Lefèvre", "1 rue", "07", "042"});
            control<QPushButton>(dialog, "createButt")->click();
        };
        whenModal(dealer);
        InfoFrameBuffer frame {};
        frame[6] = 0x2A;  // type code 10
        frame[13] = 0x09;
        frame[14] = 0x99;
        HistoryImageBuffer image {};
        FixedClock clock;
        fileHistory(frame, image, *desk.list, dialogs, desk.user, clock);
        QCOMPARE(seen, QStringList({"TinsertForm", "TcreateForm"}));
        const std::unique_ptr<TDBMower> onDisk = desk.onDisk(NewMower);
        QCOMPARE(int(onDisk->GetMowerHandle().getTypeCode()), 10);
        QCOMPARE(onDisk->GetMowerHandle().getLogCount(), std::uint16_t(1));
    }

    void captionsFitInEveryLanguage()
    {
        // QUORVANE_DIALOG_SHOTS names a folder for pictures of them.
        const QString shots = qEnvironmentVariable("QUORVANE_DIALOG_SHOTS");
        for (const std::uint8_t language : {0, 1, 2, 3, 4}) {
            Desk desk(language);
            // The longest name the fields take.
            desk.entry(Anna).GetMowerHandle().getOwner().setName("Marie-Christine de Montmorency");
            desk.history->setTypeByte(0x24);
            TinsertForm insert(*desk.list, desk.history, desk.user, &desk.main);
            TcreateForm create(*desk.list, 4, desk.history, desk.user, &desk.main);
            TchangeODataForm change(desk.entry(Anna), desk.user, &desk.main);
            for (QDialog* dialog : std::initializer_list<QDialog*> {&insert, &create, &change}) {
                const QString name = QString::fromLatin1(dialog->metaObject()->className());
                dialog->show();
                QVERIFY(QTest::qWaitForWindowExposed(dialog));
                expectWhole(dialog, QStringLiteral("%1 in language %2").arg(name).arg(language));
                if (!shots.isEmpty())
                    dialog->grab().save(QStringLiteral("%1/%2-%3.png").arg(shots, name).arg(language));
                dialog->hide();
            }
        }
    }

    // Last: the session's end is for the rest of the run.
    void noDialogWaitsOnceTheSessionEnds()
    {
        Desk desk;
        QtRecordDialogs dialogs(*desk.list, desk.user, &desk.main);
        // The create dialog is open when the program is told to close.
        whenModal([](QWidget*) { QtUserInteraction::stopWaitingForTheUser(); });
        QCOMPARE(dialogs.showCreateDialog(4, desk.history), int(MrCancel));
        QVERIFY(desk.traced("Record creation cancelled: history not filed"));
        // Then none opens.
        QCOMPARE(dialogs.showInsertDialog(desk.history), int(MrCancel));
        QCOMPARE(dialogs.showCreateDialog(4, desk.history), int(MrCancel));
        QVERIFY(desk.traced("Not shown, the session is ending: the insert dialog; history not filed"));
        QVERIFY(desk.history);
        QVERIFY(!desk.fileExists(NewMower));
    }

private:
    // Every caption of the dialog is shown whole, and nothing overlaps in the
    // machine number row.
    static void expectWhole(QDialog* dialog, const QString& what)
    {
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            QVERIFY2(button->width() >= button->sizeHint().width(), qPrintable(what + " " + button->text()));
        for (QGroupBox* group : dialog->findChildren<QGroupBox*>()) {
            const int title = group->fontMetrics().horizontalAdvance(group->title());
            QVERIFY2(group->width() >= title + 16, qPrintable(what + " " + group->title()));
        }
        if (auto* line = dialog->findChild<QLabel*>("historyIdentityLabel"))
            QVERIFY2(line->width() >= line->sizeHint().width(), qPrintable(what + " " + line->text()));
        if (dialog->findChild<QLineEdit*>("factoryIdMaskEdit") == nullptr)
            return;
        auto* name = control<QLineEdit>(dialog, "oNameEdit");
        const int text = name->fontMetrics().horizontalAdvance(name->text());
        QVERIFY2(name->contentsRect().width() >= text, qPrintable(what + " " + name->text()));
        QWidget* previous = nullptr;
        for (const char* name : {"mowerTypeComboBox", "yearIdMaskEdit", "Label1", "machineIdMaskEdit",
                                 "Label2", "factoryIdMaskEdit"}) {
            QWidget* field = dialog->findChild<QWidget*>(name);
            const QString where = what + " " + name;
            QVERIFY2(field->width() >= field->minimumSizeHint().width(), qPrintable(where));
            if (previous)
                QVERIFY2(previous->geometry().right() < field->geometry().left(), qPrintable(where));
            previous = field;
        }
    }
};

QTEST_MAIN(TestRecordDialogs)
#include "test_recorddialogs.moc"
