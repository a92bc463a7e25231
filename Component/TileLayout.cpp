#include "Component/TileLayout.h"

#include <algorithm>

void TileLayout::setWidth(int width)
{
    width_ = width;
    tilesPerRow_ = 1;
    while (tilesPerRow_ * ColumnStep < width_ - RowBreakMargin)
        ++tilesPerRow_;
}

int TileLayout::left(std::size_t index) const
{
    return static_cast<int>(index % static_cast<std::size_t>(tilesPerRow_)) * ColumnStep;
}

int TileLayout::top(std::size_t index) const
{
    return static_cast<int>(index / static_cast<std::size_t>(tilesPerRow_)) * RowStep;
}

long TileLayout::indexAt(int x, int y) const
{
    if (x < 0 || y < 0 || x >= tilesPerRow_ * ColumnStep)
        return -1;
    const std::size_t column = static_cast<std::size_t>(x / ColumnStep);
    // The lower row's tile lies over the upper one's bottom edge: it wins.
    for (int row = y / RowStep; row >= 0 && y < row * RowStep + TileSize; --row) {
        const std::size_t index = static_cast<std::size_t>(row) * static_cast<std::size_t>(tilesPerRow_) + column;
        if (index < count_)
            return static_cast<long>(index);
    }
    return -1;
}

int TileLayout::contentHeight() const
{
    return count_ == 0 ? 0 : top(count_ - 1) + TileSize;
}

std::pair<std::size_t, std::size_t> TileLayout::between(int top, int bottom) const
{
    if (bottom <= top)
        return {0, 0};
    const std::size_t perRow = static_cast<std::size_t>(tilesPerRow_);
    // The first row whose tiles end below the band's top, the last that starts above its bottom.
    const int firstRow = top < TileSize ? 0 : (top - TileSize) / RowStep + 1;
    const int lastRow = std::max(0, (bottom - 1) / RowStep);
    const std::size_t first = std::min(count_, static_cast<std::size_t>(firstRow) * perRow);
    const std::size_t last = std::min(count_, (static_cast<std::size_t>(lastRow) + 1) * perRow);
    return {first, std::max(first, last)};
}
