#include "ui/CommandKeys.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

CommandKeys::CommandKeys(QWidget* window)
    : QObject(window)
    , window_(window)
{
    setObjectName("commandKeys");
    qApp->installEventFilter(this);
}

CommandKeys::~CommandKeys()
{
    qApp->removeEventFilter(this);
}

void CommandKeys::add(QAction* action)
{
    actions_.emplace_back(action);
}

bool CommandKeys::isCommandKey(const QKeyEvent& key) const
{
    const QKeySequence pressed(key.keyCombination());
    for (const QPointer<QAction>& action : actions_)
        if (action && action->isEnabled() && action->shortcuts().contains(pressed))
            return true;
    return false;
}

bool CommandKeys::eventFilter(QObject* watched, QEvent* event)
{
    // Before a key goes to the control with the focus, the control is asked
    // whether it takes the key as its own (the override); a command's key is
    // not taken, so the window's shortcut starts the command.
    if (event->type() == QEvent::ShortcutOverride && watched->isWidgetType() && window_
        && static_cast<QWidget*>(watched)->window() == window_ && isCommandKey(*static_cast<QKeyEvent*>(event))) {
        event->ignore();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
