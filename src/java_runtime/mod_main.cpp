#include "java_runtime/mod_main.h"

#include <exception>
#include <new>
#include <utility>

#include "platform/run_time_error.h"
#include "platform/text_to_number.h"

namespace pellatone {

namespace {

constexpr int kOutOfMemory = 7;
constexpr int kInternalError = 51;

// Runs one procedure's body and hands back the error that abandoned it, if any. Only errors are
// taken: the end of the program is no error and passes on.
template <typename Body>
std::optional<RunTimeError> ErrorRaisedBy(Body&& body) {
    try {
        std::forward<Body>(body)();
        return std::nullopt;
    } catch (const RunTimeError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return RunTimeError(kOutOfMemory, "Out of memory");
    } catch (const std::exception& error) {
        return RunTimeError(kInternalError, error.what());
    }
}

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
