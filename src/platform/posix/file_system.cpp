#include "platform/posix/file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <vector>

#include "platform/posix/unique_resource.h"
#include "platform/run_time_error.h"

namespace pellatone {

namespace {

// A file being written beside its final place; removed again unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& folder, const std::string& name) {
        std::string pattern = folder + "." + name + ".XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        fd_ = posix::UniqueFd(mkostemp(buffer.data(), O_CLOEXEC));
        if (!fd_) throw FolderError(errno);
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

    void Close() {
        if (const int error = fd_.Close(); error != 0) throw ErrorFromErrno(error);
    }
    void Keep() { path_.clear(); }

private:
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
            struct sigaction current {};
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

void WriteAll(int fd, const unsigned char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            throw ErrorFromErrno(errno);
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
}

void CopyContents(int from, int to, const HeldTerminationSignals& signals) {
    std::array<unsigned char, std::size_t{64} * 1024> buffer{};
    while (true) {
        if (signals.OneArrived()) throw ErrorFromErrno(EINTR);
        const ssize_t count = ::read(from, buffer.data(), buffer.size());
        if (count < 0) {
            if (errno == EINTR) continue;
            throw ErrorFromErrno(errno);
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
        return errnoValue == ENOENT || errnoValue == ENOTDIR || errnoValue == ENXIO;
    };
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (notFound(errno)) throw FileNotFound();
        throw ErrorFromErrno(errno);
    }
    if (!S_ISREG(info.st_mode)) throw FileNotFound();
    posix::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!file) {
        if (notFound(errno)) throw FileNotFound();
        throw ErrorFromErrno(errno);
    }
    // It may have been swapped for something else between the look and the open.
    if (::fstat(file.Get(), &info) != 0) throw ErrorFromErrno(errno);
    if (!S_ISREG(info.st_mode)) throw FileNotFound();
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
    if (errnoValue == ENOENT || errnoValue == ENOTDIR) return PathNotFound();
    return ErrorFromErrno(errnoValue);
}

bool PosixFileSystem::FileExists(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return false;
        throw ErrorFromErrno(errno);
    }
    return S_ISREG(info.st_mode);
}

void PosixFileSystem::CopyFile(const std::string& sourcePath,
                               const std::string& destinationFolder) {
    const posix::UniqueFd source = OpenRegularFile(sourcePath);
    struct stat sourceInfo {};
    if (::fstat(source.Get(), &sourceInfo) != 0) throw ErrorFromErrno(errno);
    const std::size_t slash = sourcePath.rfind('/');
    const std::string name = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
    if (name.empty()) throw FileNotFound();

    if (destinationFolder.empty()) throw PathNotFound();
    std::string folder = destinationFolder;
    if (folder.back() != '/') folder.push_back('/');

    // Declared before the temporary file, so that a held signal arrives only after it is gone.
    const HeldTerminationSignals signals;
    TemporaryFile temporary(folder, name);
    CopyContents(source.Get(), temporary.Fd(), signals);
    if (::fchmod(temporary.Fd(), CopyPermissions(sourceInfo.st_mode)) != 0) {
        throw ErrorFromErrno(errno);
    }
    if (::fsync(temporary.Fd()) != 0) throw ErrorFromErrno(errno);
    temporary.Close();
    if (::rename(temporary.Path().c_str(), (folder + name).c_str()) != 0) {
        throw ErrorFromErrno(errno);
    }
    temporary.Keep();
}

}  // namespace pellatone
