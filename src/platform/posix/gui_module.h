#pragma once

#include <span>
#include <string>
#include <string_view>

#include "app/splash_window.h"
#include "platform/posix/gif_picture.h"

namespace pellatone {

// Everything of the program that needs X, FLTK or giflib lives in a module of its own, loaded only
// when there is a display: a run without one then maps none of those libraries and starts
// faster. Program and module are built by the same compiler against the same libstdc++, so C++
// types and exceptions (RunTimeError among them) cross between them.
class GuiModule {
public:
    GuiModule() = default;
    GuiModule(const GuiModule&) = delete;
    GuiModule& operator=(const GuiModule&) = delete;
    virtual ~GuiModule() = default;

    // Opens the display named by DISPLAY; false when there is none or it cannot be opened. The
    // answer does not change afterwards, and nothing below may be shown before a true one.
    virtual bool OpenDisplay() = 0;

    // The modal "Pellatone" box with the text and an OK button; returns when dismissed.
    virtual void ShowMessageBox(const std::string& text) = 0;

    // Runs frmSplash and its event loop until no window is left. An error leaving the Timer1
    // handler takes the window down and is raised again here once the loop has returned.
    virtual bool RunSplashWindow(const Timer1Handler& onTimer1Tick) = 0;

    // Takes every window of the program off the screen at once.
    virtual void HideAllWindows() = 0;

    // Decodes a GIF the way the splash window decodes its pictures; raises RunTimeError 481
    // when the data is not a complete GIF.
    virtual RgbPicture DecodePicture(std::span<const unsigned char> gif) = 0;
};

// The module's file name, looked for in the program's own folder.
inline constexpr std::string_view kGuiModuleFileName = "pellatone-gui.so";
// Its one exported function: `GuiModule* pellatone_gui_open()`, never null.
inline constexpr const char* kGuiModuleEntry = "pellatone_gui_open";
using GuiModuleEntry = GuiModule* (*)();

// Loads the module at the path and returns its interface; it stays loaded for the rest of the
// process, since its windows and the libraries they use may be in use until the very end.
// Raises RunTimeError 48 with the loader's own explanation when it cannot be loaded.
GuiModule& LoadGuiModule(const std::string& path);

// The module beside the running program, loaded and with its display opened, or null to run
// headless: DISPLAY unset or empty, the display not opening, or the module not loading (which
// is said once on standard error). Decided on the first call.
GuiModule* DisplayGui();

}  // namespace pellatone
