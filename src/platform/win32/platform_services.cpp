#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/command_line_arguments.h"
#include "platform/platform.h"
#include "platform/win32/dll_search.h"
#include "platform/win32/module_folder.h"
#include "platform/win32/system_error.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/working_folder_start.h"

namespace pellatone {

namespace {

using win32::UniqueKernelHandle;
using win32::Utf8FromWide;
using win32::WideFromUtf8;

const std::wstring& ApplicationTitle() {
    static const std::wstring title = WideFromUtf8(kApplicationTitle);
    return title;
}

// Whether a program's name says where it is (a folder or a drive), rather than leaving it to
// be looked up.
bool NamesAFolder(const std::string& program) {
    return program.find_first_of("\\/:") != std::string::npos;
}

class Win32PlatformServices final : public PlatformServices {
public:
    void ShowMessage(const std::string& text) override {
        if (::MessageBoxW(nullptr, WideFromUtf8(text).c_str(), ApplicationTitle().c_str(), MB_OK) ==
            0) {
            throw win32::LastError();
        }
    }

    [[noreturn]] void EndProgram(int exitStatus) override {
        ::ExitProcess(static_cast<UINT>(exitStatus));
    }

    [[nodiscard]] std::string ApplicationFolder() const override {
        return Utf8FromWide(win32::FolderOfModulePath(win32::RunningProgramPath()));
    }

    void StartProcessInFolder(const std::string& commandLine, const std::string& folder) override {
        // Not CreateProcessW's own folder argument: a bare program name is looked up in our
        // current folder, which must then be the started one.
        win32::StartThroughWorkingFolder(*this, commandLine, folder);
    }

    void ReportUncaughtError(const RunTimeError& error) override {
        const std::wstring report = WideFromUtf8(UncaughtErrorReport(error));
        if (::MessageBoxW(nullptr, report.c_str(), ApplicationTitle().c_str(), MB_OK) == 0) {
            // No box could be shown; leave the report where a debugger or tracer sees it.
            ::OutputDebugStringW((ApplicationTitle() + L": " + report + L"\n").c_str());
        }
    }

    // The steps of StartThroughWorkingFolder.
    [[nodiscard]] static std::string GetWorkingFolder() {
        // The size asked for includes the terminating null; a folder changed in between makes
        // the second call ask for more again.
        std::wstring folder;
        for (;;) {
            const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
            if (needed == 0) throw win32::FolderErrorFromWin32(::GetLastError());
            folder.resize(needed);
            const DWORD length = ::GetCurrentDirectoryW(needed, folder.data());
            if (length == 0) throw win32::FolderErrorFromWin32(::GetLastError());
            if (length < needed) {
                folder.resize(length);
                return Utf8FromWide(folder);
            }
        }
    }

    static void SetWorkingFolder(const std::string& folder) {
        if (::SetCurrentDirectoryW(WideFromUtf8(folder).c_str()) == 0) {
            throw win32::FolderErrorFromWin32(::GetLastError());
        }
    }

    static void StartProcess(const std::string& commandLine) {
        // Windows would read the text only up to a NUL: what follows could never reach java.
        if (commandLine.find('\0') != std::string::npos) throw InvalidProcedureCall();
        // Left to find the program itself, Windows reads its name by rules of its own that end at
        // the first quote, and tries what it read with ".exe" added. So the program is read as
        // java reads its argv[0] and, when it names a folder, handed over as the one file to
        // run; only a bare name is looked up.
        const std::vector<std::string> arguments = SplitCommandLine(commandLine);
        const std::string program = arguments.empty() ? std::string() : arguments.front();
        const std::wstring applicationName =
            NamesAFolder(program) ? WideFromUtf8(program) : std::wstring();
        // CreateProcessW may write into the command line, so it gets a copy of its own.
        std::wstring writable = WideFromUtf8(commandLine);
        writable.push_back(L'\0');
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        PROCESS_INFORMATION started{};
        if (::CreateProcessW(applicationName.empty() ? nullptr : applicationName.c_str(),
                             writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &started) == 0) {
            throw win32::ErrorFromWin32(::GetLastError(), program);
        }
        // The process runs on by itself: nothing waits for it or keeps its handles.
        const UniqueKernelHandle process(started.hProcess);
        const UniqueKernelHandle thread(started.hThread);
    }
};

// The DLL search is narrowed before any code of the program runs that could make Windows load a
// DLL by name: the load-time imports are all KnownDLLs, which come from System32 alone, but the C
// runtime's start-up already does (the stack protector seeds its guard through CryptoAPI). So
// this runs first of all the program's constructors, ahead of main and so of the portable entry;
// it lives in this file because every program that asks for the services links it. A process
// whose search cannot be narrowed ends there, before it could load a planted DLL.
[[gnu::constructor(101)]] void NarrowDllSearchBeforeAnythingElse() {
    if (!win32::RestrictDllSearchToSystem32()) ::ExitProcess(exit_status::kUncaughtError);
}

}  // namespace

// What the process needs readied, its DLL search, was done before any code of the program ran.
void PrepareProcess() {}

std::unique_ptr<PlatformServices> CreatePlatformServices() {
    return std::make_unique<Win32PlatformServices>();
}

PathConvention HostPathConvention() { return PathConvention::kWindows; }

}  // namespace pellatone
