#include "ui/ChangeHistoryDialog.h"

#include "Class/TVXLogTime.h"
#include "Component/RecordStore.h"
#include "Component/RecordWindowTexts.h"
#include "Component/TDBMower.h"
#include "core/AppTexts.h"
#include "core/CLogger.h"
#include "core/MessageNumbers.h"
#include "core/TVXStringTable.h"
#include "core/UserInteraction.h"
#include "ui/GridFit.h"

#include <QAbstractTableModel>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>

namespace {

// Lines the table shows without scrolling when the screen has room.
constexpr int LinesShown = 14;
// Lines kept for the selected change's text under the table.
constexpr int DetailLines = 2;
// Room the change column gets at least, in average characters.
constexpr int ChangeColumnChars = 46;
// A PC and user name longer than this is cut, whole in its tooltip.
constexpr int WhereColumnMaxChars = 32;

bool startsWith(const std::string& text, const std::string& head)
{
    return text.compare(0, head.size(), head) == 0;
}

std::vector<std::string> split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + separator.size();
    }
}

// "2008-05-07 14:05:30", as the journal writes dates and times.
std::optional<TVXLogTime> parseDate(const std::string& text)
{
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    char rest = 0;
    const int read = std::sscanf(text.c_str(), "%4u-%2u-%2u %2u:%2u:%2u%c", &year, &month, &day, &hour, &minute,
                                 &second, &rest);
    if (read != 6)
        return std::nullopt;
    return TVXLogTime(static_cast<std::uint16_t>(year), static_cast<std::uint8_t>(month),
                      static_cast<std::uint8_t>(day), static_cast<std::uint8_t>(hour),
                      static_cast<std::uint8_t>(minute), static_cast<std::uint8_t>(second));
}

// A date as the record window shows a reading's; the text as it is when it is not one.
std::string dateText(const std::string& journalDate)
{
    const std::optional<TVXLogTime> date = parseDate(journalDate);
    return date ? readingDateText(*date) : journalDate;
}

// "2008-05-07 14:05:30, 2008-06-01 09:00:00" in the window's form; the count of dates.
std::string datesText(const std::string& list, std::size_t& count)
{
    std::string text;
    const std::vector<std::string> dates = split(list, ", ");
    for (const std::string& date : dates)
        text += (text.empty() ? "" : ", ") + dateText(date);
    count = dates.size();
    return text;
}

// One part of a change's detail, as describeChange wrote it. `histories`
// says whether "N histories" means a record created or one removed.
std::string partText(const std::string& part, AppText histories)
{
    std::size_t count = 0;
    if (startsWith(part, "added ")) {
        const std::string dates = datesText(part.substr(6), count);
        return appText(count == 1 ? AppText::ChangeHistoryFiled : AppText::ChangeHistoriesFiled, {dates});
    }
    if (startsWith(part, "deleted ")) {
        const std::string dates = datesText(part.substr(8), count);
        return appText(count == 1 ? AppText::ChangeHistoryDeleted : AppText::ChangeHistoriesDeleted, {dates});
    }
    if (startsWith(part, "comment of "))
        return appText(AppText::ChangeCommentEdited, {datesText(part.substr(11), count)});
    if (part == "owner data")
        return appText(AppText::ChangeOwnerData);
    if (const std::size_t space = part.find(' ');
        space != std::string::npos && part.substr(space) == " histories"
        && part.find_first_not_of("0123456789") == space)
        return appText(histories, {part.substr(0, space)});
    return part;  // a part this program does not know: as the journal says it
}

std::string detailText(const std::string& detail, AppText histories)
{
    std::string text;
    for (const std::string& part : split(detail, "; "))
        if (!part.empty())
            text += (text.empty() ? "" : "; ") + partText(part, histories);
    return text;
}

bool hasKind(const std::string& kinds, const std::string& kind)
{
    const std::vector<std::string> all = split(kinds, "+");
    return std::find(all.begin(), all.end(), kind) != all.end();
}

}  // namespace

std::string changeEntryText(const JournalEntry& entry, const std::string& undoneKind)
{
    if (entry.kind == "undo") {
        // "of change 12: deleted 2008-05-07 14:05:30"
        const std::size_t colon = entry.detail.find(": ");
        const std::string head = entry.detail.substr(0, colon);
        const std::string undone =
            startsWith(head, "of change ") ? head.substr(10) : std::to_string(entry.undoes);
        const std::string what = colon == std::string::npos ? std::string() : entry.detail.substr(colon + 2);
        // Undoing a creation removes the record; undoing its removal brings it back.
        const AppText histories =
            undoneKind == "created" ? AppText::ChangeRecordRemoved : AppText::ChangeRecordCreated;
        const std::string inner = detailText(what, histories);
        return appText(AppText::ChangeUndo, {undone}) + (inner.empty() ? "" : " " + inner);
    }
    const AppText histories =
        entry.kind == "removed" ? AppText::ChangeRecordRemoved : AppText::ChangeRecordCreated;
    const std::string text = detailText(entry.detail, histories);
    return text.empty() ? entry.kind : text;
}

std::vector<TVXLogTime> deletedHistoryDates(const JournalEntry& entry)
{
    std::vector<TVXLogTime> dates;
    if (!hasKind(entry.kind, "deleted"))
        return dates;
    for (const std::string& part : split(entry.detail, "; "))
        if (startsWith(part, "deleted "))
            for (const std::string& date : split(part.substr(8), ", "))
                if (const std::optional<TVXLogTime> parsed = parseDate(date))
                    dates.push_back(*parsed);
    return dates;
}

// The journal of one record as the table shows it. The texts are made once,
// when the journal is read; data() only hands them out.
class ChangeHistoryModel : public QAbstractTableModel {
public:
    enum Column { NumberColumn, WhenColumn, WhereColumn, WhatColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(std::vector<JournalEntry> entries)
    {
        beginResetModel();
        entries_ = std::move(entries);
        texts_.clear();
        texts_.reserve(entries_.size());
        for (const JournalEntry& e : entries_) {
            std::string undoneKind;
            if (e.undoes != 0)
                if (const JournalEntry* undone = find(e.undoes))
                    undoneKind = undone->kind;
            texts_.push_back({QString::number(e.change), QString::fromStdString(dateText(e.at)),
                              QString::fromStdString(e.user + "@" + e.pc),
                              QString::fromStdString(changeEntryText(e, undoneKind))});
        }
        endResetModel();
    }
    const JournalEntry* entryAt(int row) const
    {
        return row >= 0 && row < int(entries_.size()) ? &entries_[std::size_t(row)] : nullptr;
    }
    int rowOf(std::int64_t change) const
    {
        for (std::size_t i = 0; i < entries_.size(); ++i)
            if (entries_[i].change == change)
                return int(i);
        return -1;
    }
    const QString& textAt(int row, int column) const { return texts_[std::size_t(row)][std::size_t(column)]; }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : int(entries_.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : ColumnCount; }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid() || index.row() >= rowCount())
            return {};
        const QString& text = textAt(index.row(), index.column());
        switch (role) {
        case Qt::DisplayRole:
            return text;
        case Qt::ToolTipRole:
            // The columns that may be too narrow for their text show it whole here.
            return index.column() >= WhereColumn ? QVariant(text) : QVariant();
        case Qt::TextAlignmentRole:
            return index.column() == NumberColumn ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                  : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static constexpr AppText Headers[ColumnCount] = {AppText::ChangeHistoryNumber, AppText::ChangeHistoryWhen,
                                                         AppText::ChangeHistoryWhere, AppText::ChangeHistoryWhat};
        if (section < 0 || section >= ColumnCount)
            return {};
        return QString::fromStdString(appText(Headers[section]));
    }

private:
    const JournalEntry* find(std::int64_t change) const
    {
        const int row = rowOf(change);
        return row < 0 ? nullptr : &entries_[std::size_t(row)];
    }

    std::vector<JournalEntry> entries_;
    std::vector<std::array<QString, ColumnCount>> texts_;
};

ChangeHistoryDialog::ChangeHistoryDialog(TDBMower& mower, RecordStore& store, UserInteraction& user,
                                         QWidget* parent)
    : QDialog(parent), mower_(mower), store_(store), user_(user)
{
    setObjectName("ChangeHistoryDialog");
    setWindowTitle(QString::fromStdString(appText(AppText::ChangeHistoryTitle, {mower_.GetSerialText()})));

    model_ = new ChangeHistoryModel(this);
    table_ = new QTableView(this);
    table_->setObjectName("changeHistoryTable");
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideRight);
    table_->setAlternatingRowColors(true);
    table_->setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    table_->verticalHeader()->hide();
    // Fixed row heights and column widths from the font: nothing walks the cells.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 8);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table_->horizontalHeader()->setHighlightSections(false);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ChangeHistoryDialog::showSelection);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons_->setObjectName("changeHistoryButtons");
    buttons_->button(QDialogButtonBox::Close)->setObjectName("closeButton");
    restore_ = buttons_->addButton(QString::fromStdString(appText(AppText::ChangeHistoryRestore)),
                                   QDialogButtonBox::ActionRole);
    restore_->setObjectName("restoreButton");
    restore_->setEnabled(false);
    connect(restore_, &QPushButton::clicked, this, &ChangeHistoryDialog::restoreClick);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    // The selected change whole, however narrow the screen made its column.
    detail_ = new QLabel(this);
    detail_->setObjectName("changeDetailLabel");
    detail_->setTextFormat(Qt::PlainText);
    detail_->setWordWrap(true);
    detail_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    detail_->setMinimumHeight(detail_->fontMetrics().lineSpacing() * DetailLines);
    detail_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    auto* column = new QVBoxLayout(this);
    column->addWidget(table_, 1);
    column->addWidget(detail_);
    column->addWidget(buttons_);
    fitColumns();
    table_->setFocus(Qt::OtherFocusReason);
}

ChangeHistoryDialog::~ChangeHistoryDialog() = default;

bool ChangeHistoryDialog::reload()
{
    std::vector<JournalEntry> entries;
    JournalQuery query;
    query.record = mower_.GetFileName();
    if (const StoreResult read = store_.journal(query, entries); !read) {
        CLogger::instance().log("journal of " + query.record + " not read: " + read.reason);
        user_.messageBox(MsgType::Error, storeFailureText(read, true), MbOK);
        return false;
    }
    model_->setEntries(std::move(entries));
    fitColumns();
    // The first time, the size the texts need, which show() alone would
    // bound to two thirds of the screen; later the dealer's size stays.
    if (!testAttribute(Qt::WA_Resized))
        resize(sizeHint());
    if (model_->rowCount() > 0) {
        table_->selectRow(model_->rowCount() - 1);
        table_->scrollToBottom();
    }
    showSelection();
    return true;
}

void ChangeHistoryDialog::fitColumns()
{
    // Each column as wide as its widest text (the number, date and header
    // texts are short); the names of PC and user up to a bound; the change
    // takes what is left, which the dialog first makes as wide as its texts.
    const QFont font = table_->font();
    const QFont headerFont = table_->horizontalHeader()->font();
    const auto headerWidth = [&](int column) {
        return columnWidthFor(table_, textWidth(headerFont, model_->headerData(column, Qt::Horizontal,
                                                                               Qt::DisplayRole).toString()))
               + table_->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, table_) * 2;
    };
    const int digitWidth = textWidth(font, QStringLiteral("0"));
    int numberWidth = columnWidthFor(table_, digitWidth * 4);
    int whenWidth = columnWidthFor(table_, textWidth(font, QStringLiteral("00/00/0000 00:00:00")));
    int whereWidth = columnWidthFor(table_, digitWidth * 12);
    const int whereBound = columnWidthFor(table_, table_->fontMetrics().averageCharWidth() * WhereColumnMaxChars);
    changeWidth_ = columnWidthFor(table_, table_->fontMetrics().averageCharWidth() * ChangeColumnChars);
    for (int row = 0; row < model_->rowCount(); ++row) {
        numberWidth = std::max(numberWidth, columnWidthFor(table_, textWidth(font, model_->textAt(row, 0))));
        whereWidth = std::max(whereWidth, columnWidthFor(table_, textWidth(font, model_->textAt(row, 2))));
        changeWidth_ =
            std::max(changeWidth_, columnWidthFor(table_, textWidth(font, model_->textAt(row, 3))));
    }
    // A digit's width more keeps the texts of neighbouring columns apart.
    table_->setColumnWidth(ChangeHistoryModel::NumberColumn, std::max(numberWidth + digitWidth, headerWidth(0)));
    table_->setColumnWidth(ChangeHistoryModel::WhenColumn, std::max(whenWidth + digitWidth, headerWidth(1)));
    table_->setColumnWidth(ChangeHistoryModel::WhereColumn,
                           std::max(std::min(whereWidth, whereBound) + digitWidth, headerWidth(2)));
    updateGeometry();
}

QSize ChangeHistoryDialog::sizeHint() const
{
    const QHeaderView* header = table_->horizontalHeader();
    int columns = 0;
    for (int c = 0; c < ChangeHistoryModel::WhatColumn; ++c)
        columns += header->sectionSize(c);
    columns += changeWidth_;
    const int frame = table_->frameWidth() * 2;
    const int scrollBar = table_->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, table_);
    const QMargins margins = layout()->contentsMargins();
    QSize hint(columns + frame + scrollBar + margins.left() + margins.right(),
               header->sizeHint().height() + table_->verticalHeader()->defaultSectionSize() * LinesShown + frame
                   + detail_->minimumHeight() + layout()->spacing() * 2 + buttons_->sizeHint().height()
                   + margins.top() + margins.bottom());
    // Never larger than the screen leaves room for, title bar included.
    if (const QScreen* shown = screen()) {
        const QSize room = shown->availableGeometry().size() - QSize(40, 80);
        hint = hint.boundedTo(room);
    }
    return hint.expandedTo(minimumSizeHint());
}

const JournalEntry* ChangeHistoryDialog::selectedEntry() const
{
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    return rows.isEmpty() ? nullptr : model_->entryAt(rows.first().row());
}

void ChangeHistoryDialog::selectChange(std::int64_t change)
{
    if (const int row = model_->rowOf(change); row >= 0) {
        table_->selectRow(row);
        table_->scrollTo(model_->index(row, 0));
    }
}

void ChangeHistoryDialog::showSelection()
{
    // Only a change that deleted histories, and whose journal kept the record
    // as it was before, has anything to give back.
    const JournalEntry* entry = selectedEntry();
    restore_->setEnabled(entry && entry->hasBefore && !deletedHistoryDates(*entry).empty());
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    detail_->setText(rows.isEmpty() ? QString()
                                    : model_->textAt(rows.first().row(), ChangeHistoryModel::WhatColumn));
}

void ChangeHistoryDialog::restoreClick()
{
    const JournalEntry* entry = selectedEntry();
    if (!entry || !entry->hasBefore)
        return;
    const std::int64_t change = entry->change;
    // The entry goes with the model when the journal is read again.
    const std::vector<TVXLogTime> dates = deletedHistoryDates(*entry);
    std::string report;
    bool allBack = true;
    for (const TVXLogTime& date : dates) {
        const std::string when = readingDateText(date);
        std::string line;
        switch (mower_.RestoreHistory(change, date)) {
        case InsertResult::Inserted:
            line = appText(AppText::HistoryRestored, {when});
            break;
        case InsertResult::DateExists:
            line = when + ": " + catalogueText(Msg::HistoryDateExists);
            allBack = false;
            break;
        case InsertResult::NoRecord:
        case InsertResult::WriteFailed:
            // A store that failed said why already.
            line = appText(AppText::HistoryNotRestored, {when});
            allBack = false;
            break;
        }
        report += (report.empty() ? "" : "\n") + line;
    }
    // The restore is a change of its own: the journal shows it.
    if (reload())
        selectChange(change);
    user_.messageBox(allBack ? MsgType::Information : MsgType::Warning, report, MbOK);
}
