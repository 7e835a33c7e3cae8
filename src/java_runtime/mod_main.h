#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file_system_object.h"
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

inline constexpr double kMinimumJavaVersion = 1.5;
// Only this many leading characters of a subkey name are read as its version.
inline constexpr std::size_t kVersionPrefixLength = 3;

inline constexpr std::string_view kJavaNotInstalledMessage =
    "You have not Installed Java Runtime Environment on your computer.\r\n"
    "Download and install Java Runtime Environment Version 1.5 or higher version.\r\n"
    "Please refer installtion guide of Pellatone for further help";
inline constexpr std::string_view kNoSuitableJavaMessage =
    "Java Runtime Environment version 1.5 or higher version is not avaiable";
inline constexpr std::string_view kSearchingJvmFailedMessage =
    "Error While Searching JVM on Your Machine";
inline constexpr std::string_view kCopyingJarFailedMessage = "Error While Copying JAR File";

// The first characters of a subkey name that carry its version; the whole name when shorter.
std::string_view VersionPrefix(std::string_view subKeyName);

// The first name, in the given order, whose version prefix reads as kMinimumJavaVersion or more;
// nothing when none does. Names after the chosen one are not looked at. Raises RunTimeError 13
// "Type mismatch" for a prefix that is not a number, met before a qualifying name.
std::optional<std::string> ChooseJavaVersion(const SubKeyList& subKeyNames);

// Chooses the Java runtime, publishes its folder in `JavaHomeFolder` (the setting the start-up
// sequence reads afterwards) and installs the serial extension into it. Ends the program when no
// runtime or no suitable version is listed; any other failure is shown to the user and leaves
// `JavaHomeFolder` empty.
void FindJavaRuntime(const JavaRuntimeServices& services, std::string& JavaHomeFolder);

// One file of the serial-communication extension. Suffixes follow the Java home directly and are
// written with backslashes; the copy keeps the source's name, so it lands at the tested path.
struct CommExtensionFile {
    std::string_view testedSuffix;
    std::string_view folderSuffix;
    std::string_view sourceName;
};

inline constexpr std::array<CommExtensionFile, 4> kCommExtensionPlan{{
    {R"(\lib\ext\Comm.jar)", R"(\lib\ext\)", "Comm.jar"},
    {R"(\lib\javax.comm.properties)", R"(\lib\)", "javax.comm.properties"},
    {R"(\bin\Win32com.dll)", R"(\bin\)", "Win32com.dll"},
    {R"(\lib\ext\jdc.jar)", R"(\lib\ext\)", "jdc.jar"},
}};

// The folder the extension files are copied from, GsmModemJar, with its trailing separator.
inline constexpr std::string_view kGsmModemJarWindows = R"(C:\maradel\GsmModemJar\)";
inline constexpr std::string_view kGsmModemJarPosix = "/opt/maradel/GsmModemJar/";
std::string_view GsmModemJarFolder(PathConvention convention);

// Copies each extension file the runtime at `javaHome` lacks. A failure is shown to the user and
// ends the installation; no error is passed back.
void InstallCommExtension(const JavaRuntimeServices& services, const std::string& javaHome);

}  // namespace pellatone
