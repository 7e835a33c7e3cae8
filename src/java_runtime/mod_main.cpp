#include "java_runtime/mod_main.h"

#include "platform/run_time_error.h"
#include "platform/text_to_number.h"

namespace pellatone {

namespace {

// The error path both procedures share: the description, then what was being done.
void ShowError(PlatformServices& platform, const RunTimeError& error, std::string_view activity) {
    platform.ShowMessage(error.Description());
    platform.ShowMessage(std::string(activity));
}

void EndForLackOfJava(PlatformServices& platform, std::string_view message) {
    platform.ShowMessage(std::string(message));
    platform.EndProgram(exit_status::kNoJavaRuntime);
}

}  // namespace

std::string_view VersionPrefix(std::string_view subKeyName) {
    return subKeyName.substr(0, kVersionPrefixLength);
}

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
            return;
        }
        const std::optional<std::string> version =
            ChooseJavaVersion(services.registry.RegEnumSubKeys(kHkeyLocalMachine, runtimeKey));
        if (!version) {
            EndForLackOfJava(services.platform, kNoSuitableJavaMessage);
            return;
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

std::string_view GsmModemJarFolder(PathConvention convention) {
    return convention == PathConvention::kWindows ? kGsmModemJarWindows : kGsmModemJarPosix;
}

void InstallCommExtension(const JavaRuntimeServices& services, const std::string& javaHome) {
    const std::optional<RunTimeError> error = ErrorRaisedBy([&services, &javaHome] {
        const std::string sourceFolder(GsmModemJarFolder(services.convention));
        for (const CommExtensionFile& file : kCommExtensionPlan) {
            // Presence alone counts: a file already there is never compared or replaced.
            if (services.fileSystem.FileExists(
                    javaHome + InConvention(file.testedSuffix, services.convention))) {
                continue;
            }
            services.fileSystem.CopyFile(
                sourceFolder + std::string(file.sourceName),
                javaHome + InConvention(file.folderSuffix, services.convention));
        }
    });
    if (error) ShowError(services.platform, *error, kCopyingJarFailedMessage);
}

}  // namespace pellatone
