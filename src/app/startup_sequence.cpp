#include "app/startup_sequence.h"

#include <optional>

#include "app/launch/server_command_line.h"

namespace pellatone {

void RunStartupSequence(SplashWindow* splash, StartupRun& context) {
    if (splash != nullptr) splash->Unload();
    FindJavaRuntime(context.services, context.JavaHomeFolder);
    const std::string commandLine = BuildServerCommandLine(
        context.JavaHomeFolder, context.services.platform.ApplicationFolder(),
        context.services.convention);
    // The server process starts hidden, from the application folder, and is not waited for.
    PlatformServices& platform = context.services.platform;
    platform.StartProcessInFolder(commandLine, platform.ApplicationFolder());
}

void RunReportingUncaughtErrors(PlatformServices& platform, const std::function<void()>& body) {
    if (const std::optional<RunTimeError> error = ErrorRaisedBy(body)) {
        platform.ReportUncaughtError(*error);
        platform.EndProgram(exit_status::kUncaughtError);
    }
}

}  // namespace pellatone
