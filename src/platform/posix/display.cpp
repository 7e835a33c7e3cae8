#include "platform/posix/display.h"

#include <FL/x.H>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace pellatone {

namespace {

// A busy X server may turn a connection away for a moment (a full accept queue, a client slot
// not yet freed); only a display that keeps refusing counts as none.
constexpr int kOpenAttempts = 5;
constexpr auto kRetryDelay = std::chrono::milliseconds(100);

}  // namespace

bool DisplayAvailable() {
    static const bool available = [] {
        const char* name = std::getenv("DISPLAY");
        if (name == nullptr || *name == '\0') return false;
        // FLTK would end the program on a display it cannot open; ask first.
        for (int attempt = 1; attempt <= kOpenAttempts; ++attempt) {
            if (Display* display = XOpenDisplay(nullptr); display != nullptr) {
                fl_open_display(display);
                return true;
            }
            if (attempt < kOpenAttempts) std::this_thread::sleep_for(kRetryDelay);
        }
        return false;
    }();
    return available;
}

}  // namespace pellatone
