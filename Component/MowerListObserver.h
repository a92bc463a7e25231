#pragma once

class TDBMower;

// What a view of the mower list learns from the model.
class MowerListObserver {
public:
    virtual ~MowerListObserver() = default;
    // Tiles were added, sorted or moved: every tile's position may be new.
    virtual void listArranged() = 0;
    // One tile's captions or picture changed.
    virtual void mowerChanged(const TDBMower& mower) = 0;
    // Repaint the list and its tiles.
    virtual void refreshRequested() = 0;
    // The tiles are sorted again: the view shows the list from its first row.
    virtual void scrollToTop() {}
};
