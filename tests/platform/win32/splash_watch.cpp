// Test helper that runs under Wine beside the program: times the splash window as Windows sees it.
// Wine on an X server without a window manager keeps a hidden window on the screen for two more
// seconds (it waits for a withdrawal no manager confirms), so only this side shows when Timer1
// hid it.
//
//   splash_watch.exe TIMEOUT_SECONDS
//
// Prints "watching", then waits for the visible splash window (class PellatoneSplashWindow,
// caption "Pellatone") and prints for how many milliseconds at most it was visible: from the last
// check that did not see it yet to the first that no longer did; checks are 5 ms apart. A check
// that comes late on a busy machine lengthens the span, so a lower bound on it holds however
// slow the watch is, while a window gone at once still spans about two checks. Start the program
// only after "watching". Exits 1 when the window did not come and go in time.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

bool SplashVisible() {
    const HWND window = FindWindowW(L"PellatoneSplashWindow", L"Pellatone");
    return window != nullptr && IsWindowVisible(window) != 0;
}

// Checks until the splash window's visibility is `visible`; false when the deadline came first.
// `before` becomes the time just before the last check that saw otherwise.
bool AwaitVisible(bool visible, Clock::time_point deadline, Clock::time_point& before) {
    while (true) {
        const Clock::time_point now = Clock::now();
        if (SplashVisible() == visible) return true;
        before = now;
        if (now >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: splash_watch TIMEOUT_SECONDS\n", stderr);
        return 2;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(std::atoi(argv[1]));
    std::puts("watching");
    std::fflush(stdout);
    Clock::time_point notYetShown = Clock::now();
    if (!AwaitVisible(true, deadline, notYetShown)) return 1;
    Clock::time_point stillShown;
    if (!AwaitVisible(false, deadline, stillShown)) return 1;
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - notYetShown).count();
    std::printf("%lld\n", static_cast<long long>(milliseconds));
    return 0;
}
