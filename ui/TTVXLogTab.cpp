#include "ui/TTVXLogTab.h"

#include "ui/CommentMemo.h"
#include "ui/GridFit.h"
#include "ui/MachinePanel.h"
#include "ui/ParameterLines.h"
#include "ui/THistGrid.h"

#include "Class/HistoryRender.h"
#include "Class/TVXLog.h"
#include "Component/HistoryComment.h"
#include "core/MessageNumbers.h"
#include "ui/UiTexts.h"

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
constexpr int StatisticRowHeight = 18;
constexpr int DayColumnWidth = 65, RangeColumnWidth = 75, SleepRowHeight = 30;
// Lines the memo shows at the least.
constexpr int MemoLeastLines = 3;
// The lines' designed place, measured from the group's corner.
constexpr int ParametersLeft = 10, ParametersTop = 20;

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
    layout->setContentsMargins(0, 0, 0, 0);
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
    // The group's frame is the grid's: the cells have the room up to it.
    grid->setFrameShape(QFrame::NoFrame);
    return grid;
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
    // No frame around the sheets: their border is the room between them and the tab.
    pages->setDocumentMode(true);
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

void TTVXLogTab::commentStored()
{
    if (memo_)
        memo_->document()->setModified(false);
}

bool TTVXLogTab::refreshComment()
{
    if (!memo_)
        return true;
    if (memo_->document()->isModified())
        return false;
    const QString shown = QString::fromStdString(memoTextFromComment(history_.getComment()));
    if (memo_->toPlainText() != shown)
        memo_->showStored(shown);
    return true;
}

QSize TTVXLogTab::machineSheetRoom() const
{
    return machineScroll_ ? machineScroll_->size() : QSize();
}

QSize TTVXLogTab::machineSheetNeed() const
{
    return machinePanel_ ? machinePanel_->sizeHint() : QSize();
}

QWidget* TTVXLogTab::machinePage()
{
    auto* panel = new MachinePanel(nullptr);
    panel->setGroups(statisticsGroup(), parametersGroup(), sleepHoursGroup(), commentsGroup());
    // Below the size at which every group has the room its contents need,
    // the sheet scrolls as a whole: no group scrolls or cuts its own.
    auto* scroll = new QScrollArea;
    scroll->setObjectName("machinePanelScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(panel);
    machineScroll_ = scroll;
    machinePanel_ = panel;
    return scroll;
}

QGroupBox* TTVXLogTab::statisticsGroup()
{
    QGroupBox* box = group(Msg::Statistics, "statisticsGroup");
    QTableWidget* grid = readOnlyGrid(int(TVXLog::StatisticCount), 2, "statisticsGrid");
    for (std::size_t i = 0; i < TVXLog::StatisticCount; ++i) {
        grid->setItem(int(i), 0, new QTableWidgetItem(fromUtf8(statisticLabel(i))));
        grid->setItem(int(i), 1, new QTableWidgetItem(fromUtf8(statisticText(history_, i))));
    }
    // 70 pixels for the values, more when one is wider; the labels take the rest.
    new GridFiller(grid, {fittingColumnWidth(grid, 0, 0), fittingColumnWidth(grid, 1, StatisticValueWidth)},
                   StatisticRowHeight, {0});
    fill(box, grid);
    return box;
}

QGroupBox* TTVXLogTab::parametersGroup()
{
    QGroupBox* box = group(Msg::ParametersAndOptions, "parametersGroup");
    // The lines fill the group below its title; a designed place that falls
    // under the title moves just below it.
    const QMargins frame = box->contentsMargins();
    const QPoint corner(-std::min(ParametersLeft, frame.left()), -std::min(ParametersTop, frame.top()));
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new ParameterLines(history_, corner));
    return box;
}

QGroupBox* TTVXLogTab::sleepHoursGroup()
{
    constexpr int Ranges = int(TVXLog::RangeCount), Days = 7;
    QGroupBox* box = group(Msg::SleepHours, "sleepHoursGroup");
    QTableWidget* grid = readOnlyGrid(Days + 1, Ranges + 1, "sleepHoursGrid");
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
    // 65 pixels for the days and 75 for the ranges, more where a text needs
    // it; the ranges share what the group has over.
    std::vector<int> widths {fittingColumnWidth(grid, 0, DayColumnWidth)};
    for (int c = 1; c <= Ranges; ++c)
        widths.push_back(fittingColumnWidth(grid, c, RangeColumnWidth));
    new GridFiller(grid, std::move(widths), SleepRowHeight, {1, 2, 3, 4});
    fill(box, grid);
    return box;
}

QGroupBox* TTVXLogTab::commentsGroup()
{
    QGroupBox* box = group(Msg::Comments, "commentsGroup");
    memo_ = new CommentMemo(fromUtf8(memoTextFromComment(history_.getComment())), nullptr);
    memo_->setMinimumHeight(memo_->heightForLines(MemoLeastLines));
    warning_ = new QLabel;
    warning_->setObjectName("commentWarning");
    warning_->setWordWrap(true);
    warning_->setStyleSheet("color: rgb(200, 0, 0);");
    warning_->hide();
    connect(memo_, &CommentMemo::refused, warning_, [this](const QString& text) {
        warning_->setText(text);
        warning_->show();
    });
    // The warning stays while what it says holds: a comment that came in too
    // long keeps it until it has been shortened to what the memo may hold.
    connect(memo_, &CommentMemo::edited, warning_, [this]() {
        if (memo_->isStorable())
            warning_->hide();
    });
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
    for (int c = 0; c < 2; ++c)
        list->setColumnWidth(c, fittingColumnWidth(list, c, list->horizontalHeader()->defaultSectionSize()));
    list->horizontalHeader()->setStretchLastSection(true);
    return list;
}
