#pragma once

#include <string>
#include <string_view>

namespace pellatone::win32 {

// The folder part of a program's full path: everything before the last backslash, which stays
// only where it marks a drive's root ("C:\"), so no other folder ends with a separator. A path
// without any backslash has no folder part: the result is empty.
std::wstring FolderOfModulePath(std::wstring_view modulePath);

// The full path of the running program, as GetModuleFileNameW reports it, however long.
std::wstring RunningProgramPath();

}  // namespace pellatone::win32
