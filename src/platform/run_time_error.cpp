#include "platform/run_time_error.h"

#include <cerrno>
#include <cstring>

namespace pellatone {

RunTimeError InvalidProcedureCall() {
    return {error_number::kInvalidProcedureCall, "Invalid procedure call or argument"};
}
RunTimeError OutOfMemory() { return {error_number::kOutOfMemory, "Out of memory"}; }
RunTimeError TypeMismatch() { return {error_number::kTypeMismatch, "Type mismatch"}; }
RunTimeError FileNotFound() { return {error_number::kFileNotFound, "File not found"}; }
RunTimeError DeviceIoError() { return {error_number::kDeviceIoError, "Device I/O error"}; }
RunTimeError FileAlreadyExists() {
    return {error_number::kFileAlreadyExists, "File already exists"};
}
RunTimeError DiskFull() { return {error_number::kDiskFull, "Disk full"}; }
RunTimeError PathFileAccessError() {
    return {error_number::kPathFileAccessError, "Path/File access error"};
}
RunTimeError PathNotFound() { return {error_number::kPathNotFound, "Path not found"}; }
RunTimeError KeyAlreadyAssociated() {
    return {error_number::kKeyAlreadyAssociated,
            "This key is already associated with an element of this collection"};
}
RunTimeError UnsupportedValueType() {
    return {error_number::kUnsupportedValueType, "Unsupported value type"};
}

RunTimeError ErrorNaming(const RunTimeError& error, const std::string& path,
                         std::string_view remedy) {
    std::string description = error.Description();
    // A system text may end in a full stop, or already name the path in its own words.
    if (!path.empty() && description.find(path) == std::string::npos) {
        if (!description.empty() && description.back() == '.') description.pop_back();
        description += ": " + path;
    }
    // CR LF, as every multi-line text of the program.
    if (!remedy.empty()) description.append("\r\n").append(remedy);
    return {error.Number(), description};
}

RunTimeError ForeignFileInPlace(const std::string& path) {
    return ErrorNaming(FileAlreadyExists(), path,
                       "It differs from the file being installed. Remove it and start Pellatone "
                       "again.");
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
            return DiskFull();
        case EIO:
            return DeviceIoError();
        default:
            return {error_number::kSystemError, std::strerror(errnoValue)};
    }
}

std::string UncaughtErrorReport(const RunTimeError& error) {
    return "Run-time error '" + std::to_string(error.Number()) + "':\r\n\r\n" + error.Description();
}

}  // namespace pellatone
