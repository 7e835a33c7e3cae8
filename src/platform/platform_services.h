#pragma once

#include <string>
#include <string_view>

#include "platform/run_time_error.h"

namespace pellatone {

// Everything the start-up logic needs of the user interface, processes and error reporting.
// The program has one real implementation per platform; tests use fakes.
class PlatformServices {
public:
    PlatformServices() = default;
    PlatformServices(const PlatformServices&) = delete;
    PlatformServices& operator=(const PlatformServices&) = delete;
    virtual ~PlatformServices() = default;

    // A modal box with the text, an OK button only, no icon, captioned "Pellatone".
    virtual void ShowMessage(const std::string& text) = 0;

    // Stops the process at once. The real services never return; a test double may throw an
    // exception that is not a RunTimeError so that no error path can take it.
    virtual void EndProgram(int exitStatus) = 0;

    // The folder holding the running program, without a trailing separator except at a root.
    [[nodiscard]] virtual std::string ApplicationFolder() const = 0;

    // Raise RunTimeError when the folder cannot be read or made current.
    [[nodiscard]] virtual std::string GetWorkingFolder() const = 0;
    virtual void SetWorkingFolder(const std::string& folder) = 0;

    // Starts the command line hidden, in the current working folder, without waiting for it.
    // Raises RunTimeError when the program cannot be found or started.
    virtual void StartProcess(const std::string& commandLine) = 0;

    // Starts the command line as StartProcess does, with `folder` as its working folder, and
    // leaves ours as it was. This makes the folder current for the start and the remembered one
    // current again afterwards; a platform that can name the folder in the start itself does so
    // instead. Raises RunTimeError when the folder cannot be entered, before anything starts.
    virtual void StartProcessInFolder(const std::string& commandLine, const std::string& folder);

    // Shows the report of an error that no error path took. The caller then ends the program.
    virtual void ReportUncaughtError(const RunTimeError& error) = 0;
};

// The exit statuses of the program.
namespace exit_status {
inline constexpr int kSuccess = 0;
inline constexpr int kUncaughtError = 1;
inline constexpr int kNoJavaRuntime = 2;
}  // namespace exit_status

// The caption of every message box.
inline constexpr std::string_view kApplicationTitle = "Pellatone";

}  // namespace pellatone
