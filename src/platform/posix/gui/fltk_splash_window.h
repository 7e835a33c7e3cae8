#pragma once

#include "platform/splash_window.h"

namespace pellatone {

// frmSplash in FLTK, inside the windows module: loads it, shows it centred, arms Timer1 and runs
// the event loop until no window is left. Returns false, having shown nothing, without a display.
bool RunFltkSplashWindow(const Timer1Handler& onTimer1Tick);

// Starts decoding the splash window's pictures on a thread of their own, so that the work overlaps
// the display's set-up; RunFltkSplashWindow takes them from there, or decodes them itself when
// nothing was started.
void PrepareSplashPictures();

}  // namespace pellatone
