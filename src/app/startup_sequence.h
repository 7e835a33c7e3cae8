#pragma once

#include <functional>
#include <string>

#include "java_runtime/mod_main.h"
#include "platform/splash_window.h"

namespace pellatone {

// One run of the start-up sequence: the services it runs on, and what it chose (the Java home).
struct StartupRun {
    JavaRuntimeServices services;

    // The chosen Java runtime's folder exactly as the registry holds it, or empty.
    std::string JavaHomeFolder;
};

// Timer1's handler: unloads the splash window first (so it runs once), has the Java runtime
// found and prepared, then builds and starts the server's command line. Errors pass on.
// `splash` is null when the program runs without a display.
void RunStartupSequence(SplashWindow* splash, StartupRun& context);

// Runs `body`; an error that nothing else took is reported and ends the program.
void RunReportingUncaughtErrors(PlatformServices& platform, const std::function<void()>& body);

}  // namespace pellatone
