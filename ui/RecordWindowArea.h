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

protected:
    // Watches the sub-windows for the moment one is closed (hidden).
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void putAside(QMdiSubWindow* sub);
    // Puts the active window's Edition menu into the bar, or takes it out.
    void mergeMenu();
    // Lists the windows below the Window menu's own items.
    void fillWindowMenu();

    QPointer<QMdiArea> area_;
    QPointer<QMenuBar> menuBar_;
    QPointer<QMenu> windowMenu_;
    UserInteraction& user_;
    std::vector<QPointer<TChildForm>> windows_;
    QPointer<QMenu> mergedMenu_;
    std::vector<QPointer<QAction>> listed_;
};
