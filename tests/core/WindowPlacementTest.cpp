#include "core/WindowPlacement.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>

void PrintTo(const WindowPlace& p, std::ostream* out)
{
    *out << p.width << "x" << p.height << " at " << p.left << "," << p.top;
}

namespace {

// A laptop's screen less a panel of 32 pixels at the bottom, and a title bar
// of 24 pixels with borders of 1 around the window.
const ScreenArea Laptop {0, 0, 1366, 736};
const FrameMargins Frame {1, 24, 1, 1};

TEST(WindowPlacement, APlaceWhoseFrameFitsIsKeptExactly)
{
    for (const WindowPlace& place : {WindowPlace {200, 130, 668, 500}, WindowPlace {0, 0, 1364, 711},
                                     WindowPlace {1000, 400, 300, 200}})
        EXPECT_EQ(fitWindowIntoArea(place, Laptop, Frame), place);
    // On a second screen to the right of the first.
    const ScreenArea right {1366, 0, 1920, 1080};
    EXPECT_EQ(fitWindowIntoArea({1500, 100, 1100, 760}, right, Frame), (WindowPlace {1500, 100, 1100, 760}));
}

TEST(WindowPlacement, TheFirstStartsPlaceIsBroughtOntoALaptopScreen)
{
    // 668x775 at (200, 130): the sort group below the screen's edge.
    const WindowPlace fitted = fitWindowIntoArea({200, 130, 668, 775}, Laptop, Frame);
    EXPECT_EQ(fitted, (WindowPlace {200, 0, 668, 736 - 25}));
}

TEST(WindowPlacement, APlaceOffTheAreaMovesTheLeastDistanceInto)
{
    EXPECT_EQ(fitWindowIntoArea({1000, 600, 500, 300}, Laptop, Frame), (WindowPlace {1366 - 502, 736 - 325, 500, 300}));
    EXPECT_EQ(fitWindowIntoArea({-300, -50, 500, 300}, Laptop, Frame), (WindowPlace {0, 0, 500, 300}));
    // A screen unplugged since: the place lies on no screen at all.
    EXPECT_EQ(fitWindowIntoArea({-3000, 5000, 500, 300}, Laptop, Frame), (WindowPlace {0, 736 - 325, 500, 300}));
    // An area that does not start at the desktop's corner (a panel on the left and top).
    const ScreenArea panels {48, 30, 1318, 738};
    EXPECT_EQ(fitWindowIntoArea({0, 0, 400, 300}, panels, Frame), (WindowPlace {48, 30, 400, 300}));
}

TEST(WindowPlacement, APlaceLargerThanTheAreaIsShrunkToIt)
{
    EXPECT_EQ(fitWindowIntoArea({100, 100, 2000, 1500}, Laptop, Frame), (WindowPlace {0, 0, 1364, 711}));
    // Only the side that is too long.
    EXPECT_EQ(fitWindowIntoArea({100, 100, 800, 1500}, Laptop, Frame), (WindowPlace {100, 0, 800, 711}));
    // Without a frame (not known yet), the inside takes the whole area.
    EXPECT_EQ(fitWindowIntoArea({100, 100, 2000, 1500}, Laptop, {}), (WindowPlace {0, 0, 1366, 736}));
}

TEST(WindowPlacement, TheWindowsLeastSizeHolds)
{
    // Settings that say nothing sensible still give a window that can be used.
    EXPECT_EQ(fitWindowIntoArea({10, 10, 0, -40}, Laptop, Frame, 421, 236), (WindowPlace {10, 10, 421, 236}));
    // A screen smaller than the least size: the frame starts at its corner.
    const ScreenArea tiny {0, 0, 320, 200};
    EXPECT_EQ(fitWindowIntoArea({50, 50, 600, 400}, tiny, Frame, 421, 236), (WindowPlace {0, 0, 421, 236}));
}

TEST(WindowPlacement, ExtremeValuesNeitherOverflowNorEscapeTheArea)
{
    for (const WindowPlace& place : {WindowPlace {INT_MAX, INT_MAX, INT_MAX, INT_MAX},
                                     WindowPlace {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
                                     WindowPlace {INT_MAX - 5, INT_MIN, 1, 1}}) {
        const WindowPlace fitted = fitWindowIntoArea(place, Laptop, Frame);
        EXPECT_GE(fitted.left, 0);
        EXPECT_GE(fitted.top, 0);
        EXPECT_LE(fitted.left + fitted.width + 2, 1366);
        EXPECT_LE(fitted.top + fitted.height + 25, 736);
        EXPECT_GE(fitted.width, 1);
        EXPECT_GE(fitted.height, 1);
    }
    // A frame that reports nonsense counts as none.
    EXPECT_EQ(fitWindowIntoArea({0, 0, 400, 300}, Laptop, {INT_MIN, INT_MIN, 0, 0}), (WindowPlace {0, 0, 400, 300}));
}

}  // namespace
