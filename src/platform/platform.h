#pragma once

#include <memory>

#include "platform/file_system.h"
#include "platform/path_convention.h"
#include "platform/platform_services.h"
#include "platform/splash_window.h"

namespace pellatone {

// Each platform folder implements these once.

// Readies the process for the program's work; the entry calls it first, once.
void PrepareProcess();
std::unique_ptr<PlatformServices> CreatePlatformServices();
// How this system spells paths: the fixed paths of the program are turned into it.
PathConvention HostPathConvention();
std::unique_ptr<FileSystem> CreateFileSystem();

// Loads frmSplash, shows it centred, arms Timer1 and runs the event loop until no window is left;
// `onTimer1Tick` runs on the first tick. Returns false, having shown nothing, when there is no
// display to show it on; the caller then runs the start-up sequence at once.
bool RunSplashWindow(const Timer1Handler& onTimer1Tick);

}  // namespace pellatone
