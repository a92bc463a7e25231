#include "ui/EventTableModel.h"
#include "ui/TTVXLogTab.h"

#include "Class/HistoryRender.h"
#include "Class/TVXLog.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QtTest>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace {

const QString Emoji = QString::fromUtf8("\xF0\x9F\x98\x80");

// A history as a mower of the current firmware gives it: `events` events whose
// codes run through 0..12, two sleep ranges, statistics, parameters and options.
std::unique_ptr<TVXLog> makeHistory(std::size_t events, const std::string& comment = {})
{
    TVXLog::Image image {};
    image[0] = 0x5B;  // options
    image[1] = 1;
    const std::uint8_t ranges[] = {48, 75, 0x3E, 120, 132, 0xC0};  // 08H00-12H30 Mon-Fri, 20H00-22H00 Sat-Sun
    std::copy(std::begin(ranges), std::end(ranges), image.begin() + 12);
    for (std::size_t i = 0; i < TVXLog::StatisticCount; ++i)
        image[80 + 4 * i + 1] = std::uint8_t(17 * (i + 1)), image[80 + 4 * i + 2] = 0x30;
    for (std::size_t i = 120; i < 132 + TVXLog::ParameterCount; ++i)  // setup bytes, then parameters
        image[i] = std::uint8_t(3 * (i - 120));
    for (std::size_t k = 0; k < events; ++k) {
        const std::uint8_t frame[] = {0x15, 0x06, 0x09, std::uint8_t(k % 6 << 4), std::uint8_t(k % 13), 3, 7, 1};
        std::copy(std::begin(frame), std::end(frame), image.begin() + 256 + 8 * k);
    }
    const std::size_t offset = 256 + 8 * events;
    image[28] = std::uint8_t(offset >> 8), image[29] = std::uint8_t(offset);
    auto history = std::make_unique<TVXLog>(image);
    history->setDate(TVXLogTime(2008, 5, 7, 14, 5, 30));
    history->setSoftwareVersion(0x08071601);
    history->setTypeByte(0x24);
    history->setInfoHead({0x10, 0x06, 0, 0, 0, 0});
    history->setComment(comment);
    return history;
}

template <typename T>
T* child(QWidget& tab, const char* name)
{
    T* found = tab.findChild<T*>(name);
    if (!found)
        qFatal("no %s", name);
    return found;
}

// A key press that brings `text`, as a keyboard or an input method sends it.
void type(QWidget* widget, const QString& text)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, text);
    QCoreApplication::sendEvent(widget, &press);
}

void settle(QWidget& tab, QSize size)
{
    tab.resize(size);
    tab.show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

}  // namespace

class TestLogTab : public QObject {
    Q_OBJECT

private slots:
    void init() { TVXStringTable::instance().setLanguage(0); }

    void buildsOnlyWhenFirstShown()
    {
        auto history = makeHistory(3, "kept\r\n");
        QTabWidget window;
        std::vector<TTVXLogTab*> tabs;
        for (int i = 0; i < 50; ++i) {
            tabs.push_back(new TTVXLogTab(*history, &window));
            window.addTab(tabs.back(), tabs.back()->title());
        }
        QCOMPARE(tabs[0]->title(), QString("07/05/2008 14 h 05"));
        QCOMPARE(&tabs[0]->date(), &history->getDate());
        QVERIFY(!tabs[0]->isBuilt());
        QVERIFY(!tabs[0]->findChild<QTabWidget*>("innerPages"));
        QCOMPARE(tabs[0]->commentText(), std::string("kept\r\n"));

        window.show();
        QCoreApplication::processEvents();
        QCOMPARE(std::count_if(tabs.begin(), tabs.end(), [](auto* t) { return t->isBuilt(); }), 1);
        window.setCurrentIndex(7);
        QVERIFY(tabs[7]->isBuilt());
        QVERIFY(child<QTabWidget>(*tabs[7], "innerPages")->isVisible());
        tabs[9]->ensureBuilt();
        QCOMPARE(std::count_if(tabs.begin(), tabs.end(), [](auto* t) { return t->isBuilt(); }), 3);
    }

    void gridHoldsTheEventsThenFourEmptyRows()
    {
        for (std::size_t events : {std::size_t(0), TVXLog::EventSlots}) {
            auto history = makeHistory(events);
            TTVXLogTab tab(*history, nullptr);
            tab.ensureBuilt();
            auto* grid = child<QTableView>(tab, "histGrid");
            const QAbstractItemModel* model = grid->model();
            QCOMPARE(model->rowCount(), int(events) + 4);
            QCOMPARE(model->columnCount(), 6);
            for (int n = 0; n < int(events); ++n)
                QCOMPARE(model->index(n, 0).data().toInt(), n);
            for (int r = int(events); r < model->rowCount(); ++r) {
                QVERIFY(model->index(r, 2).data().toString().isEmpty());
                QVERIFY(!model->index(r, 0).data(EventTableModel::EventCodeRole).isValid());
            }
            const char* titles[] = {"Ev Nb", "Date", "Event", "ExtraB", "FU1", "FU2"};
            for (int c = 0; c < 6; ++c)
                QCOMPARE(model->headerData(c, Qt::Horizontal).toString(), QString(titles[c]));
            QVERIFY(grid->isColumnHidden(0));
            QCOMPARE(grid->columnWidth(1), 120);
            QCOMPARE(grid->columnWidth(2), 200);
            QVERIFY(!grid->verticalHeader()->isVisibleTo(grid));
            QCOMPARE(grid->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        }
    }

    void eventCellsAreColouredByCode()
    {
        auto history = makeHistory(26);
        TTVXLogTab tab(*history, nullptr);
        tab.ensureBuilt();
        const QAbstractItemModel* model = child<QTableView>(tab, "histGrid")->model();
        const std::vector<EventRow> rows = eventRows(*history);
        const std::map<int, QColor> colours = {{5, QColor(255, 0, 0)}, {2, QColor(0, 0, 255)}, {6, QColor(0, 0, 255)},
                                               {7, QColor(0, 0, 255)}, {11, QColor(0, 255, 0)}};
        for (int r = 0; r < 26; ++r) {
            const int code = model->index(r, 0).data(EventTableModel::EventCodeRole).toInt();
            QCOMPARE(code, r % 13);
            QCOMPARE(model->index(r, 2).data().toString(), QString::fromStdString(rows[r].event));
            const QVariant brush = model->index(r, 2).data(Qt::ForegroundRole);
            const QVariant font = model->index(r, 2).data(Qt::FontRole);
            if (colours.count(code)) {
                QCOMPARE(brush.value<QBrush>().color(), colours.at(code));
                QVERIFY(font.value<QFont>().italic());
            } else {
                QVERIFY(!brush.isValid() && !font.isValid());
            }
            for (int c : {0, 1, 3, 4, 5})
                QVERIFY(!model->index(r, c).data(Qt::ForegroundRole).isValid() &&
                        !model->index(r, c).data(Qt::FontRole).isValid());
        }
    }

    void panelsKeepTheirProportions()
    {
        auto history = makeHistory(10);
        TTVXLogTab tab(*history, nullptr);
        QSize previous;
        for (QSize size : {QSize(900, 600), QSize(641, 487)}) {
            settle(tab, size);
            auto* main = child<QWidget>(tab, "mainPanel");
            const int w = main->width(), h = main->height();
            QVERIFY(main->size() != previous);
            previous = main->size();
            auto* left = child<QWidget>(tab, "leftPanel");
            auto* right = child<QWidget>(tab, "rightPanel");
            QCOMPARE(left->geometry(), QRect(0, 0, w / 3, h));
            QCOMPARE(right->geometry(), QRect(w - 2 * w / 3, 0, 2 * w / 3, h));
            auto expectSplit = [](QWidget* top, double topShare, QWidget* bottom, double bottomShare) {
                const QWidget* panel = top->parentWidget();
                QCOMPARE(top->geometry(), QRect(0, 0, panel->width(), int(panel->height() * topShare)));
                const int bh = int(panel->height() * bottomShare);
                QCOMPARE(bottom->geometry(), QRect(0, panel->height() - bh, panel->width(), bh));
            };
            expectSplit(child<QWidget>(tab, "statisticsGroup"), 0.33, child<QWidget>(tab, "parametersGroup"), 0.67);
            expectSplit(child<QWidget>(tab, "sleepHoursGroup"), 0.6, child<QWidget>(tab, "commentsGroup"), 0.4);
            auto* statistics = child<QTableWidget>(tab, "statisticsGrid");
            QCOMPARE(statistics->columnWidth(0) + statistics->columnWidth(1), statistics->viewport()->width());
        }
    }

    void sheetsShowTheDecodedHistory()
    {
        auto history = makeHistory(1);
        TTVXLogTab tab(*history, nullptr);
        settle(tab, QSize(500, 350));
        auto* pages = child<QTabWidget>(tab, "innerPages");
        QCOMPARE(pages->tabText(1), QString("History"));
        auto* statistics = child<QTableWidget>(tab, "statisticsGrid");
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(statistics->item(i, 0)->text(), QString::fromStdString(statisticLabel(i)));
            QCOMPARE(statistics->item(i, 1)->text(), QString::fromStdString(statisticText(*history, i)));
            QVERIFY(statistics->rowHeight(i) >= 18);
        }
        auto* sleep = child<QTableWidget>(tab, "sleepHoursGrid");
        QCOMPARE(sleep->item(0, 4)->text(), QString("Range 4"));
        QCOMPARE(sleep->item(7, 0)->text(), QString("Sunday"));
        QCOMPARE(sleep->item(1, 1)->text(), QString("08H00-12H30"));  // Monday, range 1
        QCOMPARE(sleep->item(7, 1)->text(), QString());
        QCOMPARE(sleep->item(6, 2)->text(), QString("20H00-22H00"));  // Saturday, range 2
        QVERIFY(sleep->rowHeight(3) >= 30);
        auto* parameters = child<QTableWidget>(tab, "systemParameters");
        QCOMPARE(parameters->rowCount(), 74);
        QCOMPARE(parameters->item(73, 0)->text() + "=" + parameters->item(73, 1)->text(), QString("P73=255"));
        QCOMPARE(parameters->font().pixelSize(), 12);
        QCOMPARE(parameters->rowHeight(0), 16);
    }

    // Wider texts widen their column beyond the designed width; none is cut.
    static void expectColumnsFit(const QTableWidget* grid, const std::vector<int>& leastWidths)
    {
        const QFontMetrics metrics(grid->font());
        for (int c = 0; c < grid->columnCount(); ++c) {
            QVERIFY(grid->columnWidth(c) >= leastWidths[c]);
            for (int r = 0; r < grid->rowCount(); ++r)
                QVERIFY2(metrics.horizontalAdvance(grid->item(r, c)->text()) < grid->columnWidth(c) - 4,
                         qPrintable(grid->item(r, c)->text()));
        }
    }

    void linesAndGridsFitInEveryLanguage()
    {
        auto history = makeHistory(1);
        history->setInfoHead({0x10, 0x05, 0, 0, 0, 0});  // a mower without P007
        for (std::uint8_t language = 0; language < TVXStringTable::LanguageCount; ++language) {
            TVXStringTable::instance().setLanguage(language);
            TTVXLogTab tab(*history, nullptr);
            settle(tab, QSize(1000, 700));  // room for every line on one line
            auto* box = child<QGroupBox>(tab, "parametersGroup");
            auto y = [&](const QString& name) { return child<QLabel>(tab, name.toLatin1())->mapTo(box, QPoint()).y(); };
            const int top = y("informationLine0");
            QCOMPARE(top, std::max(20, box->contentsRect().top()));
            const int gaps[] = {0, 18, 36, 64, 82, 100, 118, 136, 154, 172};
            for (int k = 0; k < InformationLineCount; ++k)
                QCOMPARE(y(QString("informationLine%1").arg(k)) - top, gaps[k]);
            QCOMPARE(child<QLabel>(tab, "informationLine9")->text(), QString());  // P007 not shown here
            const std::vector<OptionLine> options = optionLines(*history);
            if (language == 0) {  // this firmware lists the heads before the return
                QCOMPARE(child<QLabel>(tab, "optionName3")->text(), QString("O009: Opposite Heads"));
                QCOMPARE(child<QLabel>(tab, "optionName4")->text(), QString("O010: CCW return"));
            }
            for (std::size_t k = 0; k < options.size(); ++k) {
                auto* name = child<QLabel>(tab, QString("optionName%1").arg(k).toLatin1());
                auto* value = child<QLabel>(tab, QString("optionValue%1").arg(k).toLatin1());
                QCOMPARE(name->text(), QString::fromStdString(options[k].text));
                QCOMPARE(value->text(), QString::fromStdString(options[k].value));
                QCOMPARE(y(name->objectName()) - top, 200 + 18 * int(k));
                QCOMPARE(value->y(), name->y());
                QVERIFY(value->x() >= 160 - 10 + name->x() && value->x() > name->geometry().right());
                QCOMPARE(name->height(), name->fontMetrics().height());  // on one line
            }
            auto* statistics = child<QTableWidget>(tab, "statisticsGrid");
            expectColumnsFit(statistics, {0, 70});
            expectColumnsFit(child<QTableWidget>(tab, "sleepHoursGrid"), {65, 75, 75, 75, 75});
            // The groups show everything without scrolling their own.
            QVERIFY(tab.findChild<QScrollArea*>("parametersScroll") == nullptr);
            auto* lines = child<QWidget>(tab, "parameterLines");
            QVERIFY(lines->childrenRect().bottom() < lines->height());
            QVERIFY(lines->childrenRect().right() < lines->width());
        }
    }

    // Where the third of the sheet is narrower than an option's line, the
    // name wraps at its blanks, the lines below move down by what it took,
    // and the values stay inside the group. Narrower still, the sheet
    // scrolls as a whole.
    void longOptionNamesWrapInsteadOfBeingCut()
    {
        TVXStringTable::instance().setLanguage(4);
        auto history = makeHistory(1);
        TTVXLogTab tab(*history, nullptr);
        settle(tab, QSize(690, 640));
        auto* lines = child<QWidget>(tab, "parameterLines");
        const std::vector<OptionLine> options = optionLines(*history);
        int wrapped = -1;
        for (std::size_t k = 0; k < options.size(); ++k) {
            auto* name = child<QLabel>(tab, QString("optionName%1").arg(k).toLatin1());
            auto* value = child<QLabel>(tab, QString("optionValue%1").arg(k).toLatin1());
            QVERIFY(value->geometry().right() < lines->width());
            QVERIFY(name->geometry().right() < value->x());
            QVERIFY(name->height() >= name->heightForWidth(name->width()));
            if (name->fontMetrics().horizontalAdvance(name->text()) > name->width() && wrapped < 0)
                wrapped = int(k);
        }
        QVERIFY2(wrapped >= 0, "no German option name wraps at this width");
        auto* name = child<QLabel>(tab, QString("optionName%1").arg(wrapped).toLatin1());
        auto* next = child<QLabel>(tab, QString("optionName%1").arg(wrapped + 1).toLatin1());
        QCOMPARE(next->y(), name->y() + 18 + name->height() - name->fontMetrics().height());
        QVERIFY(lines->childrenRect().bottom() < lines->height());
        auto* sheet = child<QScrollArea>(tab, "machinePanelScroll");
        QVERIFY(!sheet->horizontalScrollBar()->isVisible() && !sheet->verticalScrollBar()->isVisible());

        settle(tab, QSize(420, 300));
        QVERIFY(sheet->horizontalScrollBar()->isVisible() && sheet->verticalScrollBar()->isVisible());
        auto* panel = child<QWidget>(tab, "mainPanel");
        QVERIFY(panel->width() >= panel->minimumSizeHint().width());
        QVERIFY(panel->height() >= panel->heightForWidth(panel->width()));
        expectColumnsFit(child<QTableWidget>(tab, "statisticsGrid"), {0, 70});
        TVXStringTable::instance().setLanguage(0);
    }

    void memoGivesTheStoredComment()
    {
        auto history = makeHistory(0, "old\r\nline");
        TTVXLogTab tab(*history, nullptr);
        tab.ensureBuilt();
        auto* memo = child<QPlainTextEdit>(tab, "commentMemo");
        QCOMPARE(memo->toPlainText(), QString("old\nline"));
        QCOMPARE(tab.commentText(), std::string("old\r\nline"));  // shown unchanged: kept as it was
        QSignalSpy finished(&tab, &TTVXLogTab::commentEditingFinished);
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(memo, &out);
        QCOMPARE(finished.count(), 0);
        memo->setPlainText("a\nb");
        QCOMPARE(tab.commentText(), std::string("a\r\nb\r\n"));
        QCoreApplication::sendEvent(memo, &out);
        QCOMPARE(finished.count(), 1);
        QCOMPARE(history->getComment(), std::string("old\r\nline"));  // the window stores it, not the tab
    }

    void unstorableCharactersAreRefusedAsTyped()
    {
        auto history = makeHistory(0, "ok\r\n");
        TTVXLogTab tab(*history, nullptr);
        settle(tab, QSize(900, 600));
        auto* memo = child<QPlainTextEdit>(tab, "commentMemo");
        auto* warning = child<QLabel>(tab, "commentWarning");
        memo->moveCursor(QTextCursor::End);
        QTest::keyClicks(memo, "ab");
        QVERIFY(!warning->isVisible());
        memo->insertPlainText(Emoji);
        QCOMPARE(memo->toPlainText(), QString("okab"));
        QCOMPARE(memo->textCursor().position(), 4);
        QVERIFY(warning->isVisible());
        QVERIFY(warning->text().contains(Emoji));
        type(memo, QString::fromUtf8("\xD0\x96"));
        QCOMPARE(memo->toPlainText(), QString("okab"));
        QVERIFY(warning->text().contains("U+0416"));
        type(memo, Emoji);
        type(memo, Emoji.left(1));  // an emoji in halves, each one on its own
        type(memo, Emoji.right(1));
        QCOMPARE(memo->toPlainText(), QString("okab"));
        memo->undo();  // never brings a refused character back
        QVERIFY(!memo->toPlainText().contains(Emoji));
        QVERIFY(!memo->toPlainText().contains(QChar(0x416)));
        type(memo, QString::fromUtf8("é€"));
        QVERIFY(memo->toPlainText().endsWith(QString::fromUtf8("é€")));
        QVERIFY(!warning->isVisible());
        QCOMPARE(tab.commentText(), memo->toPlainText().toStdString() + "\r\n");
    }

    void memoStopsAt255Characters()
    {
        TVXStringTable::instance().setLanguage(1);
        auto history = makeHistory(0, std::string(300, 'x'));  // longer than a memo may be
        TTVXLogTab tab(*history, nullptr);
        settle(tab, QSize(900, 600));
        auto* memo = child<QPlainTextEdit>(tab, "commentMemo");
        auto* warning = child<QLabel>(tab, "commentWarning");
        memo->moveCursor(QTextCursor::End);
        QTest::keyClick(memo, Qt::Key_Backspace);  // shortening is always allowed
        QCOMPARE(memo->toPlainText().size(), 299);
        memo->setPlainText(QString(254, 'a'));
        memo->moveCursor(QTextCursor::End);
        QTest::keyClick(memo, Qt::Key_Return);  // a line break counts 2
        QCOMPARE(memo->toPlainText(), QString(254, 'a'));
        QVERIFY(warning->isVisible());
        QVERIFY(warning->text().contains("255 caractères"));
        memo->insertPlainText("bc");  // a paste that does not fit
        QCOMPARE(memo->toPlainText(), QString(254, 'a'));
        QTest::keyClicks(memo, "bc");
        QCOMPARE(memo->toPlainText(), QString(254, 'a') + "b");
        QCOMPARE(tab.commentText().size(), 257u);
    }

    void theWarningStaysUntilTheCommentFitsAgain()
    {
        auto history = makeHistory(0, std::string(300, 'x'));  // longer than a memo may be
        TTVXLogTab tab(*history, nullptr);
        settle(tab, QSize(900, 600));
        auto* memo = child<QPlainTextEdit>(tab, "commentMemo");
        auto* warning = child<QLabel>(tab, "commentWarning");
        memo->moveCursor(QTextCursor::End);
        QTest::keyClicks(memo, "y");
        QVERIFY(warning->isVisible());
        QTest::keyClick(memo, Qt::Key_Backspace);  // 299: still too long to type into
        QVERIFY(warning->isVisible());
        QTextCursor cursor = memo->textCursor();
        cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, 44);
        cursor.removeSelectedText();  // 255
        QVERIFY(!warning->isVisible());
        // A refused character leaves the comment storable: the next kept edit takes the warning away.
        QTest::keyClick(memo, Qt::Key_Backspace);
        type(memo, QString::fromUtf8("\xD0\x96"));
        QVERIFY(warning->isVisible());
        QTest::keyClicks(memo, "z");
        QVERIFY(!warning->isVisible());
    }
};

QTEST_MAIN(TestLogTab)
#include "test_logtab.moc"
