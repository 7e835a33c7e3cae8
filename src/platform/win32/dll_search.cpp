#include "platform/win32/dll_search.h"

#include <windows.h>

namespace pellatone::win32 {

bool RestrictDllSearchToSystem32() noexcept {
    // Looked up rather than imported, so a Windows 7 without the update still starts.
    using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
    HMODULE kernel32 = ::GetModuleHandleW(L"kernel32.dll");
    const FARPROC found =
        kernel32 == nullptr ? nullptr : ::GetProcAddress(kernel32, "SetDefaultDllDirectories");
    if (found != nullptr) {
        // Through the one function type the compiler lets any function pointer pass as.
        const auto setDefaultDllDirectories =
            reinterpret_cast<SetDefaultDllDirectoriesCall>(reinterpret_cast<void (*)()>(found));
        if (setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) != 0) return true;
    }
    return ::SetDllDirectoryW(L"") != 0;
}

}  // namespace pellatone::win32
