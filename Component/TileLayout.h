#pragma once

#include <cstddef>
#include <utility>

// Where the tiles of the shown records stand: rows of tiles in display
// order, broken at the view's width, in content coordinates (the top of the
// first row is 0). Rows are a little closer than a tile is high, so a lower
// row's tile lies over the bottom edge of the one above. Knows counts and
// pixels only; the list applies it to its entries.
class TileLayout {
public:
    static constexpr int TileSize = 105;
    // Tiles stand side by side in a row; rows are a little closer than a tile is high.
    static constexpr int ColumnStep = TileSize;
    static constexpr int RowStep = 100;
    // A tile starts a row, or stands at x while x < width - 95.
    static constexpr int RowBreakMargin = 95;

    // The view's width in pixels and the number of tiles shown.
    void setWidth(int width);
    void setCount(std::size_t count) { count_ = count; }
    int width() const { return width_; }
    int tilesPerRow() const { return tilesPerRow_; }

    // The top-left corner of the index-th tile.
    int left(std::size_t index) const;
    int top(std::size_t index) const;
    // The index of the tile at that point, or -1.
    long indexAt(int x, int y) const;
    // The last tile's bottom, 0 without tiles.
    int contentHeight() const;
    // The indexes [first, last) of the tiles that reach into the band [top, bottom).
    std::pair<std::size_t, std::size_t> between(int top, int bottom) const;

private:
    int width_ = 0;
    int tilesPerRow_ = 1;
    std::size_t count_ = 0;
};
