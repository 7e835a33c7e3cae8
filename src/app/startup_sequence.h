#pragma once

#include <functional>

#include "java_runtime/mod_main.h"
#include "platform/splash_window.h"

namespace pellatone {

// Timer1's handler: unloads the splash window first (so it runs once), has the Java runtime
// found and prepared, then builds and starts the server's command line. Errors pass on.
// `splash` is null when the program runs without a display.
void RunStartupSequence(SplashWindow* splash, StartupContext& context);

// Runs `body`; an error that nothing else took is reported and ends the program.
void RunReportingUncaughtErrors(PlatformServices& platform, const std::function<void()>& body);

}  // namespace pellatone
