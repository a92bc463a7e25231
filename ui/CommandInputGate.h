#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QEvent;

// While a link command runs, the window keeps repainting and answering the
// desktop (ResponsiveClock), and the dealer may ask for the end of the
// program: the gate lets through only that. The quit keys, the menus (to
// reach Exit) and Exit itself pass; every other key, click, wheel turn or
// shortcut is dropped, so no second command and no other change can start
// while one runs. A dialog the command shows (a message box, the file
// dialog) is modal: the toolkit keeps the window out of its way, and the
// gate lets everything through to it.
class CommandInputGate : public QObject {
    Q_OBJECT
public:
    explicit CommandInputGate(QAction* exit, QObject* parent = nullptr);
    ~CommandInputGate() override;

    // Closes the gate while a command runs, opens it when it ends.
    void setBusy(bool busy);
    bool busy() const { return busy_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Whether the dealer's input event may reach its receiver now.
    bool passes(QObject* receiver, QEvent* event) const;
    bool passesInMenu(const class QMenu& menu, QEvent* event) const;
    bool isExit(const QAction* action) const;

    QPointer<QAction> exit_;
    bool busy_ = false;
};
