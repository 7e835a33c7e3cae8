#include "app/startup_sequence.h"
#include "platform/platform.h"
#include "registry/system_registry.h"

int main() {
    using namespace pellatone;
    const std::unique_ptr<PlatformServices> platform = CreatePlatformServices();
    RunReportingUncaughtErrors(*platform, [&] {
        const std::unique_ptr<FileSystem> fileSystem = CreateFileSystem();
        const std::unique_ptr<RegistryAccess> registry = CreateSystemRegistry();
        StartupContext context{{*platform, *registry, *fileSystem, HostPathConvention()}, {}};
        const auto onTimer1Tick = [&](SplashWindow& splash) {
            RunReportingUncaughtErrors(*platform, [&] { RunStartupSequence(&splash, context); });
        };
        if (!RunSplashWindow(onTimer1Tick)) {
            RunStartupSequence(nullptr, context);
        }
    });
    return exit_status::kSuccess;
}
