#include "platform/posix/gui_module.h"

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "platform/posix/posix_platform_services.h"
#include "platform/run_time_error.h"

namespace pellatone {

namespace {

// The classic run-time error for a library that would not load.
constexpr int kErrorInLoadingDll = 48;

RunTimeError LoaderError(const std::string& fallback) {
    const char* reason = ::dlerror();
    return {kErrorInLoadingDll, reason != nullptr ? reason : fallback};
}

struct LibraryCloser {
    void operator()(void* handle) const {
        // Loaded with RTLD_NODELETE, the module stays mapped; this only drops our reference.
        ::dlclose(handle);
    }
};

}  // namespace

GuiModule& LoadGuiModule(const std::string& path) {
    // Local: its symbols (its own copies of ours among them) stay its own. Never unloaded: its
    // windows and the libraries behind them may be in use until the process ends.
    const std::unique_ptr<void, LibraryCloser> library(
        ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE));
    if (!library) throw LoaderError(path + ": cannot be loaded");
    void* entry = ::dlsym(library.get(), kGuiModuleEntry);
    if (entry == nullptr) throw LoaderError(path + ": no " + kGuiModuleEntry);
    // POSIX guarantees that a function's address survives the trip through void*.
    GuiModule* gui = reinterpret_cast<GuiModuleEntry>(entry)();
    if (gui == nullptr) {
        throw RunTimeError(kErrorInLoadingDll, path + ": " + kGuiModuleEntry + " returned nothing");
    }
    return *gui;
}

GuiModule* DisplayGui() {
    static GuiModule* const gui = []() -> GuiModule* {
        const char* display = std::getenv("DISPLAY");
        if (display == nullptr || *display == '\0') return nullptr;
        GuiModule* loaded = nullptr;
        const std::optional<RunTimeError> error = ErrorRaisedBy([&] {
            loaded = &LoadGuiModule(RunningProgramFolder() + "/" + std::string(kGuiModuleFileName));
        });
        if (error) {
            const std::string line =
                HeadlessMessageLine("Running without windows; the windows module did not load: " +
                                    error->Description());
            std::fflush(stdout);
            std::fwrite(line.data(), 1, line.size(), stderr);
            std::fflush(stderr);
            return nullptr;
        }
        return loaded->OpenDisplay() ? loaded : nullptr;
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
