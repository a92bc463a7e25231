#include "ui/CommandInputGate.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>

namespace {

bool isUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}

// Keys that only move through a menu, or close it.
bool isMenuNavigation(int key)
{
    switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Escape:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
        return true;
    default:
        return false;
    }
}

}  // namespace

CommandInputGate::CommandInputGate(QAction* exit, QObject* parent)
    : QObject(parent)
    , exit_(exit)
{
    setObjectName("commandInputGate");
}

CommandInputGate::~CommandInputGate()
{
    setBusy(false);
}

void CommandInputGate::setBusy(bool busy)
{
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy_)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool CommandInputGate::isExit(const QAction* action) const
{
    return action != nullptr && action == exit_;
}

bool CommandInputGate::eventFilter(QObject* watched, QEvent* event)
{
    // A dialog of the command is modal: it takes the dealer's input, and the
    // toolkit keeps the window behind it out of reach.
    if (!busy_ || !isUserInput(event->type()) || QApplication::activeModalWidget() != nullptr)
        return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::ShortcutOverride) {
        // No control may claim the quit keys: the shortcut of Exit follows.
        // Any other key is dropped further on, on its way to the control or
        // to its shortcut.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (exit_ && exit_->shortcuts().contains(QKeySequence(key->keyCombination()))) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }
    if (passes(watched, event))
        return QObject::eventFilter(watched, event);
    event->accept();  // dropped, and not handed on to the receiver's parents
    return true;
}

bool CommandInputGate::passes(QObject* receiver, QEvent* event) const
{
    if (event->type() == QEvent::Shortcut)
        // Exit's keys, and the letters that open the menus of the bar.
        return isExit(qobject_cast<QAction*>(receiver)) || qobject_cast<QMenuBar*>(receiver) != nullptr;
    if (qobject_cast<QMenuBar*>(receiver) != nullptr)
        return event->type() != QEvent::Wheel && event->type() != QEvent::ContextMenu;
    if (const auto* menu = qobject_cast<QMenu*>(receiver))
        return passesInMenu(*menu, event);
    return false;
}

bool CommandInputGate::passesInMenu(const QMenu& menu, QEvent* event) const
{
    // The menus open and close as ever; of their items only Exit is chosen.
    const auto chosenOrOpens = [this](const QAction* action) {
        return action == nullptr || action->isSeparator() || action->menu() != nullptr || isExit(action);
    };
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        return chosenOrOpens(menu.actionAt(static_cast<QMouseEvent*>(event)->position().toPoint()));
    case QEvent::KeyRelease:
        return true;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (isMenuNavigation(key->key()))
            return true;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space)
            return chosenOrOpens(menu.activeAction());
        // A letter chooses the item whose mnemonic it is.
        const QKeySequence letter(QKeyCombination(Qt::AltModifier, Qt::Key(key->key())));
        for (const QAction* action : menu.actions())
            if (QKeySequence::mnemonic(action->text()) == letter && !chosenOrOpens(action))
                return false;
        return true;
    }
    default:
        return false;
    }
}
