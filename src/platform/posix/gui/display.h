#pragma once

#include <string>

namespace pellatone {

// Whether there is an X display to show windows on. The first call opens the display named by
// DISPLAY and hands it to FLTK; without DISPLAY, or when it cannot be opened, the program runs
// headless. The answer does not change afterwards.
bool DisplayAvailable();

// Why the display did not open, when the user should hear it (a display that does not answer);
// empty when it opened, when there is none, or when it plainly refused.
std::string DisplayFailure();

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

struct ScreenArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where a window of this size goes in a work area: in its middle; or, when it is larger than the
// area either way, at its top-left corner, so that its top stays on the screen and the rest
// hangs off the bottom and right.
ScreenPoint PlaceInWorkArea(const ScreenArea& area, int width, int height);

// The same in the work area (the screen less panels and docks) of the screen our windows open
// on, the connection's default screen.
ScreenPoint PlaceOnWorkArea(int width, int height);

}  // namespace pellatone
