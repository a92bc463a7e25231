// moc reads this file with C++17 predefinitions, under which it cannot parse
// the standard <compare> the record headers need; the compiler alone reads them.
#ifndef Q_MOC_RUN
#include "Class/HistoryTrends.h"
#include "Class/RecordFile.h"
#include "Class/TVXLog.h"
#include "Class/TVXMowerLog.h"
#include "Component/ServiceReport.h"
#include "core/TVXStringTable.h"
#include "report/ServiceReportPdf.h"
#include "support/RunCommand.h"
#include "support/SampleDatabase.h"
#include "support/TempDir.h"
#endif

#include <QRegularExpression>
#include <QtTest>

#include <filesystem>
#include <memory>

namespace {

const std::string Tool = std::string(QUORVANE_BUILD_DIR) + "/quorvane-tool";

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

// What poppler reads back from a PDF: its page count and its text.
int pageCount(const std::string& pdf)
{
    const CommandRun run = runCommand("pdfinfo " + quoted(pdf));
    const QRegularExpressionMatch match =
        QRegularExpression("^Pages:\\s+(\\d+)", QRegularExpression::MultilineOption)
            .match(QString::fromStdString(run.output));
    return run.status == 0 && match.hasMatch() ? match.captured(1).toInt() : -1;
}

QString pdfText(const std::string& pdf)
{
    const CommandRun run = runCommand("pdftotext -enc UTF-8 " + quoted(pdf) + " -");
    return run.status == 0 ? QString::fromStdString(run.output) : QString();
}

// Pages that hold nothing but their foot (the subtitle and "Page i of n").
int footOnlyPages(const QString& text, const ServiceReport& report)
{
    int empty = 0;
    QStringList pages = text.split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();  // pdftotext ends the last page with a form feed too
    for (QString page : pages) {
        page.remove(QString::fromStdString(report.subtitle));
        page.remove(QRegularExpression("Page \\d+ of \\d+"));
        empty += page.trimmed().isEmpty() ? 1 : 0;
    }
    return empty;
}

// The record of the report tests: three readings of a wrapped event ring
// (992 events each), the newest with two alarms of one name at its start.
std::unique_ptr<TVXMowerLog> fullRecord()
{
    sample::RecordSpec spec;
    spec.serial = 0x0012ABCD;
    spec.name = "Hélène";
    spec.surname = "Müller";
    spec.idNumber = 321;
    spec.histories = 3;
    spec.fullEventRing = true;
    auto record = sample::makeRecord(spec);
    TVXLog& newest = *std::prev(record->logs().end())->second;
    TVXLog::Image image = newest.getImage();
    for (std::size_t slot : {0u, 1u}) {
        image[256 + 8 * slot + 4] = 5;  // an alarm
        image[256 + 8 * slot + 5] = 3;
    }
    auto replaced = std::make_unique<TVXLog>(image);
    replaced->setSerialNumber(newest.getSerialNumber());
    replaced->setTypeByte(newest.getTypeByte());
    replaced->setDate(newest.getDate());
    const TVXLogTime date = newest.getDate();
    record->eraseLog(date);
    record->insertLog(std::move(replaced));
    return record;
}

}  // namespace

class TestServiceReport : public QObject {
    Q_OBJECT

private slots:
    void init() { TVXStringTable::instance().setLanguage(0); }
    void cleanup() { TVXStringTable::instance().setLanguage(0); }

    void popplerIsThere()
    {
        // Without the readers nothing below can be checked: a missing package, not a pass.
        QVERIFY2(runCommand("pdfinfo -v").status == 0 && runCommand("pdftotext -v").status == 0,
                 "pdfinfo and pdftotext (poppler-utils) are needed by these tests");
    }

    void aFullRingRunsOverNumberedPagesWithTheTrendsLast()
    {
        TempDir dir;
        const auto record = fullRecord();
        const TVXLog& newest = *std::prev(record->logs().end())->second;
        QCOMPARE(newest.getEventCount(), std::size_t(992));
        const ServiceReport report = serviceReport(*record, newest);
        QString error;
        QVERIFY2(writeServiceReportPdf(report, historyTrends(*record), QString::fromStdString(dir.file("r.pdf")),
                                       error),
                 qPrintable(error));

        const int pages = pageCount(dir.file("r.pdf"));
        QVERIFY2(pages > 10, qPrintable(QString::number(pages)));
        const QString text = pdfText(dir.file("r.pdf"));
        QVERIFY(text.contains("Hélène"));
        QVERIFY(text.contains("Müller"));
        QVERIFY(text.contains(QString::fromStdString(alarmSummary(newest).front().name)));
        QVERIFY(text.contains(QStringLiteral("Page 1 of %1").arg(pages)));
        QVERIFY(text.contains(QStringLiteral("Page %1 of %1").arg(pages)));
        QVERIFY(!text.contains(QStringLiteral("Page %1 of %2").arg(pages + 1).arg(pages)));
        // The trends page closes the report.
        const QStringList pageTexts = text.split(QLatin1Char('\f'));
        QVERIFY(pageTexts.at(pages - 1).contains("Trends"));
        QVERIFY(pageTexts.at(pages - 1).contains("Mowing time"));
        // Every page the event list runs onto starts it with its header row again,
        // and the last event (number 991) is there.
        int headed = 0;
        for (const QString& page : pageTexts)
            headed += page.contains("FU2") ? 1 : 0;
        QVERIFY2(headed >= pages - 4, qPrintable(QStringLiteral("%1 of %2").arg(headed).arg(pages)));
        QVERIFY(text.contains(QRegularExpression("\\b991\\b")));
        QCOMPARE(footOnlyPages(text, report), 0);
    }

    void anEmptyEventListStillStandsBeforeTheTrends()
    {
        TempDir dir;
        sample::RecordSpec spec;
        spec.serial = 0x0012ABCD;
        spec.name = "Short";
        auto record = sample::makeRecord(spec);  // an empty event ring
        const TVXLog& history = *record->logs().begin()->second;
        const ServiceReport report = serviceReport(*record, history);
        QString error;
        QVERIFY2(writeServiceReportPdf(report, historyTrends(*record), QString::fromStdString(dir.file("r.pdf")),
                                       error),
                 qPrintable(error));
        const QString text = pdfText(dir.file("r.pdf"));
        QCOMPARE(footOnlyPages(text, report), 0);
        const QStringList pages = text.split(QLatin1Char('\f'));
        const int pageCountRead = pageCount(dir.file("r.pdf"));
        QVERIFY(pageCountRead >= 2);
        // The empty list, then the trends on the last page, and no page left blank between.
        QVERIFY(pages.at(pageCountRead - 2).contains("No event in this reading."));
        QVERIFY(pages.at(pageCountRead - 1).contains("Trends"));
    }

    void aReportThatCannotBeWrittenSaysWhereAndLeavesNothing()
    {
        TempDir dir;
        const auto record = fullRecord();
        const ServiceReport report = serviceReport(*record, *record->logs().begin()->second);
        const QString path = QString::fromStdString(dir.file("missing/r.pdf"));
        QString error;
        QVERIFY(!writeServiceReportPdf(report, {}, path, error));
        QVERIFY2(error.startsWith(path), qPrintable(error));
        QVERIFY(!std::filesystem::exists(dir.file("missing")));

        // An older report at the path stays whole until the new one is complete.
        dir.write("r.pdf", "older");
        QVERIFY(writeServiceReportPdf(report, {}, QString::fromStdString(dir.file("r.pdf")), error));
        QVERIFY(dir.read("r.pdf").starts_with("%PDF"));
        QCOMPARE(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    }

    // The report holds the owner's name and address: a new one is for its
    // owner alone, one it replaces keeps the mode the dealer gave it.
    void aNewReportIsClosedToOtherUsers()
    {
        namespace fs = std::filesystem;
        TempDir dir;
        const auto record = fullRecord();
        const ServiceReport report = serviceReport(*record, *record->logs().begin()->second);
        QString error;
        QVERIFY2(writeServiceReportPdf(report, {}, QString::fromStdString(dir.file("new.pdf")), error), qPrintable(error));
        QCOMPARE(fs::status(dir.file("new.pdf")).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);

        dir.write("shared.pdf", "older");
        fs::permissions(dir.file("shared.pdf"), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read
                                                    | fs::perms::others_read);
        QVERIFY2(writeServiceReportPdf(report, {}, QString::fromStdString(dir.file("shared.pdf")), error), qPrintable(error));
        QCOMPARE(fs::status(dir.file("shared.pdf")).permissions() & fs::perms::all,
                 fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    }

    void theHtmlEscapesWhatTheOwnerTyped()
    {
        auto record = fullRecord();
        record->getOwner().setName("<b>Bob</b> & Co");
        const QString html = serviceReportHtml(serviceReport(*record, *record->logs().begin()->second));
        QVERIFY(html.contains("&lt;b&gt;Bob&lt;/b&gt; &amp; Co"));
        QVERIFY(!html.contains("<b>Bob"));
    }

    void theToolReportsTheChosenReadingInTheChosenLanguage()
    {
        TempDir dir;
        const auto record = fullRecord();
        dir.write("r.dat", writeRecordFile(*record));
        const std::string dat = quoted(dir.file("r.dat"));

        CommandRun run = runCommand(Tool + " report " + dat + " --lang 1 --out " + quoted(dir.file("fr.pdf")));
        QVERIFY2(run.status == 0, run.output.c_str());
        const QString french = pdfText(dir.file("fr.pdf"));
        QVERIFY(french.contains("Rapport d'entretien"));
        QVERIFY(french.contains("Page 1 sur"));
        QVERIFY(french.contains("01/03/2000"));  // the newest of the three readings

        run = runCommand(Tool + " report " + dat + " --history 1 --out " + quoted(dir.file("first.pdf")));
        QVERIFY2(run.status == 0, run.output.c_str());
        const QString first = pdfText(dir.file("first.pdf"));
        QVERIFY(first.contains("Service report"));
        QVERIFY(first.contains("01/01/2000"));
    }

    void theToolRefusesWhatItCannotReport()
    {
        TempDir dir;
        dir.write("r.dat", writeRecordFile(*fullRecord()));
        std::string damaged = writeRecordFile(*fullRecord());
        damaged[damaged.size() / 2] ^= 0x55;
        dir.write("damaged.dat", damaged);
        const std::string out = quoted(dir.file("out.pdf"));

        CommandRun run = runCommand(Tool + " report " + quoted(dir.file("r.dat")) + " --history 4 --out " + out);
        QCOMPARE(run.status, 1);
        QVERIFY2(QString::fromStdString(run.output).contains("3 readings"), run.output.c_str());
        run = runCommand(Tool + " report " + quoted(dir.file("damaged.dat")) + " --out " + out);
        QCOMPARE(run.status, 1);
        QVERIFY(run.output.starts_with("quorvane-tool: "));
        run = runCommand(Tool + " report " + quoted(dir.file("none.dat")) + " --out " + out);
        QCOMPARE(run.status, 1);
        for (const char* bad : {"", " --out", " --history 0 --out x.pdf", " --history x --out x.pdf", " --lang 9 --out x.pdf"}) {
            run = runCommand(Tool + " report " + quoted(dir.file("r.dat")) + bad);
            QVERIFY2(run.status == 2, bad);
        }
        QVERIFY(!std::filesystem::exists(dir.file("out.pdf")));
        QVERIFY(!std::filesystem::exists("x.pdf"));
    }
};

QTEST_MAIN(TestServiceReport)
#include "test_servicereport.moc"
