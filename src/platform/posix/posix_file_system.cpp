#include "platform/posix/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <vector>

#include "platform/posix/unique_fd.h"
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
        fd_ = UniqueFd(mkostemp(buffer.data(), O_CLOEXEC));
        if (!fd_.Valid()) throw FolderError(errno);
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

    // The destination folder's failures: a folder that is not there is a missing path.
    static RunTimeError FolderError(int errnoValue) {
        if (errnoValue == ENOENT || errnoValue == ENOTDIR) return PathNotFound();
        return ErrorFromErrno(errnoValue);
    }

private:
    UniqueFd fd_;
    std::string path_;
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

void CopyContents(int from, int to) {
    std::array<unsigned char, std::size_t{64} * 1024> buffer{};
    while (true) {
        const ssize_t count = ::read(from, buffer.data(), buffer.size());
        if (count < 0) {
            if (errno == EINTR) continue;
            throw ErrorFromErrno(errno);
        }
        if (count == 0) return;
        WriteAll(to, buffer.data(), static_cast<std::size_t>(count));
    }
}

}  // namespace

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
    const UniqueFd source(::open(sourcePath.c_str(), O_RDONLY | O_CLOEXEC));
    if (!source.Valid()) {
        if (errno == ENOENT || errno == ENOTDIR) throw FileNotFound();
        throw ErrorFromErrno(errno);
    }
    struct stat sourceInfo {};
    if (::fstat(source.Get(), &sourceInfo) != 0) throw ErrorFromErrno(errno);
    const std::size_t slash = sourcePath.rfind('/');
    const std::string name = slash == std::string::npos ? sourcePath : sourcePath.substr(slash + 1);
    // Only a file can be copied; a folder named as the source is no file that exists.
    if (S_ISDIR(sourceInfo.st_mode) || name.empty()) throw FileNotFound();

    if (destinationFolder.empty()) throw PathNotFound();
    std::string folder = destinationFolder;
    if (folder.back() != '/') folder.push_back('/');

    TemporaryFile temporary(folder, name);
    CopyContents(source.Get(), temporary.Fd());
    if (::fchmod(temporary.Fd(), sourceInfo.st_mode & 07777) != 0) throw ErrorFromErrno(errno);
    if (::fsync(temporary.Fd()) != 0) throw ErrorFromErrno(errno);
    temporary.Close();
    if (::rename(temporary.Path().c_str(), (folder + name).c_str()) != 0) {
        throw ErrorFromErrno(errno);
    }
    temporary.Keep();
}

}  // namespace pellatone
