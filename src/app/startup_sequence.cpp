#include "app/startup_sequence.h"

#include <exception>
#include <new>

#include "app/launch/server_command_line.h"
#include "app/launch/start_server_process.h"

namespace pellatone {

void RunStartupSequence(SplashWindow* splash, StartupContext& context) {
    if (splash != nullptr) splash->Unload();
    FindJavaRuntime(context);
    const std::string commandLine = BuildServerCommandLine(
        context.JavaHomeFolder, context.platform.ApplicationFolder(), context.convention);
    StartServerProcess(context.platform, commandLine);
}

void RunReportingUncaughtErrors(PlatformServices& platform, const std::function<void()>& body) {
    try {
        body();
        return;
    } catch (const RunTimeError& error) {
        platform.ReportUncaughtError(error);
    } catch (const std::bad_alloc&) {
        platform.ReportUncaughtError(RunTimeError(7, "Out of memory"));
    } catch (const std::exception& error) {
        platform.ReportUncaughtError(RunTimeError(51, error.what()));
    }
    platform.EndProgram(exit_status::kUncaughtError);
}

}  // namespace pellatone
