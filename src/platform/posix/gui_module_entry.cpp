// The windows module's side: the one exported entry and the FLTK implementation behind it. Every
// entry point catches whatever its work raises and hands it back as a plain status, since the
// program runs on a C++ runtime of its own.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <utility>

#include "platform/posix/display.h"
#include "platform/posix/fltk_splash_window.h"
#include "platform/posix/gif_picture.h"
#include "platform/posix/gui_module_abi.h"
#include "platform/posix/message_box.h"
#include "platform/run_time_error.h"

namespace pellatone {

namespace {

void Describe(PellatoneGuiStatus& status, int number, const std::string& description) {
    status.number = number;
    const std::size_t length = std::min(description.size(), sizeof status.description - 1);
    std::memcpy(status.description, description.data(), length);
    status.description[length] = '\0';
}

// Runs the work and records how it failed, if it did; nothing leaves the module.
template <typename Work>
void Guarded(PellatoneGuiStatus* status, Work&& work) noexcept {
    try {
        const std::optional<RunTimeError> error = ErrorRaisedBy(std::forward<Work>(work));
        if (error) Describe(*status, error->Number(), error->Description());
    } catch (...) {
        Describe(*status, error_number::kInternalError, "Unexpected error in the windows module");
    }
}

int OpenDisplay(PellatoneGuiStatus* status) {
    bool open = false;
    Guarded(status, [&] {
        open = DisplayAvailable();
        if (!open) Describe(*status, 0, DisplayFailure());
    });
    return open ? 1 : 0;
}

void ShowBox(const char* text, std::size_t size, PellatoneGuiStatus* status) {
    Guarded(status, [&] { ShowMessageBox(std::string(text, size)); });
}

int RunSplash(PellatoneGuiTimer1Tick tick, void* context, PellatoneGuiStatus* status) {
    bool shown = false;
    Guarded(status, [&] {
        shown = RunFltkSplashWindow([&](SplashWindow& splash) {
            // The program has kept its handler's error; the window goes, and with it the loop.
            if (tick(context, &splash) != 0) splash.Unload();
        });
    });
    return shown ? 1 : 0;
}

void UnloadSplash(void* splash) {
    PellatoneGuiStatus ignored{};
    Guarded(&ignored, [&] { static_cast<SplashWindow*>(splash)->Unload(); });
}

void HideAll() {
    PellatoneGuiStatus ignored{};
    Guarded(&ignored, [] {
        while (Fl_Window* window = Fl::first_window()) window->hide();
        Fl::flush();
    });
}

void Decode(const unsigned char* gif, std::size_t size, PellatoneGuiPicture* picture,
            PellatoneGuiStatus* status) {
    *picture = PellatoneGuiPicture{};
    Guarded(status, [&] {
        const RgbPicture decoded = DecodeGifPicture({gif, size});
        // NOLINTNEXTLINE(cppcoreguidelines-no-malloc): freed by Release, across the boundary
        auto* pixels = static_cast<unsigned char*>(std::malloc(decoded.pixels.size() + 1));
        if (pixels == nullptr) throw std::bad_alloc();
        std::memcpy(pixels, decoded.pixels.data(), decoded.pixels.size());
        *picture = {decoded.width, decoded.height, pixels, decoded.pixels.size()};
    });
}

void Release(PellatoneGuiPicture* picture) {
    std::free(picture->pixels);  // NOLINT(cppcoreguidelines-no-malloc): allocated by Decode
    *picture = PellatoneGuiPicture{};
}

constexpr PellatoneGuiTable kTable = {
    kPellatoneGuiAbiVersion,
    OpenDisplay,
    ShowBox,
    RunSplash,
    UnloadSplash,
    HideAll,
    Decode,
    Release,
};

}  // namespace

}  // namespace pellatone

extern "C" const PellatoneGuiTable* pellatone_gui_open() { return &pellatone::kTable; }
