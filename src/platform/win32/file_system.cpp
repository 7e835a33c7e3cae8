#include <windows.h>
// The file-system interface has its own CopyFile; the W call is named in full where meant.
#undef CopyFile

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/win32/file_name.h"
#include "platform/win32/system_error.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide_text.h"

namespace pellatone {

namespace {

using win32::UniqueKernelHandle;
using win32::Utf8FromWide;
using win32::WideFromUtf8;

// The error for a failed step of reading the source.
RunTimeError SourceError(DWORD errorCode, const std::wstring& source) {
    const std::string path = Utf8FromWide(source);
    return ErrorNaming(win32::ErrorFromWin32(errorCode, path), path);
}

RunTimeError DestinationError(DWORD errorCode, const std::wstring& destination) {
    return win32::WriteErrorFromWin32(errorCode, Utf8FromWide(destination));
}

// The error for a folder the copy could not be written into: a missing one is named; any other
// failure is the destination's.
RunTimeError FolderError(DWORD errorCode, const std::wstring& folder,
                         const std::wstring& destination) {
    const RunTimeError folderError = win32::FolderErrorFromWin32(errorCode);
    if (folderError.Number() == error_number::kPathNotFound) {
        return ErrorNaming(folderError, Utf8FromWide(folder));
    }
    return DestinationError(errorCode, destination);
}

// CreateFileW fails with INVALID_HANDLE_VALUE, which the owner must not take for a handle.
UniqueKernelHandle OwnFile(HANDLE handle) {
    return UniqueKernelHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle);
}

// The attributes of whatever a program opening the path reaches: symbolic links are followed, so
// a dangling one is as absent as on POSIX systems. ERROR_SUCCESS, or why nothing was reached.
DWORD AttributesBehindLinks(const std::wstring& path, DWORD& attributes) {
    // No access asked for, so the file's sharing mode cannot stand in the way; the flag lets
    // folders be opened too.
    const UniqueKernelHandle file = OwnFile(
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file || ::GetFileInformationByHandle(file.Get(), &information) == 0) {
        return ::GetLastError();
    }
    attributes = information.dwFileAttributes;
    return ERROR_SUCCESS;
}

// The attributes a copy takes over from its source, as CopyFileW does.
constexpr DWORD kCopiedAttributes = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
// Names taken by files left from earlier runs, or by other starts copying at the same time, are
// skipped; past this many, something else is wrong.
constexpr unsigned kTemporaryNameAttempts = 100;

// The source, open for reading, with what it is.
struct OpenSource {
    UniqueKernelHandle file;
    BY_HANDLE_FILE_INFORMATION information{};
};

OpenSource OpenSourceFile(const std::wstring& path) {
    OpenSource source;
    source.file = OwnFile(::CreateFileW(
        path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.file) {
        const DWORD errorCode = ::GetLastError();
        // Its folder missing too, the source is still a file that is not there.
        if (win32::MeansNotFound(errorCode)) throw ErrorNaming(FileNotFound(), Utf8FromWide(path));
        throw SourceError(errorCode, path);
    }
    if (::GetFileInformationByHandle(source.file.Get(), &source.information) == 0) {
        throw SourceError(::GetLastError(), path);
    }
    // Only a file can be copied; a folder named as the source is no file that exists.
    if ((source.information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        throw ErrorNaming(FileNotFound(), Utf8FromWide(path));
    }
    return source;
}

// A copy being written beside its destination under a name of its own, created only where no
// file is (so no other copy meets it), removed again unless renamed into place. The names, "~0.tmp"
// to "~99.tmp", are no longer than the extension's shortest ("jdc.jar"): wherever Windows takes
// the destination's path, which must fit MAX_PATH, it takes the copy's too.
class TemporaryFile {
public:
    TemporaryFile(const std::wstring& folder, const std::wstring& destination) {
        for (unsigned attempt = 1;; ++attempt) {
            std::wstring path = folder + L"~" + std::to_wstring(attempt - 1) + L".tmp";
            file_ = OwnFile(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
            if (file_) {
                path_ = std::move(path);
                return;
            }
            const DWORD errorCode = ::GetLastError();
            const bool taken = errorCode == ERROR_FILE_EXISTS || errorCode == ERROR_ALREADY_EXISTS;
            if (!taken || attempt == kTemporaryNameAttempts) {
                throw FolderError(errorCode, folder, destination);
            }
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        file_.Reset();
        if (path_.empty()) return;
        // Best effort: the error that brought us here is the one the user needs to see. A
        // read-only attribute taken over from the source would make DeleteFileW refuse.
        ::SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
        ::DeleteFileW(path_.c_str());
    }

    [[nodiscard]] HANDLE Handle() const { return file_.Get(); }
    [[nodiscard]] const std::wstring& Path() const { return path_; }
    void Close() { file_.Reset(); }
    void Keep() { path_.clear(); }

private:
    UniqueKernelHandle file_;
    std::wstring path_;
};

void CopyContents(HANDLE from, const std::wstring& source, HANDLE to,
                  const std::wstring& destination) {
    std::vector<unsigned char> buffer(std::size_t{64} * 1024);
    while (true) {
        DWORD count = 0;
        if (::ReadFile(from, buffer.data(), static_cast<DWORD>(buffer.size()), &count, nullptr) ==
            0) {
            throw SourceError(::GetLastError(), source);
        }
        if (count == 0) return;
        DWORD written = 0;
        if (::WriteFile(to, buffer.data(), count, &written, nullptr) == 0) {
            throw DestinationError(::GetLastError(), destination);
        }
        if (written != count) throw DestinationError(ERROR_WRITE_FAULT, destination);
    }
}

// The source's attributes and time of last change, as CopyFileW would have carried them over.
void TakeOverAttributes(HANDLE file, const BY_HANDLE_FILE_INFORMATION& source,
                        const std::wstring& destination) {
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime.LowPart = source.ftLastWriteTime.dwLowDateTime;
    basic.LastWriteTime.HighPart = static_cast<LONG>(source.ftLastWriteTime.dwHighDateTime);
    // Zero would mean "leave them as they are".
    basic.FileAttributes = source.dwFileAttributes & kCopiedAttributes;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic)) == 0) {
        throw DestinationError(::GetLastError(), destination);
    }
}

class Win32FileSystem final : public FileSystem {
public:
    [[nodiscard]] bool FileExists(const std::string& path) override {
        DWORD attributes = 0;
        const DWORD errorCode = AttributesBehindLinks(WideFromUtf8(path), attributes);
        if (errorCode == ERROR_SUCCESS) return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
        if (win32::MeansNotFound(errorCode)) {
            seenAbsent_.insert(WideFromUtf8(path));
            return false;
        }
        throw ErrorNaming(win32::ErrorFromWin32(errorCode, path), path);
    }

    void CopyFile(const std::string& sourcePath, const std::string& destinationFolder) override {
        const std::wstring sourceName = WideFromUtf8(sourcePath);
        std::wstring folder = WideFromUtf8(destinationFolder);
        if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';

        const OpenSource source = OpenSourceFile(sourceName);
        const std::wstring_view name = win32::FileNameOf(sourceName);
        const std::wstring destination = folder + std::wstring(name);
        RequireFolder(folder, destination);
        // Found absent by us a moment ago, or absent now: should the file then turn up before
        // ours is in place, another start copying at the same time has installed it.
        const bool absentBefore =
            seenAbsent_.count(destination) != 0 ||
            ::GetFileAttributesW(destination.c_str()) == INVALID_FILE_ATTRIBUTES;
        if (absentBefore && IsFile(destination)) return;
        RefuseReadOnly(destination);

        // The copy is written under a name of its own beside its destination, flushed to the
        // disk and only then renamed into place, so the destination is never seen half written,
        // not even after a power cut.
        TemporaryFile temporary(folder, destination);
        CopyContents(source.file.Get(), sourceName, temporary.Handle(), destination);
        TakeOverAttributes(temporary.Handle(), source.information, destination);
        if (::FlushFileBuffers(temporary.Handle()) == 0) {
            throw DestinationError(::GetLastError(), destination);
        }
        temporary.Close();
        if (::MoveFileExW(temporary.Path().c_str(), destination.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
            const DWORD errorCode = ::GetLastError();
            // Another start put its copy in place first, and Windows will not replace a read-only
            // file: the file is installed, and ours goes.
            if (absentBefore && IsFile(destination)) return;
            // A folder in the way refuses the rename too, but no rights would get it out of it.
            if (IsFolder(destination)) {
                throw ErrorNaming(PathFileAccessError(), Utf8FromWide(destination));
            }
            throw DestinationError(errorCode, destination);
        }
        temporary.Keep();
    }

private:
    // Windows refuses to replace a read-only file; say so before copying, the same everywhere.
    static void RefuseReadOnly(const std::wstring& destination) {
        const DWORD attributes = ::GetFileAttributesW(destination.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            throw ErrorNaming(PathFileAccessError(), Utf8FromWide(destination));
        }
    }

    // A file as FileExists sees one: behind any link.
    static bool IsFile(const std::wstring& path) {
        DWORD attributes = 0;
        return AttributesBehindLinks(path, attributes) == ERROR_SUCCESS &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    static bool IsFolder(const std::wstring& path) {
        const DWORD attributes = ::GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }

    static void RequireFolder(const std::wstring& folder, const std::wstring& destination) {
        DWORD attributes = 0;
        const DWORD errorCode = AttributesBehindLinks(folder, attributes);
        if (errorCode != ERROR_SUCCESS) throw FolderError(errorCode, folder, destination);
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            throw ErrorNaming(PathNotFound(), Utf8FromWide(folder));
        }
    }

    // The paths FileExists found nothing at, so that a copy there can tell a file that turned up
    // since from one that was there all along.
    std::set<std::wstring> seenAbsent_;
};

}  // namespace

std::unique_ptr<FileSystem> CreateFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace pellatone
