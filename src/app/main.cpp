#include "app/startup_sequence.h"
#include "platform/platform.h"
#include "registry/system_registry.h"

int main() {
    using namespace pellatone;
    PrepareProcess();
    const std::unique_ptr<PlatformServices> platform = CreatePlatformServices();
    RunReportingUncaughtErrors(*platform, [&] {
        const std::unique_ptr<FileSystem> fileSystem = CreateFileSystem();
        // The registry is made, and on Linux the installed runtimes looked up, only when the
        // sequence runs: before the splash window, the look-up would hold it back.
        const auto startUp = [&](SplashWindow* splash) {
            const std::unique_ptr<RegistryAccess> registry = CreateSystemRegistry();
            StartupRun context{.services = {.platform = *platform,
                                            .registry = *registry,
                                            .fileSystem = *fileSystem,
                                            .convention = HostPathConvention()},
                               .JavaHomeFolder = {}};
            RunStartupSequence(splash, context);
        };
        const auto onTimer1Tick = [&](SplashWindow& splash) {
            RunReportingUncaughtErrors(*platform, [&] { startUp(&splash); });
        };
        if (!RunSplashWindow(onTimer1Tick)) startUp(nullptr);
    });
    return exit_status::kSuccess;
}
