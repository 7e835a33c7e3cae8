#pragma once

#include <string_view>

namespace pellatone::win32 {

// The name part of a path: everything after the last backslash or slash.
std::wstring_view FileNameOf(std::wstring_view path);

}  // namespace pellatone::win32
