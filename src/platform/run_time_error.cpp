#include "platform/run_time_error.h"

#include <cerrno>
#include <cstring>

namespace pellatone {

RunTimeError TypeMismatch() { return {error_number::kTypeMismatch, "Type mismatch"}; }
RunTimeError FileNotFound() { return {error_number::kFileNotFound, "File not found"}; }
RunTimeError PathFileAccessError() {
    return {error_number::kPathFileAccessError, "Path/File access error"};
}
RunTimeError PathNotFound() { return {error_number::kPathNotFound, "Path not found"}; }

RunTimeError Concerning(const RunTimeError& error, const std::string& path,
                        std::string_view remedy) {
    std::string description = error.Description();
    if (!path.empty()) description += ": " + path;
    // CR LF, as every multi-line text of the program.
    if (!remedy.empty()) description.append("\r\n").append(remedy);
    return {error.Number(), description};
}

RunTimeError ErrorFromErrno(int errnoValue) {
    switch (errnoValue) {
        case ENOENT:
            return FileNotFound();
        case ENOTDIR:
            return PathNotFound();
        case EACCES:
        case EPERM:
        case EISDIR:
        case EROFS:
            return PathFileAccessError();
        case ENOSPC:
            return {error_number::kDiskFull, "Disk full"};
        case EIO:
            return {error_number::kDeviceIoError, "Device I/O error"};
        default:
            // No classic text fits: keep the access-error number but the system's own wording.
            return {error_number::kPathFileAccessError, std::strerror(errnoValue)};
    }
}

std::string UncaughtErrorReport(const RunTimeError& error) {
    return "Run-time error '" + std::to_string(error.Number()) + "':\r\n\r\n" + error.Description();
}

}  // namespace pellatone
