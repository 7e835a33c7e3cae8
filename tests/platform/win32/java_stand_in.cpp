// Stands in for java.exe in the end-to-end tests: records the command line it was given, its
// working folder and how it was asked to show its window, in UTF-8, one per line, in
// java-invocation.txt beside itself. The last line reads "STARTF_USESHOWWINDOW=<0|1>
// wShowWindow=<n>", so a start that is not hidden shows in the record. Each start also adds a
// line to java-starts.txt there, so that starts at the same time can be counted.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide_text.h"

namespace {

std::wstring OwnFolder() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path.substr(0, path.rfind(L'\\'));
}

std::wstring CurrentFolder() {
    std::wstring folder(32768, L'\0');
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    folder.resize(length);
    return folder;
}

std::string ShowRequest() {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    const bool flagged = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0;
    return "STARTF_USESHOWWINDOW=" + std::string(flagged ? "1" : "0") +
           " wShowWindow=" + std::to_string(startup.wShowWindow);
}

}  // namespace

int main() {
    const std::string record = pellatone::win32::Utf8FromWide(GetCommandLineW()) + "\n" +
                               pellatone::win32::Utf8FromWide(CurrentFolder()) + "\n" +
                               ShowRequest() + "\n";
    const std::wstring folder = OwnFolder();
    // Counted first, by an append Windows makes whole even when other starts append at once.
    const HANDLE opened = CreateFileW((folder + L"\\java-starts.txt").c_str(), FILE_APPEND_DATA,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) return 5;
    const pellatone::win32::UniqueKernelHandle starts(opened);
    DWORD counted = 0;
    if (WriteFile(starts.Get(), "started\n", 8, &counted, nullptr) == 0 || counted != 8) return 5;
    // Written under a name of this start's own and renamed, so the test never reads half a record.
    const std::wstring partial =
        folder + L"\\java-invocation." + std::to_wstring(GetCurrentProcessId()) + L".partial";
    const std::wstring complete = folder + L"\\java-invocation.txt";
    std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(partial.c_str(), L"wb"), &std::fclose);
    if (!file) return 2;
    const bool written = std::fwrite(record.data(), 1, record.size(), file.get()) == record.size();
    if (std::fclose(file.release()) != 0 || !written) return 3;
    if (MoveFileExW(partial.c_str(), complete.c_str(), MOVEFILE_REPLACE_EXISTING) == 0) return 4;
    return 0;
}
