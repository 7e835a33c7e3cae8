// The windows module's side: the one exported entry and the FLTK implementation behind it. Every
// entry point catches whatever its work raises and hands it back as a plain status, since the
// program runs on a C++ runtime of its own.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include <string>

#include "platform/posix/gui/display.h"
#include "platform/posix/gui/fltk_splash_window.h"
#include "platform/posix/gui/guarded_call.h"
#include "platform/posix/gui/message_box.h"
#include "platform/posix/gui_module_abi.h"
#include "platform/run_time_error.h"

namespace pellatone {

namespace {

int OpenDisplay(PellatoneGuiStatus* status) {
    bool open = false;
    Guarded(status, [&] {
        // The splash window comes next, and its pictures need no display.
        PrepareSplashPictures();
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
        shown = RunFltkSplashWindow([&](SplashWindow& splash) { tick(context, &splash); });
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

constexpr PellatoneGuiTable kTable = {
    .version = kPellatoneGuiAbiVersion,
    .open_display = OpenDisplay,
    .show_message_box = ShowBox,
    .run_splash_window = RunSplash,
    .unload_splash_window = UnloadSplash,
    .hide_all_windows = HideAll,
};

}  // namespace

}  // namespace pellatone

extern "C" const PellatoneGuiTable* pellatone_gui_open() { return &pellatone::kTable; }
