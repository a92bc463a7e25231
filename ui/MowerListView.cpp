#include "ui/MowerListView.h"

#include "Component/TDBMower.h"
#include "Component/TDBMowerList.h"
#include "core/MessageNumbers.h"
#include "ui/UiTexts.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QToolTip>

#include <algorithm>

MowerListView::MowerListView(QWidget* parent)
    : QAbstractScrollArea(parent)
{
    setObjectName("mowerList");
    viewport()->setObjectName("mowerListViewport");
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::StrongFocus);
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Window, Qt::white);
    viewport()->setPalette(palette);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(TDBMowerList::RowStep / 4);

    tileMenu_ = new QMenu(this);
    tileMenu_->setObjectName("tileMenu");
    exportAction_ = tileMenu_->addAction(QString(), this, &MowerListView::exportMenuMower);
    exportAction_->setObjectName("ExportMenuItem");
    setCaptions();
}

MowerListView::~MowerListView()
{
    if (list_)
        list_->SetObserver(nullptr);
}

void MowerListView::setList(TDBMowerList* list)
{
    if (list_)
        list_->SetObserver(nullptr);
    list_ = list;
    current_ = -1;
    if (list_) {
        list_->SetObserver(this);
        list_->SetWidth(viewport()->width());
    }
    listArranged();
}

void MowerListView::setCaptions()
{
    exportAction_->setText(uiText(Msg::TileExport));
}

TDBMower* MowerListView::mowerAt(const QPoint& point) const
{
    if (!list_)
        return nullptr;
    return list_->EntryAt(point.x(), point.y() + verticalScrollBar()->value());
}

void MowerListView::listArranged()
{
    if (list_ && current_ >= static_cast<int>(list_->VisibleCount()))
        current_ = -1;
    updateScrollRange();
    viewport()->update();
    emit arranged();
}

void MowerListView::mowerChanged(const TDBMower& mower)
{
    viewport()->update(tileRect(mower));
}

void MowerListView::refreshRequested()
{
    viewport()->update();
}

void MowerListView::scrollToTop()
{
    verticalScrollBar()->setValue(0);
}

QRect MowerListView::tileRect(const TDBMower& mower) const
{
    return QRect(mower.GetLeft(), mower.GetTop() - verticalScrollBar()->value(), TDBMower::TileSize,
                 TDBMower::TileSize);
}

void MowerListView::updateScrollRange()
{
    const int content = list_ ? list_->ContentHeight() : 0;
    QScrollBar* bar = verticalScrollBar();
    bar->setPageStep(std::max(1, viewport()->height()));
    bar->setRange(0, std::max(0, content - viewport()->height()));
}

void MowerListView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    // The list re-places its tiles for the new width and tells listArranged.
    if (list_)
        list_->SetWidth(viewport()->width());
    updateScrollRange();
}

void MowerListView::paintEvent(QPaintEvent* event)
{
    if (!list_)
        return;
    QPainter painter(viewport());
    const int offset = verticalScrollBar()->value();
    const QRect dirty = event->rect();
    const auto [first, last] = list_->EntriesBetween(dirty.top() + offset, dirty.bottom() + 1 + offset);
    const auto& entries = list_->Visible();
    for (std::size_t i = first; i < last; ++i) {
        const TDBMower& mower = *entries[i];
        painter_.paint(painter, mower, QPoint(mower.GetLeft(), mower.GetTop() - offset));
    }
    if (hasFocus() && current_ >= 0 && static_cast<std::size_t>(current_) < entries.size()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = tileRect(*entries[static_cast<std::size_t>(current_)]).adjusted(0, 0, -1, -6);
        option.backgroundColor = Qt::white;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

int MowerListView::indexOf(const TDBMower* mower) const
{
    if (!list_ || !mower)
        return -1;
    const auto& entries = list_->Visible();
    // The tile's position gives its index without a search.
    const int perRow = list_->TilesPerRow();
    const int index = mower->GetTop() / TDBMowerList::RowStep * perRow + mower->GetLeft() / TDBMowerList::ColumnStep;
    if (index >= 0 && static_cast<std::size_t>(index) < entries.size() && entries[static_cast<std::size_t>(index)] == mower)
        return index;
    return -1;
}

void MowerListView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    TDBMower* mower = mowerAt(event->position().toPoint());
    if (!mower)
        return;
    setCurrent(indexOf(mower));
    mower->OpenRecord();
}

void MowerListView::contextMenuEvent(QContextMenuEvent* event)
{
    TDBMower* mower = nullptr;
    QPoint at = event->pos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        mower = mowerAt(event->pos());
    } else if (list_ && current_ >= 0) {
        // From the keyboard: the menu of the current tile, beside it.
        mower = list_->VisibleEntry(static_cast<std::size_t>(current_));
        at = tileRect(*mower).center();
    }
    if (!mower)
        return;
    setCurrent(indexOf(mower));
    menuMower_ = mower;
    tileMenu_->popup(viewport()->mapToGlobal(at));
}

void MowerListView::exportMenuMower()
{
    // Entries are never removed during a run, so the pointer is still valid.
    if (TDBMower* mower = std::exchange(menuMower_, nullptr))
        mower->Export();
}

void MowerListView::setCurrent(int index)
{
    if (index == current_)
        return;
    const auto& entries = list_->Visible();
    if (current_ >= 0 && static_cast<std::size_t>(current_) < entries.size())
        viewport()->update(tileRect(*entries[static_cast<std::size_t>(current_)]));
    current_ = index;
    if (current_ >= 0) {
        scrollToCurrent();
        viewport()->update(tileRect(*entries[static_cast<std::size_t>(current_)]));
    }
}

void MowerListView::scrollToCurrent()
{
    const TDBMower& mower = *list_->VisibleEntry(static_cast<std::size_t>(current_));
    QScrollBar* bar = verticalScrollBar();
    const int top = mower.GetTop();
    const int bottom = top + TDBMower::TileSize;
    if (top < bar->value())
        bar->setValue(top);
    else if (bottom > bar->value() + viewport()->height())
        bar->setValue(bottom - viewport()->height());
}

void MowerListView::keyPressEvent(QKeyEvent* event)
{
    if (!list_ || list_->VisibleCount() == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const int count = static_cast<int>(list_->VisibleCount());
    const int perRow = list_->TilesPerRow();
    const int rowsPerPage = std::max(1, viewport()->height() / TDBMowerList::RowStep);
    const int at = std::max(current_, 0);
    int next = -2;
    switch (event->key()) {
    case Qt::Key_Left: next = current_ < 0 ? 0 : std::max(0, at - 1); break;
    case Qt::Key_Right: next = current_ < 0 ? 0 : std::min(count - 1, at + 1); break;
    case Qt::Key_Up: next = current_ < 0 ? 0 : (at - perRow >= 0 ? at - perRow : at); break;
    case Qt::Key_Down: next = current_ < 0 ? 0 : std::min(count - 1, at + perRow); break;
    case Qt::Key_PageUp: next = std::max(0, at - rowsPerPage * perRow); break;
    case Qt::Key_PageDown: next = std::min(count - 1, at + rowsPerPage * perRow); break;
    case Qt::Key_Home: next = 0; break;
    case Qt::Key_End: next = count - 1; break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (current_ >= 0)
            list_->VisibleEntry(static_cast<std::size_t>(current_))->OpenRecord();
        return;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    setCurrent(next);
}

void MowerListView::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    if (list_ && current_ < 0 && list_->VisibleCount() != 0 && event->reason() != Qt::MouseFocusReason)
        setCurrent(0);
    viewport()->update();
}

void MowerListView::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

bool MowerListView::viewportEvent(QEvent* event)
{
    // A caption cut short by the tile's width shows whole as a tool tip.
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        if (const TDBMower* mower = mowerAt(help->pos())) {
            QToolTip::showText(help->globalPos(),
                               QString::fromStdString(mower->GetNameText() + "\n" + mower->GetMachineIdText() + "\n"
                                                      + mower->GetSerialText()),
                               viewport(), tileRect(*mower));
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}
