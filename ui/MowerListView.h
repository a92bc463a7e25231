#pragma once

#include "Component/MowerListObserver.h"
#include "ui/TilePainter.h"

#include <QAbstractScrollArea>

#include <cstddef>

class QAction;
class QMenu;
class TDBMowerList;

// The tiles of every record the list shows (its filter may hide some), in
// rows as the list places them. Only the tiles
// in sight are painted, straight from the list; the list also answers which
// tile is under the mouse. A left click (or Enter on the current tile) opens
// or raises the record's window; the context menu exports the record.
class MowerListView : public QAbstractScrollArea, public MowerListObserver {
    Q_OBJECT
public:
    explicit MowerListView(QWidget* parent = nullptr);
    ~MowerListView() override;

    // The list to show (or none); the view becomes its observer.
    void setList(TDBMowerList* list);
    TDBMowerList* list() const { return list_; }
    // Sets the context menu's caption from the catalogue.
    void setCaptions();

    // The tile under a point of the viewport, or null.
    TDBMower* mowerAt(const QPoint& viewportPoint) const;
    // The keyboard's current tile (display order), or -1.
    int currentIndex() const { return current_; }
    QMenu* tileMenu() const { return tileMenu_; }

    void listArranged() override;
    void mowerChanged(const TDBMower& mower) override;
    void refreshRequested() override;
    void scrollToTop() override;

signals:
    // The list placed its tiles again (sorted, filtered, a new width).
    void arranged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void updateScrollRange();
    void setCurrent(int index);
    void scrollToCurrent();
    QRect tileRect(const TDBMower& mower) const;
    int indexOf(const TDBMower* mower) const;
    void exportMenuMower();

    TDBMowerList* list_ = nullptr;
    TilePainter painter_;
    QMenu* tileMenu_ = nullptr;
    QAction* exportAction_ = nullptr;
    TDBMower* menuMower_ = nullptr;
    int current_ = -1;
};
