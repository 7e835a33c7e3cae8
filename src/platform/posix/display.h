#pragma once

namespace pellatone {

// Whether there is an X display to show windows on. The first call opens the display named by
// DISPLAY and hands it to FLTK; without DISPLAY, or when it cannot be opened, the program runs
// headless. The answer does not change afterwards.
bool DisplayAvailable();

}  // namespace pellatone
