#pragma once

#include <windows.h>

namespace pellatone::win32 {

// Where a window of the given outer size sits when centred in the work area (the screen less
// the task bar). Odd leftovers go to the right and bottom. A window larger than the work area
// (either way) has its top-left corner at the work area's, the rest hanging off.
RECT CentredWindowRect(const RECT& workArea, SIZE windowSize);

}  // namespace pellatone::win32
