#pragma once

// Where a top-level window opens, in the desktop's pixels, without any
// window-system type: the settings hold it as four integers.

// A window's place: the top-left corner of its frame and the size of its
// inside (the frame's title bar and borders come around that size).
struct WindowPlace {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    friend bool operator==(const WindowPlace&, const WindowPlace&) = default;
};

// A rectangle of the desktop: the part of a screen that windows may take
// (without the desktop's panels and docks).
struct ScreenArea {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// What the window system puts around a window's inside.
struct FrameMargins {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The place a window opens at in `area`. A place whose frame lies wholly in
// the area is kept exactly. Any other is shrunk where the frame is larger
// than the area, then moved the least distance that brings the frame into
// it. A size below `leastWidth` or `leastHeight` (what the window can be made
// at the least) counts as that size; where even that does not fit, the frame
// starts at the area's top-left corner. Every value is taken as it comes,
// however large or negative: nothing overflows.
WindowPlace fitWindowIntoArea(const WindowPlace& place, const ScreenArea& area, const FrameMargins& frame,
                              int leastWidth = 1, int leastHeight = 1);
