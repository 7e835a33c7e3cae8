#pragma once

#include <string>
#include <string_view>

#include "platform/platform_services.h"

namespace pellatone {

class GuiModule;

// The platform services on Linux and other POSIX systems. With the windows module (see
// GuiModuleForDisplay), messages are boxes on the display; headless (null), each becomes one line
// on standard error.
class PosixPlatformServices final : public PlatformServices {
public:
    explicit PosixPlatformServices(GuiModule* gui) : gui_(gui) {}

    void ShowMessage(const std::string& text) override;
    [[noreturn]] void EndProgram(int exitStatus) override;
    [[nodiscard]] std::string ApplicationFolder() const override;
    void StartProcessInFolder(const std::string& commandLine, const std::string& folder) override;
    void ReportUncaughtError(const RunTimeError& error) override;

private:
    GuiModule* gui_;
};

// Writes the text to standard error as a headless message box does, after anything waiting on
// standard output: each line of it (ended by CR LF, LF or CR) as a line of its own starting with
// "Pellatone: ".
void WriteHeadlessMessage(std::string_view text);

// The folder of the running program, as /proc/self/exe names it.
std::string RunningProgramFolder();

// The folder part of a program's path: no trailing "/" except for "/" itself.
std::string FolderOfPath(std::string_view path);

}  // namespace pellatone
