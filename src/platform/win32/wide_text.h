#pragma once

#include <string>
#include <string_view>

namespace pellatone::win32 {

// The program keeps its texts in UTF-8; Windows' W calls take UTF-16. Invalid sequences become
// U+FFFD rather than errors, so a damaged text still shows (and a damaged path is not found).
std::wstring WideFromUtf8(std::string_view text);
std::string Utf8FromWide(std::wstring_view text);

}  // namespace pellatone::win32
