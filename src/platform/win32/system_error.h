#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/run_time_error.h"

namespace pellatone::win32 {

// Maps a Win32 error code onto the run-time error the user sees: the classic numbers and texts
// where one fits (file not found 53, path not found 76, access denied 75, ...), else
// error_number::kSystemError with the system's description.
RunTimeError ErrorFromWin32(DWORD errorCode);

// The same for a failed operation on `concerning` (a file or a program): a system description
// that leaves a place for a name ("%1 is not a valid Win32 application.") gets this one.
RunTimeError ErrorFromWin32(DWORD errorCode, const std::string& concerning);

// The same for an operation on a folder: a missing or invalid folder is "Path not found".
RunTimeError FolderErrorFromWin32(DWORD errorCode);

// The error for a failed step of writing the file at `path`, naming it; when the write was
// refused, a line of its own says how to get the right to it.
RunTimeError WriteErrorFromWin32(DWORD errorCode, const std::string& path);

// Whether an error code means "nothing is there" (a missing file, folder, drive or share, or a
// name that cannot exist) rather than "could not look".
bool MeansNotFound(DWORD errorCode);

// ErrorFromWin32 of GetLastError(); call it straight after the failing call.
RunTimeError LastError();

// The system's description of an error code, without the line break and blanks it ends with;
// "System error N" when the system has none. Its inserts ("%1") hold `concerning`, or "the file"
// when no name is given, so that no placeholder reaches the user.
std::string SystemErrorDescription(DWORD errorCode, std::string_view concerning = {});

}  // namespace pellatone::win32
