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

    // Stops the process at once. A test double may throw an exception that is not a
    // RunTimeError instead, so that no error path can take it.
    [[noreturn]] virtual void EndProgram(int exitStatus) = 0;

    // The folder holding the running program, without a trailing separator except at a root.
    [[nodiscard]] virtual std::string ApplicationFolder() const = 0;

    // Starts the command line hidden, with `folder` as its working folder, without waiting for
    // it, and leaves ours as it was. Raises RunTimeError when the folder cannot be entered
    // (before anything starts) or the program cannot be found or started.
    virtual void StartProcessInFolder(const std::string& commandLine,
                                      const std::string& folder) = 0;

    // Shows the report of an error that no error path took. The caller then ends the program.
    virtual void ReportUncaughtError(const RunTimeError& error) = 0;
};

// The exit statuses of the program.
namespace exit_status {
inline constexpr int kSuccess = 0;
inline constexpr int kUncaughtError = 1;
inline constexpr int kNoJavaRuntime = 2;
}  // namespace exit_status

// The caption of the splash window and of every message box.
inline constexpr std::string_view kApplicationTitle = "Pellatone";

}  // namespace pellatone
