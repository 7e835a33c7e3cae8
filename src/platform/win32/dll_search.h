#pragma once

namespace pellatone::win32 {

// Narrows where this process looks for DLLs by name to System32, so that a DLL left beside the
// program (a Downloads or shared folder) or in the working folder is never loaded in place of
// Windows' own: SetDefaultDllDirectories where Windows has it (7 SP1 with KB2533623 and later),
// else SetDllDirectoryW(L""), which at least drops the working folder. False when neither took.
bool RestrictDllSearchToSystem32() noexcept;

}  // namespace pellatone::win32
