#include "platform/posix/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
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

// A file being written beside its final place; removed again unless it was renamed into place.
class TemporaryFile {
public:
    TemporaryFile(const std::string& folder, const std::string& name)
        : destination_(folder + name) {
        std::string pattern = folder + "." + name + ".XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        fd_ = posix::UniqueFd(mkostemp(buffer.data(), O_CLOEXEC));
        if (!fd_) {
            const int error = errno;
            // A folder that is not there is named; any other failure is the destination's.
            const RunTimeError folderError = FolderError(error);
            if (folderError.Number() == error_number::kPathNotFound) {
                throw ErrorNaming(folderError, folder);
            }
            throw DestinationError(error, destination_);
        }
        path_.assign(buffer.data());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        fd_.Close();
        // Best effort: the error that brought us here is the one the user needs to see.
        if (!path_.empty()) ::unlink(path_.c_str());
    }

    [[nodiscard]] int Fd() const { return fd_.Get(); }
    [[nodiscard]] const std::string& Path() const { return path_; }
    // The file the copy becomes, named in every error.
    [[nodiscard]] const std::string& Destination() const { return destination_; }

    void Close() {
        if (const int error = fd_.Close(); error != 0) throw DestinationError(error, destination_);
    }
    void Keep() { path_.clear(); }

private:
    std::string destination_;
    posix::UniqueFd fd_;
    std::string path_;
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
    CopyContents(source.Get(), sourcePath, temporary, signals);
    if (::fchmod(temporary.Fd(), CopyPermissions(sourceInfo.st_mode)) != 0) {
        throw DestinationError(errno, destination);
    }
    if (::fsync(temporary.Fd()) != 0) throw DestinationError(errno, destination);
    temporary.Close();
    if (::rename(temporary.Path().c_str(), destination.c_str()) != 0) {
        throw DestinationError(errno, destination);
    }
    temporary.Keep();
}

}  // namespace pellatone
