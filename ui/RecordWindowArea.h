#pragma once

#include "Component/RecordWindows.h"

#include <QObject>
#include <QPointer>

#include <vector>

class QAction;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMenuBar;
class TChildForm;
class UserInteraction;

// The record windows on the main window's side: opens each one in a
// sub-window of the MDI area, shows the active window's Edition menu in the
// menu bar right after the Window menu, and lists the windows in the Window
// menu below its own items.
//
// The windows are the area's children and live as long as it does; the
// entries keep pointers to them. The area, bar and menu may go before this
// object (as children of the main window they do).
class RecordWindowArea : public QObject, public RecordWindowFactory {
    Q_OBJECT
public:
    RecordWindowArea(QMdiArea* area, QMenuBar* menuBar, QMenu* windowMenu, UserInteraction& user,
                     QObject* parent = nullptr);
    ~RecordWindowArea() override;

    // A new window in a new sub-window, shown maximised and made the active one.
    RecordWindow* openRecordWindow(TDBMower& mower) override;

    // The record windows in the order they were opened.
    std::vector<TChildForm*> windows() const;
    // The window whose menu the bar shows: the active sub-window's, unless
    // that one is minimised or hidden; null when there is none.
    TChildForm* activeWindow() const;

    // Cascades the shown record windows from the area's corner, each a
    // title bar's height below and right of the one before, the front one
    // last and on top. Each window takes the size at which its sheets show
    // without scroll bars, at most the area less the offsets of the cascade.
    void cascade();

    // Ctrl+Tab: the keyboard goes into the front window when it is elsewhere,
    // otherwise the next shown window (the previous one backwards) comes to
    // the front with the keyboard, in the order the windows were opened.
    void cycleWindows(bool forward);
    // Where Tab (forward) or Shift+Tab takes the keyboard from a control of
    // the main window outside the record windows: the next control in the
    // window's focus chain, but of the record windows only the front one
    // takes part; the others stay behind. Null when no control takes it.
    QWidget* nextTabStop(QWidget* from, bool forward) const;

protected:
    // Watches the sub-windows for the moment one is closed (hidden).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void putAside(QMdiSubWindow* sub);
    // Puts the active window's Edition menu into the bar, or takes it out.
    void mergeMenu();
    // Lists the windows below the Window menu's own items.
    void fillWindowMenu();
    // The record window, if any, that holds the widget.
    QMdiSubWindow* subWindowOf(const QWidget* widget) const;

    QPointer<QMdiArea> area_;
    QPointer<QMenuBar> menuBar_;
    QPointer<QMenu> windowMenu_;
    UserInteraction& user_;
    std::vector<QPointer<TChildForm>> windows_;
    QPointer<QMenu> mergedMenu_;
    std::vector<QPointer<QAction>> listed_;
};
