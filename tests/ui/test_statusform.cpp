#include "core/TStatusForm.h"

#include <QLabel>
#include <QProgressBar>
#include <QtTest>

class TestStatusForm : public QObject {
    Q_OBJECT

private slots:
    void startsHiddenWithItsLayoutAndFollowsTheCommands()
    {
        TStatusForm form;
        QVERIFY(!form.isVisible());
        QCOMPARE(form.size(), QSize(165, 76));
        QCOMPARE(form.messageLabel()->pos(), QPoint(20, 13));
        QCOMPARE(form.progressBar()->geometry(), QRect(20, 33, 121, 17));
        QCOMPARE(form.progressBar()->maximum(), 100);

        form.showWindow();
        QVERIFY(form.isVisible());
        QVERIFY(!form.isModal());
        form.setCaption("Recherche");
        form.setText("COM3");
        form.setMaximum(8192);
        form.setPosition(4096);
        QCOMPARE(form.windowTitle(), QString("Recherche"));
        QCOMPARE(form.messageLabel()->text(), QString("COM3"));
        QCOMPARE(form.progressBar()->value(), 4096);
        form.hideWindow();
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(TestStatusForm)
#include "test_statusform.moc"
