#include "platform/win32/file_name.h"

namespace pellatone::win32 {

std::wstring_view FileNameOf(std::wstring_view path) {
    const std::size_t lastSeparator = path.find_last_of(L"\\/");
    return lastSeparator == std::wstring_view::npos ? path : path.substr(lastSeparator + 1);
}

}  // namespace pellatone::win32
