#include "platform/posix/gui_module.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <link.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

#include "platform/posix/display_name.h"
#include "platform/posix/platform_services.h"
#include "platform/posix/unique_resource.h"
#include "platform/run_time_error.h"

namespace pellatone {

namespace {

using error_number::kErrorInLoadingDll;

// The loader's explanation, naming the module by its path rather than the descriptor it was
// loaded through.
RunTimeError LoaderError(const std::string& path, const std::string& loadedAs,
                         const std::string& fallback) {
    const char* reason = ::dlerror();
    std::string text = reason != nullptr ? reason : fallback;
    if (text.starts_with(loadedAs)) text.replace(0, loadedAs.size(), path);
    return {kErrorInLoadingDll, text};
}

RunTimeError RefusedModule(const std::string& path, const std::string& reason) {
    return {kErrorInLoadingDll, path + ": " + reason};
}

// Reads exactly `size` bytes at `offset`; false when the file holds fewer.
bool ReadAt(int fd, void* into, std::size_t size, off_t offset) {
    auto* bytes = static_cast<unsigned char*>(into);
    while (size > 0) {
        const ssize_t count = ::pread(fd, bytes, size, offset);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return false;
        bytes += count;
        size -= static_cast<std::size_t>(count);
        offset += count;
    }
    return true;
}

bool LiesWithin(std::uint64_t offset, std::uint64_t size, std::uint64_t fileSize) {
    return offset <= fileSize && size <= fileSize - offset;
}

// Opens the module and makes sure the loader can map it whole: the loader maps its segments
// without looking at the file's size, and a module cut short (an interrupted unpack or copy, a
// full disk) would then end the program with SIGBUS on the first page past the end.
posix::UniqueFd OpenWholeModule(const std::string& path) {
    posix::UniqueFd module(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!module) {
        throw RefusedModule(path,
                            std::string("cannot open shared object file: ") + std::strerror(errno));
    }
    struct stat info = {};
    if (::fstat(module.Get(), &info) != 0) throw RefusedModule(path, std::strerror(errno));
    if (!S_ISREG(info.st_mode)) throw RefusedModule(path, "not a regular file");
    const auto fileSize = static_cast<std::uint64_t>(info.st_size);

    ElfW(Ehdr) header{};
    if (!ReadAt(module.Get(), &header, sizeof header, 0))
        throw RefusedModule(path, "file too short");
    if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != (sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32) ||
        header.e_phentsize != sizeof(ElfW(Phdr))) {
        throw RefusedModule(path, "invalid ELF header");
    }
    const std::uint64_t headersSize = std::uint64_t{header.e_phnum} * sizeof(ElfW(Phdr));
    if (!LiesWithin(header.e_phoff, headersSize, fileSize)) {
        throw RefusedModule(path, "file too short");
    }
    for (std::uint64_t index = 0; index < header.e_phnum; ++index) {
        ElfW(Phdr) segment{};
        const std::uint64_t at = header.e_phoff + index * sizeof(ElfW(Phdr));
        if (!ReadAt(module.Get(), &segment, sizeof segment, static_cast<off_t>(at))) {
            throw RefusedModule(path, "file too short");
        }
        if (segment.p_type == PT_LOAD &&
            !LiesWithin(segment.p_offset, segment.p_filesz, fileSize)) {
            throw RefusedModule(path,
                                "cut short: a loadable segment ends past the end of the file");
        }
    }
    return module;
}

// The module's splash window as Timer1's handler sees it.
class ModuleSplashWindow final : public SplashWindow {
public:
    ModuleSplashWindow(const PellatoneGuiTable& table, void* splash)
        : table_(table), splash_(splash) {}
    void Unload() override { table_.unload_splash_window(splash_); }

private:
    const PellatoneGuiTable& table_;
    void* splash_;
};

// What the module's Timer1 passes back to us.
struct Timer1Context {
    const PellatoneGuiTable& table;
    const Timer1Handler& handler;
};

// Called from inside the module, so no error may leave it; the handler reports its own.
void Timer1Tick(void* context, void* splash) noexcept {
    const auto& timer1 = *static_cast<Timer1Context*>(context);
    ModuleSplashWindow window(timer1.table, splash);
    timer1.handler(window);
}

// Raises the error a call across the table reported, if any, on this side of it.
void RaiseIfFailed(const PellatoneGuiStatus& status) {
    if (status.number != 0) throw RunTimeError(status.number, status.description);
}

}  // namespace

bool GuiModule::OpenDisplay(std::string& whyNot) {
    PellatoneGuiStatus status{};
    const bool open = table_.open_display(&status) != 0;
    whyNot = open ? std::string() : std::string(status.description);
    return open;
}

void GuiModule::ShowMessageBox(const std::string& text) {
    PellatoneGuiStatus status{};
    table_.show_message_box(text.data(), text.size(), &status);
    RaiseIfFailed(status);
}

bool GuiModule::RunSplashWindow(const Timer1Handler& onTimer1Tick) {
    Timer1Context context{.table = table_, .handler = onTimer1Tick};
    PellatoneGuiStatus status{};
    const bool shown = table_.run_splash_window(Timer1Tick, &context, &status) != 0;
    RaiseIfFailed(status);
    return shown;
}

void GuiModule::HideAllWindows() { table_.hide_all_windows(); }

GuiModule LoadGuiModule(const std::string& path) {
    // The file checked is the file loaded: the loader is given the same open file.
    posix::UniqueFd module = OpenWholeModule(path);
    const std::string loadedAs = "/proc/self/fd/" + std::to_string(module.Get());
    // Local: its symbols (its own copies of ours among them) stay its own. Never unloaded: its
    // windows and the libraries behind them may be in use until the process ends.
    const posix::UniqueLibrary library(
        ::dlopen(loadedAs.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
    if (!library) throw LoaderError(path, loadedAs, path + ": cannot be loaded");
    // The loader now knows the object by that name, and would hand it out again for any later
    // load by the same name: the descriptor stays open, so that its number is never reused.
    (void)module.Detach();
    void* entry = ::dlsym(library.Get(), kGuiModuleEntry);
    if (entry == nullptr) throw LoaderError(path, loadedAs, path + ": no " + kGuiModuleEntry);
    // Loaded with RTLD_NODELETE, the module stays mapped when the owner drops our reference.
    // POSIX guarantees that a function's address survives the trip through void*.
    const PellatoneGuiTable* table = reinterpret_cast<PellatoneGuiEntry>(entry)();
    if (table == nullptr) {
        throw RunTimeError(kErrorInLoadingDll, path + ": " + kGuiModuleEntry + " returned nothing");
    }
    if (table->version != kPellatoneGuiAbiVersion) {
        throw RunTimeError(kErrorInLoadingDll, path + ": interface version " +
                                                   std::to_string(table->version) + ", not " +
                                                   std::to_string(kPellatoneGuiAbiVersion));
    }
    return GuiModule(*table);
}

GuiModule* GuiModuleForDisplay() {
    static GuiModule* const gui = []() -> GuiModule* {
        if (posix::DisplayName().empty()) return nullptr;
        GuiModule* loaded = nullptr;
        const std::optional<RunTimeError> error = ErrorRaisedBy([&] {
            static GuiModule module =
                LoadGuiModule(RunningProgramFolder() + "/" + std::string(kGuiModuleFileName));
            loaded = &module;
        });
        if (error) {
            WriteHeadlessMessage("Running without windows; the windows module did not load: " +
                                 error->Description());
            return nullptr;
        }
        std::string whyNot;
        if (loaded->OpenDisplay(whyNot)) return loaded;
        if (!whyNot.empty()) WriteHeadlessMessage("Running without windows; " + whyNot);
        return nullptr;
    }();
    return gui;
}

}  // namespace pellatone

#if defined(__SANITIZE_ADDRESS__)
#define PELLATONE_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELLATONE_LEAK_CHECKED 1
#endif
#endif

#ifdef PELLATONE_LEAK_CHECKED
// Fontconfig, which the windows module's text drawing loads, keeps its caches until the process
// ends by design; they are not ours to free. (The leak checker asks the program, not a module
// loaded later, for these.)
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }
// Our standard error carries messages when headless; keep the suppression list off it.
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif
