#pragma once

#include <exception>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace pellatone {

// The one error type of the program: a run-time error number and the text shown to the user.
// Numbers follow the classic run-time error table where one fits, so reports stay familiar.
class RunTimeError : public std::runtime_error {
public:
    RunTimeError(int number, const std::string& description)
        : std::runtime_error(description), number_(number) {}

    [[nodiscard]] int Number() const noexcept { return number_; }
    [[nodiscard]] std::string Description() const { return what(); }

private:
    int number_;
};

// Every run-time error number of the program.
namespace error_number {
inline constexpr int kInvalidProcedureCall = 5;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kErrorInLoadingDll = 48;
inline constexpr int kInternalError = 51;
inline constexpr int kFileNotFound = 53;
inline constexpr int kDeviceIoError = 57;
inline constexpr int kFileAlreadyExists = 58;
inline constexpr int kDiskFull = 61;
inline constexpr int kPathFileAccessError = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kKeyAlreadyAssociated = 457;
inline constexpr int kInvalidPicture = 481;
inline constexpr int kUnsupportedValueType = 1001;
// A system failure that no classic number fits, described in the system's own words: one number
// for all of them, on every platform.
inline constexpr int kSystemError = kPathFileAccessError;
}  // namespace error_number

// The classic errors, each with its classic text.
RunTimeError InvalidProcedureCall();
RunTimeError OutOfMemory();
RunTimeError TypeMismatch();
RunTimeError FileNotFound();
RunTimeError DeviceIoError();
RunTimeError FileAlreadyExists();
RunTimeError DiskFull();
RunTimeError PathFileAccessError();
RunTimeError PathNotFound();
RunTimeError KeyAlreadyAssociated();
RunTimeError UnsupportedValueType();

// The same error, its description naming what it concerns after the classic text
// ("File not found: /opt/maradel/GsmModemJar/jdc.jar") and, when given, what the user can do
// about it on a line of its own. An empty path names nothing, and neither does a path the
// description already holds; a full stop ending the text goes before the path.
RunTimeError ErrorNaming(const RunTimeError& error, const std::string& path,
                         std::string_view remedy = {});

// The error for a file that another program put at `path` while ours was being copied there, and
// that is not the file being installed: it is left as it is, and the user told how to mend it.
RunTimeError ForeignFileInPlace(const std::string& path);

// Maps an errno value from a failed file or process operation onto the run-time error the user
// sees: the classic numbers where one fits, else the system's own description.
RunTimeError ErrorFromErrno(int errnoValue);

// Runs `body` and hands back the error that abandoned it, if any. Memory exhaustion and other
// standard exceptions become run-time errors too; anything else (such as an orderly end of the
// program in tests) is no error and passes on.
template <typename Body>
std::optional<RunTimeError> ErrorRaisedBy(Body&& body) {
    try {
        std::forward<Body>(body)();
        return std::nullopt;
    } catch (const RunTimeError& error) {
        return error;
    } catch (const std::bad_alloc&) {
        return OutOfMemory();
    } catch (const std::exception& error) {
        return RunTimeError(error_number::kInternalError, error.what());
    }
}

// "Run-time error 'N':", a blank line, then the description (lines joined with CR LF).
std::string UncaughtErrorReport(const RunTimeError& error);

}  // namespace pellatone
