#include "platform/win32/wide_text.h"

#include <windows.h>

#include <limits>

#include "platform/run_time_error.h"

namespace pellatone::win32 {

namespace {

int CheckedLength(std::size_t size) {
    if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        throw OutOfMemory();
    }
    return static_cast<int>(size);
}

}  // namespace

std::wstring WideFromUtf8(std::string_view text) {
    if (text.empty()) return {};
    const int length = CheckedLength(text.size());
    const int wideLength = ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), wideLength);
    return wide;
}

std::string Utf8FromWide(std::wstring_view text) {
    if (text.empty()) return {};
    const int length = CheckedLength(text.size());
    const int narrowLength =
        ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(narrowLength), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, narrow.data(), narrowLength, nullptr,
                          nullptr);
    return narrow;
}

}  // namespace pellatone::win32
