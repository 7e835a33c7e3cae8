#pragma once

#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/path_convention.h"
#include "platform/platform_services.h"
#include "registry/java_runtime_key.h"
#include "registry/registry_value.h"

namespace pellatone {

// What discovery and the installation run on.
struct JavaRuntimeServices {
    PlatformServices& platform;
    RegistryAccess& registry;
    FileSystem& fileSystem;
    PathConvention convention;
};

// The first name, in the given order, whose version prefix reads as kMinimumJavaVersion or more;
// nothing when none does. Names after the chosen one are not looked at. Raises RunTimeError 13
// "Type mismatch" for a prefix that is not a number, met before a qualifying name.
std::optional<std::string> ChooseJavaVersion(const SubKeyList& subKeyNames);

// Chooses the Java runtime, publishes its folder in `JavaHomeFolder` (the setting the start-up
// sequence reads afterwards) and installs the serial extension into it. Ends the program when no
// runtime or no suitable version is listed; any other failure is shown to the user and leaves
// `JavaHomeFolder` empty.
void FindJavaRuntime(const JavaRuntimeServices& services, std::string& JavaHomeFolder);

// Copies each extension file the runtime at `javaHome` lacks. A failure is shown to the user and
// ends the installation; no error is passed back.
void InstallCommExtension(const JavaRuntimeServices& services, const std::string& javaHome);

}  // namespace pellatone
