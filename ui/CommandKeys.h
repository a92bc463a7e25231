#pragma once

#include <QObject>
#include <QPointer>

#include <vector>

class QAction;
class QKeyEvent;
class QWidget;

// The keys of a window's commands start their commands whatever control of
// the window has the keyboard. A line edit, a memo or a grid claims some
// keys for itself before the window's shortcuts are looked at (a line edit's
// Ctrl+U deletes its line): the keys of the commands given here are not
// theirs to take. Every other key stays with the control. Dialogs, which are
// windows of their own, keep all their keys.
class CommandKeys : public QObject {
    Q_OBJECT
public:
    // Watches the application's events for the window's controls.
    explicit CommandKeys(QWidget* window);
    ~CommandKeys() override;

    // The action's shortcuts, while it is enabled, are the window's.
    void add(QAction* action);
    // True when the key pressed is a shortcut of an enabled command.
    bool isCommandKey(const QKeyEvent& key) const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    std::vector<QPointer<QAction>> actions_;
};
