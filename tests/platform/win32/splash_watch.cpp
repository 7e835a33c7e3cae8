// Test helper that runs under Wine beside the program: times the splash window as Windows sees it.
// Wine on an X server without a window manager keeps a hidden window on the screen for two more
// seconds (it waits for a withdrawal no manager confirms), so only this side shows when Timer1
// hid it.
//
//   splash_watch.exe TIMEOUT_SECONDS
//
// Waits for the visible splash window (class PellatoneSplashWindow, caption "Pellatone") and
// prints how many milliseconds it stayed visible, counted from the first check that saw it to
// the first that did not; checks are 5 ms apart. Exits 1 when it did not come and go in time.
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

// Waits until the splash window's visibility is `visible`; false when the deadline came first.
bool AwaitVisible(bool visible, Clock::time_point deadline) {
    while (SplashVisible() != visible) {
        if (Clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: splash_watch TIMEOUT_SECONDS\n", stderr);
        return 2;
    }
    const auto deadline = Clock::now() + std::chrono::seconds(std::atoi(argv[1]));
    if (!AwaitVisible(true, deadline)) return 1;
    const Clock::time_point shown = Clock::now();
    if (!AwaitVisible(false, deadline)) return 1;
    const auto milliseconds =
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - shown).count();
    std::printf("%lld\n", static_cast<long long>(milliseconds));
    return 0;
}
