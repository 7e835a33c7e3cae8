#include "platform/win32/system_error.h"

#include <string_view>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide_text.h"

namespace pellatone::win32 {

namespace {

bool IsTrailingBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Puts `name` where the text has an insert: %1 to %99, each perhaps followed by a printf format
// between exclamation marks. FormatMessageW left them as they were, as asked.
std::string FillInserts(const std::string& text, std::string_view name) {
    std::string filled;
    std::size_t at = 0;
    while (at < text.size()) {
        if (text[at] == '%' && at + 1 < text.size() && IsDigit(text[at + 1]) &&
            text[at + 1] != '0') {
            std::size_t end = at + 2;
            if (end < text.size() && IsDigit(text[end])) ++end;
            if (end < text.size() && text[end] == '!') {
                const std::size_t closing = text.find('!', end + 1);
                if (closing != std::string::npos) end = closing + 1;
            }
            // Where the insert opens the text, the stand-in for a missing name opens a sentence.
            filled += !name.empty() ? name : (filled.empty() ? "The file" : "the file");
            at = end;
        } else {
            filled += text[at++];
        }
    }
    return filled;
}

}  // namespace

std::string SystemErrorDescription(DWORD errorCode, std::string_view concerning) {
    // FormatMessageW allocates the text and hands it over through its buffer argument.
    UniqueLocalText buffer;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, errorCode, 0, reinterpret_cast<wchar_t*>(buffer.Receive()), 0, nullptr);
    std::wstring_view text;
    if (length != 0 && buffer) text = std::wstring_view(buffer.Get(), length);
    while (!text.empty() && IsTrailingBlank(text.back())) text.remove_suffix(1);
    if (text.empty()) return "System error " + std::to_string(errorCode);
    return FillInserts(Utf8FromWide(text), concerning);
}

RunTimeError ErrorFromWin32(DWORD errorCode) { return ErrorFromWin32(errorCode, {}); }

RunTimeError ErrorFromWin32(DWORD errorCode, const std::string& concerning) {
    switch (errorCode) {
        case ERROR_FILE_NOT_FOUND:
            return FileNotFound();
        case ERROR_PATH_NOT_FOUND:
            return PathNotFound();
        case ERROR_ACCESS_DENIED:
            return PathFileAccessError();
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return DiskFull();
        case ERROR_READ_FAULT:
        case ERROR_WRITE_FAULT:
        case ERROR_IO_DEVICE:
            return DeviceIoError();
        default:
            return {error_number::kSystemError, SystemErrorDescription(errorCode, concerning)};
    }
}

RunTimeError WriteErrorFromWin32(DWORD errorCode, const std::string& path) {
    // Since Vista a runtime under C:\Program Files takes an elevated administrator. Only a
    // refusal is mended that way; a full disk is not.
    constexpr std::string_view kRemedy =
        "Run Pellatone once as administrator to install the serial extension.";
    return ErrorNaming(ErrorFromWin32(errorCode, path), path,
                       errorCode == ERROR_ACCESS_DENIED ? kRemedy : std::string_view{});
}

bool MeansNotFound(DWORD errorCode) {
    switch (errorCode) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_INVALID_DRIVE:
        case ERROR_BAD_NETPATH:
        case ERROR_BAD_NET_NAME:
            return true;
        default:
            return false;
    }
}

RunTimeError FolderErrorFromWin32(DWORD errorCode) {
    // A file where the folder should be is no folder either.
    if (MeansNotFound(errorCode) || errorCode == ERROR_DIRECTORY) return PathNotFound();
    return ErrorFromWin32(errorCode);
}

RunTimeError LastError() { return ErrorFromWin32(::GetLastError()); }

}  // namespace pellatone::win32
