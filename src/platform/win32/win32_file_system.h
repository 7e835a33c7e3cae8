#pragma once

#include <string>
#include <string_view>

namespace pellatone::win32 {

// Whether a failed attribute query means "nothing is there" rather than "could not look".
bool MeansNotFound(unsigned long errorCode);

// The name part of a path: everything after the last backslash or slash.
std::wstring_view FileNameOf(std::wstring_view path);

}  // namespace pellatone::win32
