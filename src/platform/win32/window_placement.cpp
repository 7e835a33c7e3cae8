#include "platform/win32/window_placement.h"

namespace pellatone::win32 {

RECT CentredWindowRect(const RECT& workArea, SIZE windowSize) {
    const LONG left = workArea.left + (workArea.right - workArea.left - windowSize.cx) / 2;
    const LONG top = workArea.top + (workArea.bottom - workArea.top - windowSize.cy) / 2;
    return {left, top, left + windowSize.cx, top + windowSize.cy};
}

}  // namespace pellatone::win32
