#include "ui/RecordWindowArea.h"

#include "Class/TVXMowerLog.h"
#include "Component/MowerTypes.h"
#include "Component/TDBMower.h"

#include "ui/TChildForm.h"
#include "ui/TypePictures.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMdiArea>
#include <QIcon>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>

RecordWindowArea::RecordWindowArea(QMdiArea* area, QMenuBar* menuBar, QMenu* windowMenu, UserInteraction& user,
                                   QObject* parent)
    : QObject(parent), area_(area), menuBar_(menuBar), windowMenu_(windowMenu), user_(user)
{
    setObjectName("RecordWindowArea");
    connect(area_, &QMdiArea::subWindowActivated, this, &RecordWindowArea::mergeMenu);
    connect(windowMenu_, &QMenu::aboutToShow, this, &RecordWindowArea::fillWindowMenu);
}

RecordWindowArea::~RecordWindowArea()
{
    if (mergedMenu_ && menuBar_)
        menuBar_->removeAction(mergedMenu_->menuAction());
}

RecordWindow* RecordWindowArea::openRecordWindow(TDBMower& mower)
{
    auto* form = new TChildForm(mower, user_);
    auto* sub = new QMdiSubWindow;
    sub->setObjectName("recordSubWindow");
    // Closing only minimises the window (see TChildForm): it is never deleted before the end.
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    sub->setWidget(form);
    // The type's picture stands where Qt would show its own logo.
    if (const MowerType* type = findMowerType(mower.GetTypeCode()))
        sub->setWindowIcon(QIcon(typePicture(type->picture)));
    area_->addSubWindow(sub);
    // Minimised or hidden, a window no longer has its menu in the bar.
    connect(sub, &QMdiSubWindow::windowStateChanged, this, &RecordWindowArea::mergeMenu);
    sub->installEventFilter(this);
    windows_.push_back(form);
    sub->showMaximized();
    area_->setActiveSubWindow(sub);
    mergeMenu();
    return form;
}

std::vector<TChildForm*> RecordWindowArea::windows() const
{
    std::vector<TChildForm*> alive;
    for (const QPointer<TChildForm>& form : windows_)
        if (form)
            alive.push_back(form);
    return alive;
}

TChildForm* RecordWindowArea::activeWindow() const
{
    if (!area_)
        return nullptr;
    QMdiSubWindow* sub = area_->activeSubWindow();
    if (sub == nullptr || sub->isMinimized() || sub->isHidden())
        return nullptr;
    return qobject_cast<TChildForm*>(sub->widget());
}

void RecordWindowArea::cycleWindows(bool forward)
{
    std::vector<TChildForm*> shown;
    for (TChildForm* form : windows())
        if (form->subWindow() && !form->subWindow()->isHidden())
            shown.push_back(form);
    if (shown.empty())
        return;
    TChildForm* front = activeWindow();
    const auto at = std::find(shown.begin(), shown.end(), front);
    const bool keyboardInFront = front && front->isAncestorOf(QApplication::focusWidget());
    TChildForm* next = shown.front();
    if (at != shown.end() && !keyboardInFront) {
        next = front;
    } else if (at != shown.end()) {
        const std::ptrdiff_t count = static_cast<std::ptrdiff_t>(shown.size());
        const std::ptrdiff_t index = (at - shown.begin() + (forward ? 1 : count - 1)) % count;
        next = shown[static_cast<std::size_t>(index)];
    }
    next->bringToFront();
    // The window's own last control, or its first one.
    QWidget* target = next->focusWidget();
    if (target == nullptr || !target->isVisible())
        target = next->nextInFocusChain();
    if (target && next->isAncestorOf(target))
        target->setFocus(Qt::TabFocusReason);
    else
        next->setFocus(Qt::TabFocusReason);
}

void RecordWindowArea::cascade()
{
    if (!area_)
        return;
    std::vector<QMdiSubWindow*> shown;
    for (QMdiSubWindow* sub : area_->subWindowList(QMdiArea::ActivationHistoryOrder))
        if (!sub->isHidden())
            shown.push_back(sub);
    if (shown.empty())
        return;
    QMdiSubWindow* front = area_->activeSubWindow();
    // The sizes the windows ask for, while they still have the size in which
    // their sheets were laid out.
    std::vector<QSize> wanted;
    for (QMdiSubWindow* sub : shown)
        wanted.push_back(sub->widget() ? sub->widget()->sizeHint() : sub->sizeHint());

    QStyleOptionTitleBar option;
    option.initFrom(shown.front());
    const QStyle* style = shown.front()->style();
    const int step = std::max(1, style->pixelMetric(QStyle::PM_TitleBarHeight, &option, shown.front())
                                     + style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, shown.front()));
    const QSize room = area_->viewport()->size();
    // Past half the area's height the cascade starts again from the corner.
    const int places = std::max(1, std::min(int(shown.size()), room.height() / 2 / step + 1));
    const QSize largest = (room - QSize((places - 1) * step, (places - 1) * step)).expandedTo(QSize(1, 1));
    for (std::size_t i = 0; i < shown.size(); ++i) {
        QMdiSubWindow* sub = shown[i];
        if (sub->isMaximized() || sub->isMinimized())
            sub->showNormal();
        // The frame and title bar a window has out of the maximised state come around it.
        const QSize frame = sub->widget() ? sub->size() - sub->widget()->size() : QSize();
        const int offset = int(i % std::size_t(places)) * step;
        sub->setGeometry(QRect(QPoint(offset, offset), (wanted[i] + frame).boundedTo(largest)));
        sub->raise();
    }
    if (front && !front->isHidden())
        area_->setActiveSubWindow(front);
}

QMdiSubWindow* RecordWindowArea::subWindowOf(const QWidget* widget) const
{
    for (const QWidget* w = widget; w != nullptr && w != area_; w = w->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(const_cast<QWidget*>(w)))
            return sub;
    return nullptr;
}

QWidget* RecordWindowArea::nextTabStop(QWidget* from, bool forward) const
{
    if (from == nullptr || !area_)
        return nullptr;
    const TChildForm* front = activeWindow();
    QWidget* window = from->window();
    QWidget* candidate = from;
    // The chain is a ring; one turn at most.
    for (int steps = 0; steps < 10000; ++steps) {
        candidate = forward ? candidate->nextInFocusChain() : candidate->previousInFocusChain();
        if (candidate == nullptr || candidate == from)
            return nullptr;
        const bool takesTab = (candidate->focusPolicy() & Qt::TabFocus) == Qt::TabFocus
                              && candidate->isVisible() && candidate->isEnabled() && candidate->window() == window
                              && candidate->focusProxy() == nullptr;
        if (!takesTab)
            continue;
        if (candidate != area_ && !area_->isAncestorOf(candidate))
            return candidate;
        // In the area: only a control of the front window, never the frame of a window.
        const QMdiSubWindow* sub = subWindowOf(candidate);
        if (front && sub == front->subWindow() && front->isAncestorOf(candidate))
            return candidate;
    }
    return nullptr;
}

bool RecordWindowArea::eventFilter(QObject* watched, QEvent* event)
{
    auto* sub = qobject_cast<QMdiSubWindow*>(watched);
    if (sub != nullptr && event->type() == QEvent::Hide && sub->isHidden())
        putAside(sub);
    return QObject::eventFilter(watched, event);
}

void RecordWindowArea::putAside(QMdiSubWindow* sub)
{
    // A closed window hands the front to the one used before it, as in every
    // MDI application; with none left, no window is active and the bar loses
    // the Edition menu.
    if (area_ && sub == area_->activeSubWindow()) {
        const QList<QMdiSubWindow*> used = area_->subWindowList(QMdiArea::ActivationHistoryOrder);
        QMdiSubWindow* next = nullptr;
        for (auto it = used.rbegin(); it != used.rend() && next == nullptr; ++it)
            if (*it != sub && !(*it)->isMinimized() && !(*it)->isHidden())
                next = *it;
        area_->setActiveSubWindow(next);
    }
    mergeMenu();
}

void RecordWindowArea::mergeMenu()
{
    if (!menuBar_)
        return;
    TChildForm* form = activeWindow();
    QMenu* wanted = form ? form->editionMenu() : nullptr;
    if (wanted == mergedMenu_)
        return;
    if (mergedMenu_)
        menuBar_->removeAction(mergedMenu_->menuAction());
    mergedMenu_ = wanted;
    if (wanted == nullptr)
        return;
    const QList<QAction*> bar = menuBar_->actions();
    const qsizetype window = windowMenu_ ? bar.indexOf(windowMenu_->menuAction()) : -1;
    QAction* before = window >= 0 && window + 1 < bar.size() ? bar[window + 1] : nullptr;
    menuBar_->insertMenu(before, wanted);
}

void RecordWindowArea::fillWindowMenu()
{
    for (const QPointer<QAction>& action : listed_)
        delete action.data();
    listed_.clear();
    const std::vector<TChildForm*> forms = windows();
    if (forms.empty() || !windowMenu_)
        return;
    listed_.push_back(windowMenu_->addSeparator());
    listed_.back()->setObjectName("windowListSeparator");
    QMdiSubWindow* active = area_ ? area_->activeSubWindow() : nullptr;
    int number = 0;
    for (TChildForm* form : forms) {
        ++number;
        QString title = form->windowTitle();
        title.replace(QLatin1Char('&'), QLatin1String("&&"));
        // The first nine are chosen with their digit.
        const QString caption = number <= 9 ? QString("&%1 %2").arg(number).arg(title)
                                            : QString("%1 %2").arg(number).arg(title);
        QAction* action = windowMenu_->addAction(caption);
        action->setObjectName(QString("windowListItem%1").arg(number));
        action->setCheckable(true);
        action->setChecked(form->subWindow() == active && active != nullptr);
        connect(action, &QAction::triggered, form, [form]() { form->bringToFront(); });
        listed_.push_back(action);
    }
}
