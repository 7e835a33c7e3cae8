#include "java_runtime/mod_main.h"

#include <array>
#include <cstddef>
#include <string_view>

#include "platform/run_time_error.h"
#include "platform/text_to_number.h"

namespace pellatone {

namespace {

constexpr double kMinimumJavaVersion = 1.5;
// Only this many leading characters of a subkey name are read as its version.
constexpr std::size_t kVersionPrefixLength = 3;

constexpr std::string_view kJavaNotInstalledMessage =
    "You have not Installed Java Runtime Environment on your computer.\r\n"
    "Download and install Java Runtime Environment Version 1.5 or higher version.\r\n"
    "Please refer installtion guide of Pellatone for further help";
constexpr std::string_view kNoSuitableJavaMessage =
    "Java Runtime Environment version 1.5 or higher version is not avaiable";
constexpr std::string_view kSearchingJvmFailedMessage = "Error While Searching JVM on Your Machine";
constexpr std::string_view kCopyingJarFailedMessage = "Error While Copying JAR File";

// One file of the serial-communication extension. The folder follows the Java home directly and
// is written with backslashes; the copy keeps the source's name, so the file tested for is the
// folder followed by that name.
struct CommExtensionFile {
    std::string_view folderSuffix;
    std::string_view sourceName;
};

constexpr std::array<CommExtensionFile, 4> kCommExtensionPlan{{
    {.folderSuffix = R"(\lib\ext\)", .sourceName = "Comm.jar"},
    {.folderSuffix = R"(\lib\)", .sourceName = "javax.comm.properties"},
    {.folderSuffix = R"(\bin\)", .sourceName = "Win32com.dll"},
    {.folderSuffix = R"(\lib\ext\)", .sourceName = "jdc.jar"},
}};

// The folder the extension files are copied from, GsmModemJar, with its trailing separator.
std::string_view GsmModemJarFolder(PathConvention convention) {
    return convention == PathConvention::kWindows ? R"(C:\maradel\GsmModemJar\)"
                                                  : "/opt/maradel/GsmModemJar/";
}

// The error path both procedures share: the description, then what was being done.
void ShowError(PlatformServices& platform, const RunTimeError& error, std::string_view activity) {
    platform.ShowMessage(error.Description());
    platform.ShowMessage(std::string(activity));
}

// The first characters of a subkey name that carry its version; the whole name when shorter.
std::string_view VersionPrefix(std::string_view subKeyName) {
    return subKeyName.substr(0, kVersionPrefixLength);
}

// Does not return, as EndProgram does not.
void EndForLackOfJava(PlatformServices& platform, std::string_view message) {
    platform.ShowMessage(std::string(message));
    platform.EndProgram(exit_status::kNoJavaRuntime);
}

}  // namespace

std::optional<std::string> ChooseJavaVersion(const SubKeyList& subKeyNames) {
    for (const std::string& name : subKeyNames) {
        if (TextToNumber(VersionPrefix(name)) >= kMinimumJavaVersion) return name;
    }
    return std::nullopt;
}

void FindJavaRuntime(const JavaRuntimeServices& services, std::string& JavaHomeFolder) {
    JavaHomeFolder.clear();
    const std::optional<RunTimeError> error = ErrorRaisedBy([&services, &JavaHomeFolder] {
        const std::string runtimeKey(kJavaRuntimeKey);
        if (!services.registry.RegKeyExists(kHkeyLocalMachine, runtimeKey)) {
            EndForLackOfJava(services.platform, kJavaNotInstalledMessage);
        }
        const std::optional<std::string> version =
            ChooseJavaVersion(services.registry.RegEnumSubKeys(kHkeyLocalMachine, runtimeKey));
        if (!version) {
            EndForLackOfJava(services.platform, kNoSuitableJavaMessage);
        }
        const std::string home = RegistryValueToText(
            services.registry.RegReadValue(kHkeyLocalMachine, runtimeKey + "\\" + *version,
                                           std::string(kJavaHomeValueName), nullptr));
        if (home.empty()) return;
        // Published before the installation, which may fail without taking it back.
        JavaHomeFolder = home;
        InstallCommExtension(services, home);
    });
    if (error) {
        ShowError(services.platform, *error, kSearchingJvmFailedMessage);
        JavaHomeFolder.clear();
    }
}

void InstallCommExtension(const JavaRuntimeServices& services, const std::string& javaHome) {
    const std::optional<RunTimeError> error = ErrorRaisedBy([&services, &javaHome] {
        const std::string sourceFolder(GsmModemJarFolder(services.convention));
        for (const CommExtensionFile& file : kCommExtensionPlan) {
            const std::string folder =
                javaHome + InConvention(file.folderSuffix, services.convention);
            // Presence alone counts: a file already there is never compared or replaced.
            if (services.fileSystem.FileExists(folder + std::string(file.sourceName))) continue;
            services.fileSystem.CopyFile(sourceFolder + std::string(file.sourceName), folder);
        }
    });
    if (error) ShowError(services.platform, *error, kCopyingJarFailedMessage);
}

}  // namespace pellatone
