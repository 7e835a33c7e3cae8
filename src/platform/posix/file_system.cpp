#include "platform/posix/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "platform/posix/unique_resource.h"
#include "platform/run_time_error.h"

namespace pellatone {

namespace {

// What a user who may not write into the runtime (one under /usr/lib/jvm is root's) can do.
constexpr std::string_view kRefusedWriteRemedy =
    "Run Pellatone once as root to install the serial extension.";

// Whether a call on a path failed because nothing is there: no such entry, or a file where a
// folder on the way should be.
bool MeansNotFound(int errnoValue) { return errnoValue == ENOENT || errnoValue == ENOTDIR; }

// The error for a failed step of reading the source.
RunTimeError SourceError(int errnoValue, const std::string& source) {
    return ErrorNaming(ErrorFromErrno(errnoValue), source);
}

// The error for a failed step of writing the copy, naming the file it was to become. Only a
// refusal can be mended by running with more rights; a read-only or full disk cannot.
RunTimeError DestinationError(int errnoValue, const std::string& destination) {
    const bool refused = errnoValue == EACCES || errnoValue == EPERM;
    return ErrorNaming(ErrorFromErrno(errnoValue), destination,
                       refused ? kRefusedWriteRemedy : std::string_view{});
}

// What became of a complete copy.
enum class Placing : std::uint8_t {
    kPlaced,
    kNameTaken,  // another file got there first; ours is dropped
    kCopyAgain,  // it could not be named, and is now an empty named file to fill again
};

// A copy being written in its destination folder. Where the file system allows, the file has no
// name until it is complete, so not even a kill can leave it behind; elsewhere it is a hidden
// file beside its final place, removed again unless it was put in place.
class TemporaryFile {
public:
    TemporaryFile(const std::string& folder, const std::string& name)
        : folder_(folder), name_(name), destination_(folder + name) {
        fd_ = posix::UniqueFd(
            ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, S_IRUSR | S_IWUSR));
        if (fd_) return;
        // Kernels and file systems without unnamed files refuse them in one of these ways.
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) ThrowCreationError(errno);
        CreateNamed();
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        fd_.Close();
        // Best effort: the error that brought us here is the one the user needs to see.
        if (!path_.empty()) ::unlink(path_.c_str());
    }

    [[nodiscard]] int Fd() const { return fd_.Get(); }
    // The file the copy becomes, named in every error.
    [[nodiscard]] const std::string& Destination() const { return destination_; }

    // Gives the complete file its final name, never in place of another file; a link that leads
    // nowhere counts as no file and makes way, as it always did.
    Placing PutInPlace() {
        Placing placing = Place();
        struct stat info = {};
        if (placing == Placing::kNameTaken && ::stat(destination_.c_str(), &info) != 0 &&
            errno == ENOENT && ::lstat(destination_.c_str(), &info) == 0 && S_ISLNK(info.st_mode) &&
            ::unlink(destination_.c_str()) == 0) {
            placing = Place();
        }
        if (placing == Placing::kPlaced) {
            if (const int error = fd_.Close(); error != 0) {
                throw DestinationError(error, destination_);
            }
        }
        return placing;
    }

private:
    [[noreturn]] void ThrowCreationError(int error) const {
        // A folder that is not there is named; any other failure is the destination's.
        const RunTimeError folderError = FolderError(error);
        if (folderError.Number() == error_number::kPathNotFound) {
            throw ErrorNaming(folderError, folder_);
        }
        throw DestinationError(error, destination_);
    }

    void CreateNamed() {
        fd_.Close();
        std::string pattern = folder_ + "." + name_ + ".XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        fd_ = posix::UniqueFd(mkostemp(buffer.data(), O_CLOEXEC));
        if (!fd_) ThrowCreationError(errno);
        path_.assign(buffer.data());
    }

    Placing Place() { return path_.empty() ? LinkUnnamed() : RenameNamed(); }

    Placing LinkUnnamed() {
        // Linking the file itself takes a capability root has; anyone may link it through /proc.
        if (::linkat(fd_.Get(), "", AT_FDCWD, destination_.c_str(), AT_EMPTY_PATH) == 0) {
            return Placing::kPlaced;
        }
        if (errno == ENOENT || errno == EPERM) {
            const std::string self = "/proc/self/fd/" + std::to_string(fd_.Get());
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, destination_.c_str(),
                         AT_SYMLINK_FOLLOW) == 0) {
                return Placing::kPlaced;
            }
            if (errno == ENOENT) {
                // No /proc, or the folder went: a named file either works or says which.
                CreateNamed();
                return Placing::kCopyAgain;
            }
        }
        if (errno == EEXIST) return Placing::kNameTaken;
        throw DestinationError(errno, destination_);
    }

    Placing RenameNamed() {
        if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, destination_.c_str(),
                        RENAME_NOREPLACE) == 0) {
            path_.clear();
            return Placing::kPlaced;
        }
        // Where renaming cannot refuse to replace, a link can; then the old name goes.
        if ((errno == EINVAL || errno == ENOSYS) &&
            ::link(path_.c_str(), destination_.c_str()) == 0) {
            ::unlink(path_.c_str());
            path_.clear();
            return Placing::kPlaced;
        }
        if (errno == EEXIST) return Placing::kNameTaken;
        throw DestinationError(errno, destination_);
    }

    std::string folder_;
    std::string name_;
    std::string destination_;
    posix::UniqueFd fd_;
    std::string path_;  // a named file's, until it is put in place
};

// Holds off the signals that end a program from the keyboard or the session while a temporary
// file exists, so that none can end us with it left in the runtime (whose extension loader reads
// every file in lib/ext). One that arrives meanwhile stops the copy and is delivered once the
// temporary file is gone. Signals the program ignores stay ignored and never stop a copy.
class HeldTerminationSignals {
public:
    HeldTerminationSignals() {
        sigemptyset(&held_);
        for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
            struct sigaction current = {};
            if (::sigaction(number, nullptr, &current) == 0 && current.sa_handler != SIG_IGN) {
                sigaddset(&held_, number);
            }
        }
        ::sigprocmask(SIG_BLOCK, &held_, &previous_);
    }
    HeldTerminationSignals(const HeldTerminationSignals&) = delete;
    HeldTerminationSignals& operator=(const HeldTerminationSignals&) = delete;
    ~HeldTerminationSignals() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }

    [[nodiscard]] bool OneArrived() const {
        sigset_t pending;
        sigemptyset(&pending);
        if (::sigpending(&pending) != 0) return false;
        for (const int number : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
            if (sigismember(&held_, number) == 1 && sigismember(&pending, number) == 1) {
                return true;
            }
        }
        return false;
    }

private:
    sigset_t held_{};
    sigset_t previous_{};
};

void WriteAll(const TemporaryFile& to, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(to.Fd(), data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw DestinationError(errno, to.Destination());
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void CopyContents(int from, const std::string& source, const TemporaryFile& to,
                  const HeldTerminationSignals& signals) {
    std::array<unsigned char, std::size_t{64} * 1024> buffer{};
    while (true) {
        if (signals.OneArrived()) throw DestinationError(EINTR, to.Destination());
        const ssize_t count = ::read(from, buffer.data(), buffer.size());
        if (count < 0) {
            if (errno == EINTR) continue;
            throw SourceError(errno, source);
        }
        if (count == 0) return;
        WriteAll(to, buffer.data(), static_cast<std::size_t>(count));
    }
}

// Reads up to `size` bytes at `offset`, fewer only at the end of the file; -1 with errno set when
// reading fails.
ssize_t ReadAt(int fd, unsigned char* data, std::size_t size, off_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t count =
            ::pread(fd, data + done, size - done, offset + static_cast<off_t>(done));
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) return -1;
        if (count == 0) break;
        done += static_cast<std::size_t>(count);
    }
    return static_cast<ssize_t>(done);
}

// Whether the file at the destination, put there by another program while ours was being
// written, holds exactly what the source holds. A folder there is refused as the copy always
// was; anything else that is not a regular file is not ours.
bool SameContents(int source, const std::string& sourcePath, const std::string& destination) {
    const posix::UniqueFd other(
        ::open(destination.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!other) {
        if (MeansNotFound(errno)) return false;
        throw DestinationError(errno, destination);
    }
    struct stat sourceInfo = {};
    struct stat otherInfo = {};
    if (::fstat(source, &sourceInfo) != 0) throw SourceError(errno, sourcePath);
    if (::fstat(other.Get(), &otherInfo) != 0) throw DestinationError(errno, destination);
    if (S_ISDIR(otherInfo.st_mode)) throw DestinationError(EISDIR, destination);
    if (!S_ISREG(otherInfo.st_mode) || otherInfo.st_size != sourceInfo.st_size) return false;
    std::vector<unsigned char> ours(std::size_t{64} * 1024);
    std::vector<unsigned char> theirs(ours.size());
    for (off_t offset = 0;;) {
        const ssize_t count = ReadAt(source, ours.data(), ours.size(), offset);
        if (count < 0) throw SourceError(errno, sourcePath);
        const ssize_t otherCount = ReadAt(other.Get(), theirs.data(), theirs.size(), offset);
        if (otherCount < 0) throw DestinationError(errno, destination);
        if (count != otherCount ||
            !std::equal(ours.begin(), ours.begin() + count, theirs.begin())) {
            return false;
        }
        if (count == 0) return true;
        offset += count;
    }
}

// Opens the source for reading, which must be a regular file: a named pipe, a device or a socket
// is no file to copy (reading it could block for ever or never end) and counts as missing.
// Nothing but a regular file is even opened, and the open cannot block or take a terminal.
posix::UniqueFd OpenRegularFile(const std::string& path) {
    const auto notFound = [](int errnoValue) {
        return MeansNotFound(errnoValue) || errnoValue == ENXIO;
    };
    const auto failure = [&](int errnoValue) {
        return notFound(errnoValue) ? ErrorNaming(FileNotFound(), path)
                                    : SourceError(errnoValue, path);
    };
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0) throw failure(errno);
    if (!S_ISREG(info.st_mode)) throw ErrorNaming(FileNotFound(), path);
    posix::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file) throw failure(errno);
    // It may have been swapped for something else between the look and the open.
    if (::fstat(file.Get(), &info) != 0) throw SourceError(errno, path);
    if (!S_ISREG(info.st_mode)) throw ErrorNaming(FileNotFound(), path);
    return file;
}

// The permission bits a new copy gets, as cp gives them: the source's read, write and execute
// bits under our umask, never its set-user-ID, set-group-ID or sticky bit.
mode_t CopyPermissions(mode_t sourceMode) {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return sourceMode & static_cast<mode_t>(0777) & ~mask;
}

}  // namespace

RunTimeError FolderError(int errnoValue) {
    if (MeansNotFound(errnoValue)) return PathNotFound();
    return ErrorFromErrno(errnoValue);
}

bool PosixFileSystem::FileExists(const std::string& path) {
    struct stat info = {};
    if (::stat(path.c_str(), &info) != 0) {
        if (MeansNotFound(errno)) return false;
        throw ErrorNaming(ErrorFromErrno(errno), path);
    }
    return S_ISREG(info.st_mode);
}

void PosixFileSystem::CopyFile(const std::string& sourcePath,
                               const std::string& destinationFolder) {
    const posix::UniqueFd source = OpenRegularFile(sourcePath);
    struct stat sourceInfo = {};
    if (::fstat(source.Get(), &sourceInfo) != 0) throw SourceError(errno, sourcePath);
    const std::size_t slash = sourcePath.rfind('/');
    const std::string name = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
    if (name.empty()) throw ErrorNaming(FileNotFound(), sourcePath);

    if (destinationFolder.empty()) throw PathNotFound();
    std::string folder = destinationFolder;
    if (folder.back() != '/') folder.push_back('/');

    // Declared before the temporary file, so that a held signal arrives only after it is gone.
    const HeldTerminationSignals signals;
    TemporaryFile temporary(folder, name);
    const std::string& destination = temporary.Destination();
    Placing placing = Placing::kCopyAgain;
    // Once more at most: an unnamed file that could not be named is filled again under a name.
    for (int round = 0; round < 2 && placing == Placing::kCopyAgain; ++round) {
        if (round > 0 && ::lseek(source.Get(), 0, SEEK_SET) != 0) {
            throw SourceError(errno, sourcePath);
        }
        CopyContents(source.Get(), sourcePath, temporary, signals);
        if (::fchmod(temporary.Fd(), CopyPermissions(sourceInfo.st_mode)) != 0) {
            throw DestinationError(errno, destination);
        }
        if (::fsync(temporary.Fd()) != 0) throw DestinationError(errno, destination);
        placing = temporary.PutInPlace();
    }
    // Another start may have put the same file there meanwhile; anything else is left as it is.
    if (placing == Placing::kNameTaken && !SameContents(source.Get(), sourcePath, destination)) {
        throw ForeignFileInPlace(destination);
    }
}

}  // namespace pellatone
