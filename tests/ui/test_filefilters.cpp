#include "ui/FileFilters.h"

#include <QFileDialog>
#include <QtTest>

class TestFileFilters : public QObject {
    Q_OBJECT

private slots:
    void semicolonPatternsBecomeTheToolkitsBlankSeparatedOnes()
    {
        QCOMPARE(qtFilterEntry({"Export File (*.dat,*.thf)", "*.dat;*.thf"}),
                 QString("Export File (*.dat,*.thf) (*.dat *.thf)"));
        QCOMPARE(qtFilterList({{"database", "*.dat"}, {"history", "*.bin"}, {"All files", "*.*"}}),
                 QString("database (*.dat);;history (*.bin);;All files (*.*)"));
        // The dialog finds what it lists from the last parentheses of the entry.
        QFileDialog dialog;
        dialog.setNameFilter(qtFilterEntry({"Export File (*.dat,*.thf)", "*.dat;*.thf"}));
        QCOMPARE(dialog.nameFilters().size(), 1);
    }

    void aSaveDialogAddsTheChosenFiltersFirstExtension()
    {
        QCOMPARE(firstSuffix(qtFilterEntry({"Export File (*.dat,*.thf)", "*.dat;*.thf"})), QString("dat"));
        QCOMPARE(firstSuffix(qtFilterEntry({"history", "*.bin"})), QString("bin"));
        QCOMPARE(firstSuffix(qtFilterEntry({"All files", "*.*"})), QString());
        QCOMPARE(firstSuffix(QString()), QString());
    }
};

QTEST_MAIN(TestFileFilters)
#include "test_filefilters.moc"
