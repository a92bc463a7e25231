#include "core/AppPaths.h"
#include "Component/TDBMowerList.h"
#include "ui/TTVXMainForm.h"
#include "ui/UnixSignalCloser.h"
#include "support/ScriptedUser.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace {

std::string readFile(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const QString& path, const std::string& bytes)
{
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

}  // namespace

class TestMainForm : public QObject {
    Q_OBJECT

private slots:
    void firstStartUsesDefaultsAndWritesEverythingBack()
    {
        QTemporaryDir dir;
        const AppPaths paths = AppPaths::inFolder(dir.path().toStdString());
        ScriptedUser user;
        QRect place;
        {
            TTVXMainForm form(paths, &user);
            QVERIFY(user.texts.empty());  // a missing log file is a normal first start
            QCOMPARE(form.windowTitle(), QString(" Quorvane  3.6"));
            // 668x775 at (200, 130), brought onto a screen shorter than that.
            const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
            QVERIFY(area.height() < 130 + 775);
            QCOMPARE(form.size(), QSize(668, 775).boundedTo(area.size()));
            QVERIFY(area.contains(form.geometry()));
            place = form.geometry();
            QCOMPARE(form.language, 1);
            QVERIFY(form.autoScan);
            QCOMPARE(form.currentPort(), std::string("COM1"));
            // Each title has its own mnemonic: Fichier took the F.
            QCOMPARE(form.findChild<QMenu*>("FileMenuItem")->title(), QString("&Fichier"));
            QCOMPARE(form.findChild<QMenu*>("ToolMenuItem")->title(), QString("&Outils"));
            QCOMPARE(form.findChild<QMenu*>("WindowMenuItem")->title(), QString::fromUtf8("F&enêtre"));
            QVERIFY(form.findChild<QRadioButton*>("MachineIdRadioButt")->isChecked());
            // The toolkit's own buttons and file dialogs speak French too.
            QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QString("Annuler"));
            QVERIFY(QFileInfo(dir.filePath("database")).isDir());
            form.close();
        }
        const std::string ini = readFile(dir.filePath("quorvane.INI"));
        const QString where = QString("Height=%1\nWidth=%2\nTop=%3\nLeft=%4")
                                  .arg(place.height()).arg(place.width()).arg(place.y()).arg(place.x());
        QVERIFY2(ini.find(where.toStdString()) != std::string::npos, ini.c_str());
        for (const char* line : {"LANGUAGE=1", "SORTBYNAME=0", "PORT=COM1", "AUTO=1"})
            QVERIFY2(ini.find(line) != std::string::npos, line);
        QVERIFY(ini.find("DBPATH") == std::string::npos);
        const std::string log = readFile(dir.filePath("quorvane.log"));
        const std::string firstLine = log.substr(0, log.find('\n'));
        QVERIFY(firstLine.size() > 16 && firstLine.substr(firstLine.size() - 16) == "Starting program");
    }

    void aServerChosenInTheOptionsIsWrittenForTheNextStart()
    {
        QTemporaryDir dir;
        const AppPaths paths = AppPaths::inFolder(dir.path().toStdString());
        ScriptedUser user;
        const std::string uri = "postgresql://quorvane@workshop.example/shop";
        {
            TTVXMainForm form(paths, &user);
            form.createDialogs();
            // The dialog is modal: it is answered once it shows.
            QTimer::singleShot(0, [&]() {
                QDialog* options = form.findChild<QDialog*>("TVXOptionForm");
                QVERIFY(options);
                QTRY_VERIFY(options->isVisible());
                options->findChild<QRadioButton*>("serverRadioButt")->setChecked(true);
                options->findChild<QLineEdit*>("serverEdit")->setText(QString::fromStdString(uri));
                options->findChild<QPushButton*>("OKButt")->click();
            });
            form.findChild<QAction*>("configMenuItem")->trigger();
            QVERIFY(form.mowerList());  // this run keeps its folder
            form.close();
        }
        const std::string ini = readFile(dir.filePath("quorvane.INI"));
        QVERIFY2(ini.find("DBSERVER=" + uri) != std::string::npos, ini.c_str());
        QVERIFY(ini.find("DBPATH") == std::string::npos);
    }

    void storedSettingsAreApplied()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("quorvane.INI"),
                  "[GENERAL]\r\nLANGUAGE=0\r\nSORTBYNAME=1\r\n[COM]\r\nAUTO=0\r\nPORT=/dev/ttyUSB3\r\n");
        const AppPaths paths = AppPaths::inFolder(dir.path().toStdString());
        ScriptedUser user;
        TTVXMainForm form(paths, &user);
        QCOMPARE(form.findChild<QMenu*>("FileMenuItem")->title(), QString("&File"));
        QVERIFY(form.findChild<QRadioButton*>("NameRadioButt")->isChecked());
        QVERIFY(!form.findChild<QRadioButton*>("MachineIdRadioButt")->isChecked());
        QVERIFY(!form.autoScan);
        QCOMPARE(form.currentPort(), std::string("/dev/ttyUSB3"));
        // A language chosen during the run is saved, the captions stay until the next start.
        form.language = 4;
        form.close();
        QVERIFY(readFile(dir.filePath("quorvane.INI")).find("LANGUAGE=4") != std::string::npos);
    }

    // The offscreen screen is smaller than a laptop's: a saved place that
    // fits it is kept exactly, one that does not is brought onto it.
    void theWindowOpensOnTheScreen_data()
    {
        QTest::addColumn<QRect>("saved");
        QTest::addColumn<bool>("fits");
        QTest::newRow("fits") << QRect(60, 50, 500, 400) << true;
        QTest::newRow("larger than the screen") << QRect(10, 10, 3000, 2000) << false;
        QTest::newRow("off the right and bottom") << QRect(700, 700, 500, 400) << false;
        QTest::newRow("on an unplugged screen") << QRect(-3000, -2000, 500, 400) << false;
    }
    void theWindowOpensOnTheScreen()
    {
        QFETCH(QRect, saved);
        QFETCH(bool, fits);
        QTemporaryDir dir;
        writeFile(dir.filePath("quorvane.INI"), "[MainForm]\r\nHeight=" + std::to_string(saved.height())
                                                    + "\r\nWidth=" + std::to_string(saved.width()) + "\r\nTop="
                                                    + std::to_string(saved.y()) + "\r\nLeft="
                                                    + std::to_string(saved.x()) + "\r\n");
        ScriptedUser user;
        TTVXMainForm form(AppPaths::inFolder(dir.path().toStdString()), &user);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        if (fits)
            QCOMPARE(form.geometry(), saved);
        QVERIFY(area.contains(form.geometry()));
        QCOMPARE(form.size(), saved.size().boundedTo(area.size()));
        // Shown, with the frame the window system puts around it.
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(area.contains(form.frameGeometry()));
        if (fits && form.frameGeometry().size() == form.size())
            QCOMPARE(form.geometry(), saved);
        form.close();
    }

    void anUnwritableLogIsReportedAndShutDownStillCompletes()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("quorvane.log"));  // exists, but is no readable file
        const AppPaths paths = AppPaths::inFolder(dir.path().toStdString());
        ScriptedUser user;
        {
            TTVXMainForm form(paths, &user);
            QCOMPARE(user.texts.size(), std::size_t(1));
            QCOMPARE(user.texts[0], std::string("cannot open/create file log on opening"));
            form.close();
        }
        QCOMPARE(user.texts.size(), std::size_t(2));
        QVERIFY(user.texts[1].find("cannot open/create file") != std::string::npos);
        QVERIFY(readFile(dir.filePath("quorvane.INI")).find("Height=") != std::string::npos);
    }

    void aSecondCopyOnTheSameDatabaseIsRefusedAndSavesNothingThere()
    {
        QTemporaryDir dir;
        QTemporaryDir otherSettings;
        const AppPaths paths = AppPaths::inFolder(dir.path().toStdString());
        ScriptedUser firstUser;
        TTVXMainForm first(paths, &firstUser);
        QVERIFY(first.mowerList() != nullptr);

        writeFile(otherSettings.filePath("quorvane.INI"),
                  "[FILEPATH]\nDBPATH=" + first.databaseFolder() + "\n");
        ScriptedUser secondUser;
        {
            TTVXMainForm second(AppPaths::inFolder(otherSettings.path().toStdString()), &secondUser);
            QCOMPARE(secondUser.texts.size(), std::size_t(1));
            QVERIFY(secondUser.texts[0].find(first.databaseFolder()) != std::string::npos);
            QVERIFY(second.mowerList() == nullptr);
            // What needs the database is disabled, and the status line says why.
            for (const char* name : {"ImportMenuItem", "ImportBinMenuItem", "loadHistMenuItem", "uploadToolButt"})
                QVERIFY2(!second.findChild<QAction*>(name)->isEnabled(), name);
            QVERIFY(second.findChild<QAction*>("updateMenuItem")->isEnabled());
            auto* why = second.findChild<QLabel*>("databaseStatusLabel");
            QVERIFY(why);
            QCOMPARE(why->text().toStdString(), secondUser.texts[0]);
            second.close();
        }
        first.close();
        QVERIFY(firstUser.texts.empty());
    }

    void aDamagedCheckerIsLoggedAndStartUpGoesOn()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("database"));
        writeFile(dir.filePath("database/dbtisl.chk"), "12345");  // not a whole number of entries
        const AppPaths paths = AppPaths::inFolder(dir.path().toStdString());
        ScriptedUser user;
        {
            TTVXMainForm form(paths, &user);
            QVERIFY(form.mowerList() != nullptr);
            QVERIFY(form.mowerList()->Entries().empty());
            form.close();
        }
        QVERIFY(readFile(dir.filePath("quorvane.log")).find("no db checker file or corrupted")
                != std::string::npos);
    }

    void theSortCaptionsStayWholeInEveryLanguage()
    {
        for (int language = 0; language < 5; ++language) {
            QTemporaryDir dir;
            writeFile(dir.filePath("quorvane.INI"), "[GENERAL]\r\nLANGUAGE=" + std::to_string(language) + "\r\n");
            ScriptedUser user;
            TTVXMainForm form(AppPaths::inFolder(dir.path().toStdString()), &user);
            form.show();
            QCoreApplication::processEvents();
            auto* group = form.findChild<QGroupBox*>("dbMLGroupBox");
            QVERIFY(group->height() >= group->sizeHint().height());
            for (const char* name : {"MachineIdRadioButt", "NameRadioButt"}) {
                auto* radio = form.findChild<QRadioButton*>(name);
                const QRect inGroup(radio->mapTo(group, QPoint(0, 0)), radio->size());
                QVERIFY2(group->contentsRect().contains(inGroup), name);
                QVERIFY2(radio->width() >= radio->sizeHint().width(), qPrintable(radio->text()));
                QVERIFY2(radio->height() >= radio->sizeHint().height(), qPrintable(radio->text()));
            }
            form.close();
        }
    }

    void terminationSignalClosesLikeExit()
    {
        QTemporaryDir dir;
        const AppPaths paths = AppPaths::inFolder(dir.path().toStdString());
        ScriptedUser user;
        TTVXMainForm form(paths, &user);
        UnixSignalCloser closer(&form);
        form.show();
        ::raise(SIGTERM);
        QTRY_VERIFY(!form.isVisible());
        QVERIFY(QFileInfo::exists(dir.filePath("quorvane.INI")));
        QVERIFY(QFileInfo::exists(dir.filePath("quorvane.log")));
    }
};

QTEST_MAIN(TestMainForm)
#include "test_mainform.moc"
