#include "platform/posix/gui/display.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <chrono>
#include <future>
#include <string>
#include <string_view>
#include <thread>

#include "platform/posix/display_name.h"

namespace pellatone {

namespace {

// A busy X server may turn a connection away for a moment (a full accept queue, a client slot
// not yet freed); only a display that keeps refusing counts as none.
constexpr int kOpenAttempts = 5;
constexpr auto kRetryDelay = std::chrono::milliseconds(100);
// A display that takes the connection and never replies would hold XOpenDisplay forever; after
// this long, retries included, the program goes on without windows.
constexpr auto kOpenDeadline = std::chrono::seconds(5);

Display* OpenWithRetries() {
    for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
        if (Display* display = XOpenDisplay(nullptr); display != nullptr) return display;
        if (attempt < kOpenAttempts) std::this_thread::sleep_for(kRetryDelay);
    }
    return nullptr;
}

struct DisplayState {
    bool available = false;
    std::string failure;
};

DisplayState OpenDisplayOnce() {
    DisplayState state;
    const std::string_view name = posix::DisplayName();
    if (name.empty()) return state;
    // The attempts run on a thread of their own so that a silent display cannot hold the
    // program; a thread still waiting at the deadline is abandoned and ends with the process.
    std::promise<Display*> opened;
    std::future<Display*> answer = opened.get_future();
    std::thread([promise = std::move(opened)]() mutable {
        promise.set_value(OpenWithRetries());
    }).detach();
    if (answer.wait_for(kOpenDeadline) != std::future_status::ready) {
        state.failure = "the display " + std::string(name) + " did not answer within " +
                        std::to_string(kOpenDeadline.count()) + " seconds";
        return state;
    }
    // FLTK would end the program on a display it cannot open; it only gets one that is open,
    // and only here, on the thread that runs the windows.
    if (Display* display = answer.get(); display != nullptr) {
        fl_open_display(display);
        state.available = true;
    }
    return state;
}

const DisplayState& TheDisplay() {
    static const DisplayState state = OpenDisplayOnce();
    return state;
}

}  // namespace

bool DisplayAvailable() { return TheDisplay().available; }

std::string DisplayFailure() { return TheDisplay().failure; }

ScreenPoint CentredOnWorkArea(int width, int height) {
    int screenX = 0;
    int screenY = 0;
    int screenW = 0;
    int screenH = 0;
    // Our windows open on the connection's default screen (DISPLAY=:N.S names it). FLTK counts
    // the X screens of a connection as its screens, or, with Xinerama, the monitors of its one X
    // screen, which is then screen 0.
    Fl::screen_work_area(screenX, screenY, screenW, screenH, fl_screen);
    return {screenX + (screenW - width) / 2, screenY + (screenH - height) / 2};
}

}  // namespace pellatone
