#pragma once

#include <string>
#include <string_view>

#include "platform/platform_services.h"

namespace pellatone {

class GuiModule;

// The platform services on Linux and other POSIX systems. With the windows module (see
// DisplayGui), messages are boxes on the display; headless (null), each becomes one line on
// standard error.
class PosixPlatformServices final : public PlatformServices {
public:
    explicit PosixPlatformServices(GuiModule* gui) : gui_(gui) {}

    void ShowMessage(const std::string& text) override;
    [[noreturn]] void EndProgram(int exitStatus) override;
    [[nodiscard]] std::string ApplicationFolder() const override;
    [[nodiscard]] std::string GetWorkingFolder() const override;
    void SetWorkingFolder(const std::string& folder) override;
    void StartProcess(const std::string& commandLine) override;
    void StartProcessInFolder(const std::string& commandLine, const std::string& folder) override;
    void ReportUncaughtError(const RunTimeError& error) override;

private:
    GuiModule* gui_;
};

// What a headless message box writes to standard error: each line of the text (ended by CR LF,
// LF or CR) as a line of its own starting with "Pellatone: ".
std::string HeadlessMessageLine(std::string_view text);

// Writes the text to standard error as HeadlessMessageLine words it, after anything waiting on
// standard output.
void WriteHeadlessMessage(std::string_view text);

// Makes the standard streams safe to write to, whatever state the program was started with:
// closed ones lead to /dev/null, and a broken pipe is a failed write, not the end of the program.
void PrepareStandardStreams();

// The folder of the running program, as /proc/self/exe names it.
std::string RunningProgramFolder();

// The folder part of a program's path: no trailing "/" except for "/" itself.
std::string FolderOfPath(std::string_view path);

}  // namespace pellatone
