#include "core/AppPaths.h"
#include "ui/QtUserInteraction.h"
#include "ui/TTVXMainForm.h"
#include "ui/UnixSignalCloser.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <csignal>

// The dealer chose Exit and a save failed: the error box waits for a click.
// A signal then (the session logs out) must not leave the process hanging.
class TestShutdown : public QObject {
    Q_OBJECT

private slots:
    void aSignalDuringTheShutdownsErrorBoxEndsTheShutdown()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString settings = dir.filePath("quorvane.INI");
        {
            QFile file(settings);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[MainForm]\nHeight=700\n");
        }
        TTVXMainForm form(AppPaths::inFolder(dir.path().toStdString(), "quorvane"));
        UnixSignalCloser closer(&form);
        form.show();

        // The settings can no longer be written: a folder stands at their path.
        QVERIFY(QFile::remove(settings));
        QVERIFY(QDir(dir.path()).mkdir("quorvane.INI"));

        bool boxWasOpen = false;
        QTimer::singleShot(200, [&boxWasOpen]() {
            boxWasOpen = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr;
            ::raise(SIGTERM);
        });
        QTimer::singleShot(5000, []() { QFAIL("the shut-down still waits"); });
        form.close();

        QVERIFY(boxWasOpen);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.exitCode(), 1);
        QVERIFY(QtUserInteraction::unattended());
        QVERIFY(QFileInfo(settings).isDir());
        QVERIFY(QFileInfo::exists(dir.filePath("quorvane.log")));  // the log was still written
    }
};

QTEST_MAIN(TestShutdown)
#include "test_shutdown.moc"
