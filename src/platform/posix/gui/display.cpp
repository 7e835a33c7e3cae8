#include "platform/posix/gui/display.h"

#include <FL/Fl.H>
#include <FL/x.H>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <future>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

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

// The atoms FLTK looks up as it takes the display, one round trip to the server each, all before
// the first window can show. Looked up here in one batch, Xlib keeps the answers and serves FLTK's
// own requests from them; a name it no longer asks for costs only its share of the batch.
constexpr std::string_view kToolkitAtoms =
    "WM_DELETE_WINDOW WM_PROTOCOLS _MOTIF_WM_HINTS TARGETS CLIPBOARD TIMESTAMP PRIMARY_TIMESTAMP "
    "CLIPBOARD_TIMESTAMP XdndAware XdndSelection XdndEnter XdndTypeList XdndPosition XdndLeave "
    "XdndDrop XdndStatus XdndActionCopy XdndFinished text/uri-list text/plain;charset=UTF-8 "
    "text/plain;charset=utf-8 text/plain TEXT COMPOUND_TEXT UTF8_STRING image/bmp image/png INCR "
    "_NET_WM_PID _NET_WM_NAME _NET_WM_ICON_NAME _NET_SUPPORTING_WM_CHECK _NET_WM_STATE "
    "_NET_WM_STATE_FULLSCREEN _NET_WM_FULLSCREEN_MONITORS _NET_WORKAREA _NET_WM_ICON "
    "_NET_ACTIVE_WINDOW";

void LookUpToolkitAtoms(Display* display) {
    std::vector<std::string> names;
    for (std::size_t start = 0; start < kToolkitAtoms.size();) {
        const std::size_t end = std::min(kToolkitAtoms.find(' ', start), kToolkitAtoms.size());
        names.emplace_back(kToolkitAtoms.substr(start, end - start));
        start = end + 1;
    }
    std::vector<char*> pointers;
    pointers.reserve(names.size());
    for (std::string& name : names) pointers.push_back(name.data());
    std::vector<Atom> atoms(names.size());
    XInternAtoms(display, pointers.data(), static_cast<int>(pointers.size()), False, atoms.data());
}

// This program takes no text input, so it needs no input method; but FLTK opens one as it takes
// the display, which reads the locale's compose tables and makes a font set out of the server's
// fonts, several round trips, all before the first window shows. Asked for an input method that
// no server offers, Xlib gives up at once, and keys arrive as plain key symbols, all that an OK
// button needs. FLTK's warning that there is none is not for the user.
constexpr const char* kNoInputMethod = "@im=none-wanted";

void IgnoreWarning(const char* /*format*/, ...) {}

void TakeDisplay(Display* display) {
    XSetLocaleModifiers(kNoInputMethod);
    void (*const warning)(const char*, ...) = Fl::warning;
    Fl::warning = IgnoreWarning;
    fl_open_display(display);
    Fl::warning = warning;
}

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
        LookUpToolkitAtoms(display);
        TakeDisplay(display);
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

ScreenPoint PlaceInWorkArea(const ScreenArea& area, int width, int height) {
    if (width > area.width || height > area.height) return {.x = area.x, .y = area.y};
    return {.x = area.x + (area.width - width) / 2, .y = area.y + (area.height - height) / 2};
}

ScreenPoint PlaceOnWorkArea(int width, int height) {
    ScreenArea area;
    // Our windows open on the connection's default screen (DISPLAY=:N.S names it). FLTK counts
    // the X screens of a connection as its screens, or, with Xinerama, the monitors of its one X
    // screen, which is then screen 0.
    Fl::screen_work_area(area.x, area.y, area.width, area.height, fl_screen);
    // The point is the client area's: before the window is mapped, X tells nothing of the frame
    // a window manager will put around it.
    return PlaceInWorkArea(area, width, height);
}

}  // namespace pellatone
