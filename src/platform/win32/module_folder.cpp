#include "platform/win32/module_folder.h"

#include <windows.h>

#include "platform/win32/system_error.h"

namespace pellatone::win32 {

namespace {

// "C:" or its long form "\\?\C:".
bool IsDrive(std::wstring_view folder) {
    constexpr std::wstring_view kLongPathPrefix = L"\\\\?\\";
    if (folder.starts_with(kLongPathPrefix)) folder.remove_prefix(kLongPathPrefix.size());
    return folder.size() == 2 && folder[1] == L':' &&
           ((folder[0] >= L'A' && folder[0] <= L'Z') || (folder[0] >= L'a' && folder[0] <= L'z'));
}

}  // namespace

std::wstring FolderOfModulePath(std::wstring_view modulePath) {
    const std::size_t lastSeparator = modulePath.rfind(L'\\');
    if (lastSeparator == std::wstring_view::npos) return {};
    const std::wstring_view folder = modulePath.substr(0, lastSeparator);
    if (IsDrive(folder)) {
        return std::wstring(modulePath.substr(0, lastSeparator + 1));
    }
    return std::wstring(folder);
}

std::wstring RunningProgramPath() {
    // GetModuleFileNameW truncates silently when the buffer is short, so grow until it fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const auto size = static_cast<DWORD>(path.size());
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), size);
        if (length == 0) throw LastError();
        if (length < size) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace pellatone::win32
