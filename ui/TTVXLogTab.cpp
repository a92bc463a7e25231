#include "ui/TTVXLogTab.h"

#include "ui/CommentMemo.h"
#include "ui/MachinePanel.h"
#include "ui/THistGrid.h"

#include "Class/HistoryRender.h"
#include "Class/TVXLog.h"
#include "Component/HistoryComment.h"
#include "core/MessageNumbers.h"
#include "ui/UiTexts.h"

#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int SheetBorder = 5;
constexpr int StatisticValueWidth = 70;
constexpr int MachinePanelMinimumWidth = 660;
constexpr int MachinePanelMinimumHeight = 380;
// Room beside a cell's text: the item's margins and the grid line.
constexpr int CellPadding = 10;

QString fromUtf8(const std::string& utf8) { return QString::fromStdString(utf8); }

QGroupBox* group(std::uint16_t title, const char* name)
{
    auto* box = new QGroupBox(uiText(title));
    box->setObjectName(name);
    return box;
}

// A layout that lets `content` fill `box` below its title.
void fill(QGroupBox* box, QWidget* content, QWidget* under = nullptr)
{
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    layout->addWidget(content);
    if (under)
        layout->addWidget(under);
}

// A grid of texts without title bars that the dealer can read and select but not edit.
QTableWidget* readOnlyGrid(int rows, int columns, const char* name)
{
    auto* grid = new QTableWidget(rows, columns);
    grid->setObjectName(name);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(false);
    grid->horizontalHeader()->hide();
    grid->verticalHeader()->hide();
    return grid;
}

// The width that shows every text of a grid's column whole; at least `least`.
int fittingWidth(const QTableWidget* grid, int column, int least)
{
    const QFontMetrics metrics(grid->font());
    int width = least;
    for (int row = 0; row < grid->rowCount(); ++row)
        if (const QTableWidgetItem* item = grid->item(row, column))
            width = std::max(width, metrics.horizontalAdvance(item->text()) + CellPadding);
    return width;
}

void fixRowHeights(QTableWidget* grid, int height)
{
    QHeaderView* rows = grid->verticalHeader();
    rows->setMinimumSectionSize(1);
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(height);
}

QWidget* sheet(QWidget* content, const char* name)
{
    auto* page = new QWidget;
    page->setObjectName(name);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(SheetBorder, SheetBorder, SheetBorder, SheetBorder);
    layout->addWidget(content);
    return page;
}

QLabel* lineLabel(const QString& text, const QString& name, QWidget* parent, QPoint at)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->adjustSize();
    label->move(at);
    return label;
}

}  // namespace

TTVXLogTab::TTVXLogTab(TVXLog& history, QWidget* parent) : QWidget(parent), history_(history) {}

const TVXLogTime& TTVXLogTab::date() const
{
    return history_.getDate();
}

QString TTVXLogTab::title() const
{
    return fromUtf8(historyTitle(history_.getDate()));
}

void TTVXLogTab::showEvent(QShowEvent* event)
{
    ensureBuilt();
    QWidget::showEvent(event);
}

void TTVXLogTab::ensureBuilt()
{
    if (isBuilt())
        return;
    auto* pages = new QTabWidget(this);
    pages->setObjectName("innerPages");
    pages->addTab(sheet(machinePage(), "machinePage"), uiText(Msg::MachineInformationPage));
    pages->addTab(sheet(new THistGrid(history_, nullptr), "historyPage"), uiText(Msg::HistoryPage));
    pages->addTab(sheet(systemParametersPage(), "systemPage"), uiText(Msg::SystemParametersPage));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pages);
    pages_ = pages;
    // Children made while the tab is already on screen are not shown with it.
    if (isVisible())
        pages->show();
}

std::string TTVXLogTab::commentText() const
{
    const std::string comment = history_.getComment();
    if (!memo_)
        return comment;
    const std::string memo = memo_->toPlainText().toStdString();
    return memo == memoTextFromComment(comment) ? comment : commentFromMemoText(memo);
}

bool TTVXLogTab::eventFilter(QObject* watched, QEvent* event)
{
    // The labels take what the values leave of the grid's width; in a narrow
    // grid they are shortened, so that the values stay in sight.
    if (watched == statistics_->viewport() && event->type() == QEvent::Resize)
        statistics_->setColumnWidth(0, std::max(0, statistics_->viewport()->width() - statistics_->columnWidth(1)));
    return QWidget::eventFilter(watched, event);
}

QWidget* TTVXLogTab::machinePage()
{
    auto* panel = new MachinePanel(nullptr);
    panel->setGroups(statisticsGroup(), parametersGroup(), sleepHoursGroup(), commentsGroup());
    // Below the size at which a third holds the statistics and two thirds the
    // week of sleep hours, the sheet scrolls instead of squeezing them.
    panel->setMinimumSize(MachinePanelMinimumWidth, MachinePanelMinimumHeight);
    auto* scroll = new QScrollArea;
    scroll->setObjectName("machinePanelScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(panel);
    return scroll;
}

QGroupBox* TTVXLogTab::statisticsGroup()
{
    QGroupBox* box = group(Msg::Statistics, "statisticsGroup");
    QTableWidget* grid = readOnlyGrid(int(TVXLog::StatisticCount), 2, "statisticsGrid");
    fixRowHeights(grid, 18);
    for (std::size_t i = 0; i < TVXLog::StatisticCount; ++i) {
        grid->setItem(int(i), 0, new QTableWidgetItem(fromUtf8(statisticLabel(i))));
        grid->setItem(int(i), 1, new QTableWidgetItem(fromUtf8(statisticText(history_, i))));
    }
    // 70 pixels for the values, more when one is wider.
    grid->setColumnWidth(1, fittingWidth(grid, 1, StatisticValueWidth));
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    fill(box, grid);
    statistics_ = grid;
    grid->viewport()->installEventFilter(this);
    return box;
}

QGroupBox* TTVXLogTab::parametersGroup()
{
    // The lines keep their designed places, measured from the group's corner:
    // x = 10, the first line at y = 20, 18 pixels a line and 10 more after the
    // language and after P007. Option values stand at x = 160, or further when
    // a name would reach them.
    constexpr int Left = 10, Top = 20, Step = 18, Gap = 10, ValueLeft = 160, ValueSpace = 8;
    QGroupBox* box = group(Msg::ParametersAndOptions, "parametersGroup");
    // The lines scroll inside the group below its title; a place that falls
    // under the title moves just below it.
    const QMargins frame = box->contentsMargins();
    const QPoint origin(std::min(Left, frame.left()), std::min(Top, frame.top()));
    auto* lines = new QWidget;
    lines->setObjectName("parameterLines");
    auto place = [&](const std::string& text, const QString& name, int x, int y) {
        return lineLabel(fromUtf8(text), name, lines, QPoint(x, y) - origin);
    };

    int y = Top;
    const auto information = informationLines(history_);
    for (int k = 0; k < InformationLineCount; ++k) {
        place(information[k], QString("informationLine%1").arg(k), Left, y);  // P007 keeps its place when empty
        y += Step + (k == InfoLanguage || k == InfoP007 ? Gap : 0);
    }
    const std::vector<OptionLine> options = optionLines(history_);
    const int firstOption = y;
    int valueLeft = ValueLeft;
    for (std::size_t k = 0; k < options.size(); ++k, y += Step) {
        const QLabel* name = place(options[k].text, QString("optionName%1").arg(k), Left, y);
        valueLeft = std::max(valueLeft, Left + name->width() + ValueSpace);
    }
    for (std::size_t k = 0; k < options.size(); ++k)
        place(options[k].value, QString("optionValue%1").arg(k), valueLeft, firstOption + Step * int(k));
    lines->resize(lines->childrenRect().right() + Left, y - origin.y());

    auto* scroll = new QScrollArea;
    scroll->setObjectName("parametersScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(lines);
    scroll->viewport()->setAutoFillBackground(false);
    lines->setAutoFillBackground(false);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    return box;
}

QGroupBox* TTVXLogTab::sleepHoursGroup()
{
    constexpr int Ranges = int(TVXLog::RangeCount), Days = 7;
    QGroupBox* box = group(Msg::SleepHours, "sleepHoursGroup");
    QTableWidget* grid = readOnlyGrid(Days + 1, Ranges + 1, "sleepHoursGrid");
    fixRowHeights(grid, 30);
    QColor caption = grid->palette().color(QPalette::Highlight).lighter(170);
    auto title = [&](int row, int column, const QString& text) {
        auto* item = new QTableWidgetItem(text);
        item->setBackground(caption);
        item->setForeground(grid->palette().color(QPalette::Text));
        grid->setItem(row, column, item);
    };
    title(0, 0, {});
    for (int r = 0; r < Ranges; ++r)
        title(0, r + 1, uiText(std::uint16_t(Msg::Range1 + r)));
    // Row d is weekday bit d: 1 Monday .. 7 Sunday.
    for (int day = 1; day <= Days; ++day) {
        title(day, 0, uiText(std::uint16_t(Msg::Monday + day - 1)));
        for (int r = 0; r < Ranges; ++r)
            grid->setItem(day, r + 1, new QTableWidgetItem(fromUtf8(sleepRangeCell(history_, std::size_t(r), unsigned(day)))));
    }
    // 65 pixels for the days and 75 for the ranges, more where a text needs it.
    grid->setColumnWidth(0, fittingWidth(grid, 0, 65));
    for (int c = 1; c <= Ranges; ++c)
        grid->setColumnWidth(c, fittingWidth(grid, c, 75));
    fill(box, grid);
    return box;
}

QGroupBox* TTVXLogTab::commentsGroup()
{
    QGroupBox* box = group(Msg::Comments, "commentsGroup");
    memo_ = new CommentMemo(fromUtf8(memoTextFromComment(history_.getComment())), nullptr);
    warning_ = new QLabel;
    warning_->setObjectName("commentWarning");
    warning_->setWordWrap(true);
    warning_->setStyleSheet("color: rgb(200, 0, 0);");
    warning_->hide();
    connect(memo_, &CommentMemo::refused, warning_, [this](const QString& text) {
        warning_->setText(text);
        warning_->show();
    });
    connect(memo_, &CommentMemo::edited, warning_, &QLabel::hide);
    connect(memo_, &CommentMemo::editingFinished, this, &TTVXLogTab::commentEditingFinished);
    fill(box, memo_, warning_);
    return box;
}

QWidget* TTVXLogTab::systemParametersPage()
{
    const std::vector<ParameterRow> rows = parameterRows(history_);
    auto* list = new QTableWidget(int(rows.size()), 2);
    list->setObjectName("systemParameters");
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setHorizontalHeaderLabels({QString(), QString()});
    list->verticalHeader()->hide();
    QFont font = list->font();
    font.setPixelSize(12);
    list->setFont(font);
    fixRowHeights(list, 16);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        list->setItem(int(i), 0, new QTableWidgetItem(fromUtf8(rows[i].key)));
        list->setItem(int(i), 1, new QTableWidgetItem(fromUtf8(rows[i].value)));
    }
    return list;
}
