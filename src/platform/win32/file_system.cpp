#include <windows.h>
// The file-system interface has its own CopyFile; the W call is named in full where meant.
#undef CopyFile

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
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
// A name taken is tried again under another; this many taken in a row means the folder itself
// refuses new names.
constexpr unsigned kTemporaryNameAttempts = 100;
constexpr DWORD kMostWaitPerFileMs = 2000;
constexpr DWORD kLongestSingleWaitMs = 100;

// A virus scanner, an indexer or a sync client holds a new file for a moment: a step refused
// for that is tried again after a short wait, for up to about two seconds per file in all.
class Patience {
public:
    // Whether the step that failed with `errorCode` is worth another try; if so, waits first. An
    // access denied counts only on a file of our own, whose rights we know we have.
    bool WaitAfter(DWORD errorCode, bool ownFile) {
        const bool held = errorCode == ERROR_SHARING_VIOLATION ||
                          errorCode == ERROR_LOCK_VIOLATION ||
                          (ownFile && errorCode == ERROR_ACCESS_DENIED);
        if (!held || waited_ >= kMostWaitPerFileMs) return false;
        const DWORD wait = std::min(next_, kMostWaitPerFileMs - waited_);
        ::Sleep(wait);
        waited_ += wait;
        next_ = std::min(next_ * 2, kLongestSingleWaitMs);
        return true;
    }

    // Runs `step` (a Win32 call's success as a bool) until it succeeds or waiting is over; the
    // last error is the step's.
    template <typename Step>
    bool Retry(bool ownFile, Step step) {
        while (!step()) {
            const DWORD errorCode = ::GetLastError();
            if (!WaitAfter(errorCode, ownFile)) {
                ::SetLastError(errorCode);
                return false;
            }
        }
        return true;
    }

private:
    DWORD waited_ = 0;
    DWORD next_ = 10;
};

// The source, open for reading, with what it is.
struct OpenSource {
    UniqueKernelHandle file;
    BY_HANDLE_FILE_INFORMATION information{};
};

OpenSource OpenSourceFile(const std::wstring& path, Patience& patience) {
    OpenSource source;
    patience.Retry(false, [&] {
        source.file = OwnFile(::CreateFileW(
            path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        return static_cast<bool>(source.file);
    });
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

// A name no other program is likely to have taken: "~" and six letters or digits, 36^6 of
// them, so no folder runs out. It is as long as the extension's shortest name ("jdc.jar"):
// wherever Windows takes the destination's path, which must fit MAX_PATH, it takes the copy's.
std::wstring TemporaryName() {
    static std::uint64_t state = [] {
        LARGE_INTEGER counter{};
        ::QueryPerformanceCounter(&counter);
        return static_cast<std::uint64_t>(counter.QuadPart) ^
               (std::uint64_t{::GetCurrentProcessId()} << 32U);
    }();
    // splitmix64: consecutive states give unrelated names.
    state += 0x9E3779B97F4A7C15ULL;
    std::uint64_t bits = state;
    bits = (bits ^ (bits >> 30U)) * 0xBF58476D1CE4E5B9ULL;
    bits = (bits ^ (bits >> 27U)) * 0x94D049BB133111EBULL;
    bits ^= bits >> 31U;
    constexpr std::wstring_view kCharacters = L"0123456789abcdefghijklmnopqrstuvwxyz";
    std::wstring name = L"~";
    for (int index = 0; index < 6; ++index) {
        name += kCharacters[bits % kCharacters.size()];
        bits /= kCharacters.size();
    }
    return name;
}

// A copy being written beside its destination under a name of its own, created only where no
// file is (so no other copy meets it) and shared with no one. From the moment it exists it is
// marked for deletion, so the system removes it with our handle however the program ends, even
// killed; the mark is cleared only to rename the complete file into place.
class TemporaryFile {
public:
    TemporaryFile(const std::wstring& folder, const std::wstring& destination, Patience& patience) {
        DWORD errorCode = ERROR_SUCCESS;
        for (unsigned attempt = 1; attempt <= kTemporaryNameAttempts; ++attempt) {
            const std::wstring path = folder + TemporaryName();
            // A refusal here is a real lack of rights: nothing of ours is there yet.
            patience.Retry(false, [&] {
                file_ = OwnFile(::CreateFileW(path.c_str(), GENERIC_WRITE | DELETE, 0, nullptr,
                                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
                return static_cast<bool>(file_);
            });
            if (file_) {
                path_ = path;
                if (MarkForDeletion(true)) return;
                // No destructor runs for a constructor that throws.
                errorCode = ::GetLastError();
                file_.Reset();
                ::DeleteFileW(path.c_str());
                throw DestinationError(errorCode, destination);
            }
            errorCode = ::GetLastError();
            if (errorCode != ERROR_FILE_EXISTS && errorCode != ERROR_ALREADY_EXISTS) {
                throw FolderError(errorCode, folder, destination);
            }
        }
        // Not a word about the destination, which is not what is in the way.
        throw ErrorNaming(win32::ErrorFromWin32(errorCode), Utf8FromWide(folder));
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        file_.Reset();
        if (marked_ || path_.empty()) return;
        // Best effort: the error that brought us here is the one the user needs to see.
        ::DeleteFileW(path_.c_str());
    }

    [[nodiscard]] HANDLE Handle() const { return file_.Get(); }

    // Unmarked, the file is deleted by its name when it goes.
    bool MarkForDeletion(bool marked) {
        FILE_DISPOSITION_INFO disposition{};
        disposition.DeleteFile = marked ? TRUE : FALSE;
        if (::SetFileInformationByHandle(file_.Get(), FileDispositionInfo, &disposition,
                                         sizeof(disposition)) == 0) {
            return false;
        }
        marked_ = marked;
        return true;
    }

    // Gives the file, no longer marked, the destination's name, never in place of another file.
    // ERROR_SUCCESS, or why not; either way it stays open.
    DWORD RenameTo(const std::wstring& destination, Patience& patience) {
        // The system's path conversion takes a full path on every Windows from Vista on.
        const std::size_t nameBytes = destination.size() * sizeof(wchar_t);
        std::vector<unsigned char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = FALSE;
        rename->RootDirectory = nullptr;
        rename->FileNameLength = static_cast<DWORD>(nameBytes);
        std::copy(destination.begin(), destination.end(), rename->FileName);
        rename->FileName[destination.size()] = L'\0';
        if (!patience.Retry(true, [&] {
                return ::SetFileInformationByHandle(file_.Get(), FileRenameInfo, rename,
                                                    static_cast<DWORD>(buffer.size())) != 0;
            })) {
            return ::GetLastError();
        }
        path_.clear();
        return ERROR_SUCCESS;
    }

private:
    UniqueKernelHandle file_;
    std::wstring path_;  // while the file has a name of its own
    bool marked_ = false;
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

// The source's attributes (those in `taken`) and time of last change, as CopyFileW would have
// carried them over.
bool SetAttributesAndTime(HANDLE file, const BY_HANDLE_FILE_INFORMATION& source, DWORD taken) {
    FILE_BASIC_INFO basic{};
    basic.LastWriteTime.LowPart = source.ftLastWriteTime.dwLowDateTime;
    basic.LastWriteTime.HighPart = static_cast<LONG>(source.ftLastWriteTime.dwHighDateTime);
    // Zero would mean "leave them as they are".
    basic.FileAttributes = source.dwFileAttributes & taken;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return ::SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof(basic)) != 0;
}

// Reads up to `size` bytes, fewer only at the end of the file.
DWORD ReadSome(HANDLE file, unsigned char* buffer, DWORD size) {
    DWORD total = 0;
    while (total < size) {
        DWORD count = 0;
        if (::ReadFile(file, buffer + total, size - total, &count, nullptr) == 0) return MAXDWORD;
        if (count == 0) break;
        total += count;
    }
    return total;
}

// Whether the file at `path` holds what the source holds, byte for byte.
bool SameAsSource(const OpenSource& source, const std::wstring& sourceName,
                  const std::wstring& path, Patience& patience) {
    UniqueKernelHandle file;
    patience.Retry(false, [&] {
        file = OwnFile(::CreateFileW(path.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        return static_cast<bool>(file);
    });
    BY_HANDLE_FILE_INFORMATION information{};
    if (!file || ::GetFileInformationByHandle(file.Get(), &information) == 0) {
        throw DestinationError(::GetLastError(), path);
    }
    if (information.nFileSizeHigh != source.information.nFileSizeHigh ||
        information.nFileSizeLow != source.information.nFileSizeLow) {
        return false;
    }
    if (::SetFilePointerEx(source.file.Get(), LARGE_INTEGER{}, nullptr, FILE_BEGIN) == 0) {
        throw SourceError(::GetLastError(), sourceName);
    }
    constexpr DWORD kChunk = 64 * 1024;
    std::vector<unsigned char> ours(kChunk);
    std::vector<unsigned char> theirs(kChunk);
    while (true) {
        const DWORD count = ReadSome(source.file.Get(), ours.data(), kChunk);
        if (count == MAXDWORD) throw SourceError(::GetLastError(), sourceName);
        const DWORD other = ReadSome(file.Get(), theirs.data(), kChunk);
        if (other == MAXDWORD) throw DestinationError(::GetLastError(), path);
        if (count != other || std::memcmp(ours.data(), theirs.data(), count) != 0) {
            return false;
        }
        if (count < kChunk) return true;
    }
}

class Win32FileSystem final : public FileSystem {
public:
    [[nodiscard]] bool FileExists(const std::string& path) override {
        DWORD attributes = 0;
        const DWORD errorCode = AttributesBehindLinks(WideFromUtf8(path), attributes);
        if (errorCode == ERROR_SUCCESS) return (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
        if (win32::MeansNotFound(errorCode)) return false;
        throw ErrorNaming(win32::ErrorFromWin32(errorCode, path), path);
    }

    void CopyFile(const std::string& sourcePath, const std::string& destinationFolder) override {
        const std::wstring sourceName = WideFromUtf8(sourcePath);
        std::wstring folder = WideFromUtf8(destinationFolder);
        if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';

        Patience patience;
        const OpenSource source = OpenSourceFile(sourceName, patience);
        const std::wstring_view name = win32::FileNameOf(sourceName);
        const std::wstring destination = folder + std::wstring(name);
        RequireFolder(folder, destination);
        // The copy is asked for where no file was found: one there now was put there by another
        // program meanwhile, and it is never replaced.
        if (IsFile(destination)) {
            KeepIfSame(source, sourceName, destination, patience);
            return;
        }

        // The copy is written under a name of its own beside its destination, flushed to the
        // disk and only then renamed into place, so the destination is never seen half written,
        // not even after a power cut.
        TemporaryFile temporary(folder, destination, patience);
        CopyContents(source.file.Get(), sourceName, temporary.Handle(), destination);
        // A read-only file could not be deleted by its handle, should the rename fail: that
        // attribute comes once the file is in place.
        if (!SetAttributesAndTime(temporary.Handle(), source.information,
                                  kCopiedAttributes & ~DWORD{FILE_ATTRIBUTE_READONLY})) {
            throw DestinationError(::GetLastError(), destination);
        }
        if (::FlushFileBuffers(temporary.Handle()) == 0) {
            throw DestinationError(::GetLastError(), destination);
        }
        if (!temporary.MarkForDeletion(false)) {
            throw DestinationError(::GetLastError(), destination);
        }
        const DWORD errorCode = temporary.RenameTo(destination, patience);
        if (errorCode != ERROR_SUCCESS) {
            // Or else it goes by its name.
            temporary.MarkForDeletion(true);
            if (IsFile(destination)) {
                KeepIfSame(source, sourceName, destination, patience);
                return;
            }
            // A folder in the way refuses the rename too, but no rights would get it out of it.
            if (IsFolder(destination)) {
                throw ErrorNaming(PathFileAccessError(), Utf8FromWide(destination));
            }
            throw DestinationError(errorCode, destination);
        }
        if ((source.information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0 &&
            !patience.Retry(true, [&] {
                return SetAttributesAndTime(temporary.Handle(), source.information,
                                            kCopiedAttributes);
            })) {
            throw DestinationError(::GetLastError(), destination);
        }
    }

private:
    // A file as FileExists sees one: behind any link.
    static bool IsFile(const std::wstring& path) {
        DWORD attributes = 0;
        return AttributesBehindLinks(path, attributes) == ERROR_SUCCESS &&
               (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    }

    // A file another program put in place while ours was being copied counts as installed only
    // when it is the same file; any other is left as it is and reported.
    static void KeepIfSame(const OpenSource& source, const std::wstring& sourceName,
                           const std::wstring& destination, Patience& patience) {
        if (!SameAsSource(source, sourceName, destination, patience)) {
            throw ForeignFileInPlace(Utf8FromWide(destination));
        }
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
};

}  // namespace

std::unique_ptr<FileSystem> CreateFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace pellatone
