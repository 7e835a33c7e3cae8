#include "platform/win32/window_placement.h"

namespace pellatone::win32 {

RECT CentredWindowRect(const RECT& workArea, SIZE windowSize) {
    const LONG width = workArea.right - workArea.left;
    const LONG height = workArea.bottom - workArea.top;
    // Centred, a window larger than the work area would put its title bar off the screen, where
    // it can be neither moved nor closed: it hangs off the bottom and right instead.
    if (windowSize.cx > width || windowSize.cy > height) {
        return {workArea.left, workArea.top, workArea.left + windowSize.cx,
                workArea.top + windowSize.cy};
    }
    const LONG left = workArea.left + (width - windowSize.cx) / 2;
    const LONG top = workArea.top + (height - windowSize.cy) / 2;
    return {left, top, left + windowSize.cx, top + windowSize.cy};
}

}  // namespace pellatone::win32
