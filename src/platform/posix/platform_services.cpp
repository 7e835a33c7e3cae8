#include "platform/posix/platform_services.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/platform.h"
#include "platform/posix/file_system.h"
#include "platform/posix/gui_module.h"
#include "platform/posix/line_breaks.h"
#include "platform/posix/process_start.h"

namespace pellatone {

namespace {

std::string HeadlessMessageLine(std::string_view text) {
    std::string prefix(kApplicationTitle);
    prefix += ": ";
    // Every line carries the prefix, so that no line of a message stands in a log on its own.
    std::string lines = prefix;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (const std::size_t lineBreak = LineBreakLength(text, i); lineBreak > 0) {
            i += lineBreak - 1;
            lines += '\n';
            lines += prefix;
        } else {
            lines += text[i];
        }
    }
    lines += '\n';
    return lines;
}

// A message written to a standard stream that was closed would land in whatever file took its
// number next: each closed one gets /dev/null instead.
void OpenClosedStandardStreamsOnNull() {
    for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
            const int opened = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
            if (opened >= 0 && opened != fd) ::close(opened);
        }
    }
}

void IgnoreSignalsOfFailedWrites() {
    // A standard error whose reader has gone must not end us before the server is started; the
    // failed write is harmless. Nor may a file-size limit end us in the middle of a copy, with
    // its temporary file left in the runtime: the write fails with EFBIG instead and the copy
    // takes its error path. The server gets the defaults back when it is started.
    std::signal(SIGPIPE, SIG_IGN);
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace

std::string FolderOfPath(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos) return ".";
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

void PosixPlatformServices::ShowMessage(const std::string& text) {
    if (gui_ != nullptr) {
        gui_->ShowMessageBox(text);
        return;
    }
    WriteHeadlessMessage(text);
}

void WriteHeadlessMessage(std::string_view text) {
    const std::string line = HeadlessMessageLine(text);
    std::fflush(stdout);
    // Through the printf family, which the fortified C library checks.
    std::fprintf(stderr, "%s", line.c_str());
    std::fflush(stderr);
}

void PosixPlatformServices::EndProgram(int exitStatus) {
    // Take our windows off the screen before anything else goes, then end without returning
    // into whatever handler called us.
    if (gui_ != nullptr) gui_->HideAllWindows();
    std::fflush(stdout);
    std::fflush(stderr);
    std::exit(exitStatus);
}

std::string PosixPlatformServices::ApplicationFolder() const { return RunningProgramFolder(); }

std::string RunningProgramFolder() {
    std::vector<char> buffer(PATH_MAX);
    while (true) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) throw ErrorFromErrno(errno);
        if (static_cast<std::size_t>(length) < buffer.size()) {
            return FolderOfPath(std::string_view(buffer.data(), static_cast<std::size_t>(length)));
        }
        buffer.resize(buffer.size() * 2);
    }
}

void PosixPlatformServices::StartProcessInFolder(const std::string& commandLine,
                                                 const std::string& folder) {
    // The process enters the folder itself, so ours is neither needed nor changed; a folder
    // that cannot be entered fails here, as making it current would, before anything starts.
    struct stat info = {};
    if (::stat(folder.c_str(), &info) != 0) throw FolderError(errno);
    if (!S_ISDIR(info.st_mode)) throw PathNotFound();
    if (::faccessat(AT_FDCWD, folder.c_str(), X_OK, AT_EACCESS) != 0) throw FolderError(errno);
    StartDetachedProcess(commandLine, folder);
}

void PosixPlatformServices::ReportUncaughtError(const RunTimeError& error) {
    ShowMessage(UncaughtErrorReport(error));
}

void PrepareProcess() {
    OpenClosedStandardStreamsOnNull();
    IgnoreSignalsOfFailedWrites();
}

std::unique_ptr<PlatformServices> CreatePlatformServices() {
    return std::make_unique<PosixPlatformServices>(GuiModuleForDisplay());
}

bool RunSplashWindow(const Timer1Handler& onTimer1Tick) {
    GuiModule* gui = GuiModuleForDisplay();
    return gui != nullptr && gui->RunSplashWindow(onTimer1Tick);
}

PathConvention HostPathConvention() { return PathConvention::kPosix; }

std::unique_ptr<FileSystem> CreateFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace pellatone
