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

void FindJavaRuntime(StartupContext& context) {
    context.JavaHomeFolder.clear();
    const std::optional<RunTimeError> error = ErrorRaisedBy([&context] {
        const std::string runtimeKey(kJavaRuntimeKey);
        if (!context.registry.RegKeyExists(kHkeyLocalMachine, runtimeKey)) {
            EndForLackOfJava(context.platform, kJavaNotInstalledMessage);
            return;
        }
        const std::optional<std::string> version =
            ChooseJavaVersion(context.registry.RegEnumSubKeys(kHkeyLocalMachine, runtimeKey));
        if (!version) {
            EndForLackOfJava(context.platform, kNoSuitableJavaMessage);
            return;
        }
        const std::string home = RegistryValueToText(
            context.registry.RegReadValue(kHkeyLocalMachine, runtimeKey + "\\" + *version,
                                          std::string(kJavaHomeValueName), nullptr));
        if (home.empty()) return;
        // Published before the installation, which may fail without taking it back.
        context.JavaHomeFolder = home;
        InstallCommExtension(context, home);
    });
    if (error) {
        ShowError(context.platform, *error, kSearchingJvmFailedMessage);
        context.JavaHomeFolder.clear();
    }
}

std::string_view GsmModemJarFolder(PathConvention convention) {
    return convention == PathConvention::kWindows ? kGsmModemJarWindows : kGsmModemJarPosix;
}

void InstallCommExtension(StartupContext& context, const std::string& javaHome) {
    const std::optional<RunTimeError> error = ErrorRaisedBy([&context, &javaHome] {
        const std::string sourceFolder(GsmModemJarFolder(context.convention));
        for (const CommExtensionFile& file : kCommExtensionPlan) {
            // Presence alone counts: a file already there is never compared or replaced.
            if (context.fileSystem.FileExists(
                    javaHome + InConvention(file.testedSuffix, context.convention))) {
                continue;
            }
            context.fileSystem.CopyFile(
                sourceFolder + std::string(file.sourceName),
                javaHome + InConvention(file.folderSuffix, context.convention));
        }
    });
    if (error) ShowError(context.platform, *error, kCopyingJarFailedMessage);
}

}  // namespace pellatone
