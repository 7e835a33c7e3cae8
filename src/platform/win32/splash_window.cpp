#include <windows.h>

#include <initializer_list>
#include <utility>

#include "platform/platform.h"
#include "platform/win32/resource_ids.h"
#include "platform/win32/splash_picture.h"
#include "platform/win32/system_error.h"
#include "platform/win32/unique_resource.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_placement.h"

namespace pellatone {

namespace {

using win32::UniqueIcon;
using win32::UniqueMemoryDeviceContext;
using win32::UniqueWindow;

constexpr wchar_t kWindowClassName[] = L"PellatoneSplashWindow";
constexpr UINT_PTR kTimer1Id = 1;
constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW;
constexpr DWORD kWindowExStyle = 0;

// Image1: the picture stretched into its box at the client area's top-left corner.
constexpr SIZE kImage1Size{splash::kImageWidth, splash::kImageHeight};

// The registered window class, unregistered when the window is gone.
class WindowClass {
public:
    WindowClass(HINSTANCE instance, WNDPROC procedure, HICON bigIcon, HICON smallIcon)
        : instance_(instance) {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = instance;
        windowClass.hIcon = bigIcon;
        windowClass.hIconSm = smallIcon;
        windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
        windowClass.lpszClassName = kWindowClassName;
        if (::RegisterClassExW(&windowClass) == 0) throw win32::LastError();
    }
    WindowClass(const WindowClass&) = delete;
    WindowClass& operator=(const WindowClass&) = delete;
    ~WindowClass() { ::UnregisterClassW(kWindowClassName, instance_); }

private:
    HINSTANCE instance_;
};

UniqueIcon LoadProgramIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    HANDLE icon = ::LoadImageW(instance, MAKEINTRESOURCEW(PELLATONE_IDI_PROGRAM), IMAGE_ICON,
                               ::GetSystemMetrics(widthMetric), ::GetSystemMetrics(heightMetric),
                               LR_DEFAULTCOLOR);
    if (icon == nullptr) throw win32::LastError();
    return UniqueIcon(static_cast<HICON>(icon));
}

// frmSplash: the window, its picture and Timer1. The picture comes composed (the background
// with Image1 over it), so that painting is one copy and no half-drawn frame reaches the screen.
class Win32SplashWindow final : public SplashWindow {
public:
    Win32SplashWindow(const Timer1Handler& onTimer1Tick, win32::Picture picture)
        : onTimer1Tick_(onTimer1Tick), picture_(std::move(picture)) {}
    Win32SplashWindow(const Win32SplashWindow&) = delete;
    Win32SplashWindow& operator=(const Win32SplashWindow&) = delete;
    ~Win32SplashWindow() override { Unload(); }

    void Create(HINSTANCE instance) {
        RECT frame{0, 0, splash::kClientWidth, splash::kClientHeight};
        if (::AdjustWindowRectEx(&frame, kWindowStyle, FALSE, kWindowExStyle) == 0) {
            throw win32::LastError();
        }
        RECT workArea{};
        if (::SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0) == 0) {
            throw win32::LastError();
        }
        const RECT placed = win32::CentredWindowRect(
            workArea, {frame.right - frame.left, frame.bottom - frame.top});
        const std::wstring caption = win32::WideFromUtf8(kApplicationTitle);
        HWND created =
            ::CreateWindowExW(kWindowExStyle, kWindowClassName, caption.c_str(), kWindowStyle,
                              placed.left, placed.top, placed.right - placed.left,
                              placed.bottom - placed.top, nullptr, nullptr, instance, this);
        if (created == nullptr) throw win32::LastError();
        window_.Reset(created);
        // Timer1 is enabled from the moment the window is loaded.
        if (::SetTimer(window_.Get(), kTimer1Id, splash::kTimer1IntervalMs, nullptr) == 0) {
            throw win32::LastError();
        }
    }

    void Show() const {
        ::ShowWindow(window_.Get(), SW_SHOWDEFAULT);
        ::UpdateWindow(window_.Get());
    }

    [[nodiscard]] bool IsLoaded() const { return window_.operator bool(); }

    void Unload() override {
        if (!window_) return;
        ::KillTimer(window_.Get(), kTimer1Id);
        window_.Reset();
    }

    // Nothing may leave it through Windows' frames: Timer1's handler reports its own errors.
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) noexcept {
        // Windows hands pointers over as integers: the creation data, and the window's own object
        // kept in its user data.
        if (message == WM_NCCREATE) {
            // NOLINTNEXTLINE(performance-no-int-to-ptr)
            const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            ::SetWindowLongPtrW(window, GWLP_USERDATA,
                                reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
        }
        const LONG_PTR stored = ::GetWindowLongPtrW(window, GWLP_USERDATA);
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        auto* self = reinterpret_cast<Win32SplashWindow*>(stored);
        if (self == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
        return self->Handle(window, message, wParam, lParam);
    }

private:
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
            case WM_TIMER:
                if (wParam != kTimer1Id) break;
                if (!ticked_) {
                    ticked_ = true;
                    onTimer1Tick_(*this);
                }
                return 0;
            case WM_ERASEBKGND:
                return 1;  // WM_PAINT covers every pixel.
            case WM_PAINT:
                Paint(window);
                return 0;
            case WM_NCDESTROY:
                // The window is going: close the handle's ownership without a second destroy.
                ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                if (window_.Get() == window) window_.Detach();
                break;
            default:
                break;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }

    void Paint(HWND window) const {
        PAINTSTRUCT paint{};
        HDC target = ::BeginPaint(window, &paint);
        if (target == nullptr) return;
        // The memory context goes before EndPaint, as soon as the picture is copied.
        if (const UniqueMemoryDeviceContext memory(::CreateCompatibleDC(target)); memory) {
            HGDIOBJ previous = ::SelectObject(memory.Get(), picture_.bitmap.Get());
            ::BitBlt(target, 0, 0, picture_.width, picture_.height, memory.Get(), 0, 0, SRCCOPY);
            ::SelectObject(memory.Get(), previous);
        }
        // Beyond the picture, when the window is made larger, the usual window colour; nothing
        // at the window's own size.
        RECT client{};
        ::GetClientRect(window, &client);
        const RECT beside{picture_.width, 0, client.right, client.bottom};
        const RECT below{0, picture_.height, picture_.width, client.bottom};
        for (const RECT& strip : {beside, below}) {
            if (::IsRectEmpty(&strip) == 0) {
                ::FillRect(target, &strip, ::GetSysColorBrush(COLOR_BTNFACE));
            }
        }
        ::EndPaint(window, &paint);
    }

    const Timer1Handler& onTimer1Tick_;
    win32::Picture picture_;
    UniqueWindow window_;
    bool ticked_ = false;
};

}  // namespace

bool RunSplashWindow(const Timer1Handler& onTimer1Tick) {
    HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const UniqueIcon bigIcon = LoadProgramIcon(instance, SM_CXICON, SM_CYICON);
    const UniqueIcon smallIcon = LoadProgramIcon(instance, SM_CXSMICON, SM_CYSMICON);
    const WindowClass windowClass(instance, &Win32SplashWindow::WindowProcedure, bigIcon.Get(),
                                  smallIcon.Get());
    Win32SplashWindow splash(
        onTimer1Tick,
        win32::ComposeSplashPicture(
            win32::DecodePicture(win32::ProgramResourceData(PELLATONE_IDR_SPLASH_PICTURE)),
            kImage1Size));
    splash.Create(instance);
    splash.Show();

    // The loop ends once the window is gone, whether Timer1's handler unloaded it or the user
    // closed it; no WM_QUIT is posted, since it would cut short the handler's message boxes.
    MSG message{};
    while (splash.IsLoaded()) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) throw win32::LastError();
        if (got == 0) break;
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return true;
}

}  // namespace pellatone
