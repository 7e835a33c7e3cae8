#pragma once

#include <string>

#include "platform/file_system.h"
#include "platform/path_convention.h"
#include "platform/platform_services.h"
#include "registry/registry_value.h"

namespace pellatone {

// What the start-up sequence shares: the services it runs on and the chosen Java home.
struct StartupContext {
    PlatformServices& platform;
    RegistryAccess& registry;
    FileSystem& fileSystem;
    PathConvention convention = kHostPathConvention;

    // The chosen Java runtime's folder exactly as the registry holds it, or empty.
    std::string JavaHomeFolder;
};

// Chooses the Java runtime, publishes its folder in JavaHomeFolder and installs the serial
// extension into it. Ends the program when no runtime or no suitable version is listed.
void FindJavaRuntime(StartupContext& context);

}  // namespace pellatone
