#include "core/TStatusForm.h"

#include "core/AppTexts.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"

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
        QCOMPARE(form.size(), QSize(165, 76));  // a short text keeps the window's size
        form.hideWindow();
        QVERIFY(!form.isVisible());
    }

    void aLongTextWidensTheWindowInsteadOfBeingCut()
    {
        TStatusForm form;
        form.showWindow();
        const QPoint centre = form.geometry().center();
        form.setText("Chargement de l'historique");
        const QLabel* label = form.messageLabel();
        QVERIFY(label->width() >= label->sizeHint().width());
        QVERIFY(label->geometry().right() < form.width() - 10);
        QCOMPARE(form.height(), 76);
        QCOMPARE(form.progressBar()->geometry().right() + 1, form.width() - 24);
        QVERIFY2((form.geometry().center() - centre).manhattanLength() <= 4, qPrintable(QString("%1,%2 vs %3,%4").arg(form.geometry().center().x()).arg(form.geometry().center().y()).arg(centre.x()).arg(centre.y())));
        form.setText("COM3");
        QCOMPARE(form.size(), QSize(165, 76));
    }

    // The upgrade's title is whole in every language, the bar shows how far
    // it is, and the note under the bar has its room and goes with the window.
    void theUpgradeShowsItsTitlePercentageAndNoteInEveryLanguage()
    {
        for (std::uint8_t language = 0; language < TVXStringTable::LanguageCount; ++language) {
            TVXStringTable::instance().setLanguage(language);
            TStatusForm form;
            form.showWindow();
            form.setCaption(catalogueText(Msg::UpgradeInProgress));
            form.setMaximum(200);
            form.setText("MAIN");
            form.setNote(appText(AppText::UpgradeKeepMowerOn));
            form.setPosition(50);
            QVERIFY2(form.width() >= form.titleWidth(), qPrintable(form.windowTitle()));
            QVERIFY(form.progressBar()->isTextVisible());
            QCOMPARE(form.progressBar()->text(), QString("25%"));

            const QLabel* note = form.noteLabel();
            QVERIFY(note->isVisible());
            QVERIFY(note->geometry().top() > form.progressBar()->geometry().bottom());
            QVERIFY(form.rect().contains(note->geometry()));
            // Every line of the note is whole: its height holds the wrapped text.
            QVERIFY(note->height() >= note->heightForWidth(note->width()));
            QVERIFY(note->width() >= 100);

            form.hideWindow();
            QVERIFY(note->text().isEmpty());
            form.showWindow();
            QVERIFY(!note->isVisible());
            QCOMPARE(form.height(), TStatusForm::BaseHeight);
        }
        TVXStringTable::instance().setLanguage(1);
    }
};

QTEST_MAIN(TestStatusForm)
#include "test_statusform.moc"
