#include "core/WindowPlacement.h"

#include <algorithm>
#include <cstdint>

namespace {

// One axis: the frame starts at `start` and is `inside` plus `frame` long; the
// area runs from `areaStart` over `areaLength`. Lengths and positions come
// back in place.
void fitAxis(std::int64_t& start, std::int64_t& inside, std::int64_t frame, std::int64_t areaStart,
             std::int64_t areaLength, std::int64_t least)
{
    inside = std::max(inside, least);
    if (inside + frame > areaLength)
        inside = std::max(least, areaLength - frame);
    const std::int64_t outside = inside + frame;
    // Past the far edge first, so that a frame larger than the area keeps its start on the area.
    if (start + outside > areaStart + areaLength)
        start = areaStart + areaLength - outside;
    if (start < areaStart)
        start = areaStart;
}

int toInt(std::int64_t value)
{
    return int(std::clamp<std::int64_t>(value, INT32_MIN, INT32_MAX));
}

}  // namespace

WindowPlace fitWindowIntoArea(const WindowPlace& place, const ScreenArea& area, const FrameMargins& frame,
                              int leastWidth, int leastHeight)
{
    const std::int64_t frameWidth = std::max<std::int64_t>(0, std::int64_t(frame.left) + frame.right);
    const std::int64_t frameHeight = std::max<std::int64_t>(0, std::int64_t(frame.top) + frame.bottom);
    const std::int64_t least[2] = {std::max(1, leastWidth), std::max(1, leastHeight)};
    const bool inside = place.width >= least[0] && place.height >= least[1] && place.left >= area.left
                        && place.top >= area.top
                        && std::int64_t(place.left) + place.width + frameWidth
                               <= std::int64_t(area.left) + area.width
                        && std::int64_t(place.top) + place.height + frameHeight
                               <= std::int64_t(area.top) + area.height;
    if (inside)
        return place;
    std::int64_t left = place.left, top = place.top, width = place.width, height = place.height;
    fitAxis(left, width, frameWidth, area.left, std::max(0, area.width), least[0]);
    fitAxis(top, height, frameHeight, area.top, std::max(0, area.height), least[1]);
    return {toInt(left), toInt(top), toInt(width), toInt(height)};
}
