#include "platform/win32/win32_file_system.h"

#include <windows.h>
// The file-system interface has its own CopyFile; the W call is named in full where meant.
#undef CopyFile

#include <array>
#include <memory>
#include <string>
#include <utility>

#include "platform/platform.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_error.h"

namespace pellatone {

namespace win32 {

bool MeansNotFound(unsigned long errorCode) {
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

std::wstring_view FileNameOf(std::wstring_view path) {
    const std::size_t lastSeparator = path.find_last_of(L"\\/");
    return lastSeparator == std::wstring_view::npos ? path : path.substr(lastSeparator + 1);
}

}  // namespace win32

namespace {

using win32::WideFromUtf8;

// A temporary file that is deleted unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!path_.empty()) ::DeleteFileW(path_.c_str());
    }
    [[nodiscard]] const std::wstring& Path() const { return path_; }
    void Kept() { path_.clear(); }

private:
    std::wstring path_;
};

class Win32FileSystem final : public FileSystem {
public:
    [[nodiscard]] bool FileExists(const std::string& path) override {
        const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            const DWORD errorCode = ::GetLastError();
            if (win32::MeansNotFound(errorCode)) return false;
            throw win32::ErrorFromWin32(errorCode);
        }
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    void CopyFile(const std::string& sourcePath, const std::string& destinationFolder) override {
        const std::wstring source = WideFromUtf8(sourcePath);
        std::wstring folder = WideFromUtf8(destinationFolder);
        if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';

        RequireSourceFile(source);
        RequireFolder(folder);
        const std::wstring destination = folder + std::wstring(win32::FileNameOf(source));
        RefuseReadOnly(destination);

        // The copy is made under a unique name beside its destination and renamed into place
        // only when complete, so the destination is never seen half written.
        std::array<wchar_t, MAX_PATH> temporaryName{};
        if (::GetTempFileNameW(folder.c_str(), L"pel", 0, temporaryName.data()) == 0) {
            throw win32::LastError();
        }
        TemporaryFile temporary(temporaryName.data());
        if (::CopyFileW(source.c_str(), temporary.Path().c_str(), FALSE) == 0) {
            throw win32::LastError();
        }
        if (::MoveFileExW(temporary.Path().c_str(), destination.c_str(),
                          MOVEFILE_REPLACE_EXISTING) == 0) {
            throw win32::LastError();
        }
        temporary.Kept();
    }

private:
    // A folder where the file should be counts as a missing file.
    static void RequireSourceFile(const std::wstring& source) {
        const DWORD attributes = ::GetFileAttributesW(source.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) throw win32::LastError();
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) throw FileNotFound();
    }

    // Windows refuses to replace a read-only file; say so before copying, the same everywhere.
    static void RefuseReadOnly(const std::wstring& destination) {
        const DWORD attributes = ::GetFileAttributesW(destination.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            throw PathFileAccessError();
        }
    }

    static void RequireFolder(const std::wstring& folder) {
        const DWORD attributes = ::GetFileAttributesW(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            throw win32::FolderErrorFromWin32(::GetLastError());
        }
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) throw PathNotFound();
    }
};

}  // namespace

std::unique_ptr<FileSystem> CreateFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace pellatone
