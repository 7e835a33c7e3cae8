#pragma once

#include <functional>

namespace pellatone {

// frmSplash as the start-up logic sees it.
class SplashWindow {
public:
    SplashWindow() = default;
    SplashWindow(const SplashWindow&) = delete;
    SplashWindow& operator=(const SplashWindow&) = delete;
    virtual ~SplashWindow() = default;

    // Takes the window off the screen and destroys Timer1 with it, so no second tick can come.
    virtual void Unload() = 0;
};

namespace splash {
inline constexpr int kClientWidth = 487;
inline constexpr int kClientHeight = 511;
// Image1 shows the 487 x 517 picture squeezed into 487 x 508.
inline constexpr int kImageWidth = 487;
inline constexpr int kImageHeight = 508;
inline constexpr int kTimer1IntervalMs = 2000;
}  // namespace splash

using Timer1Handler = std::function<void(SplashWindow&)>;

}  // namespace pellatone
