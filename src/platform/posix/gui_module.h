#pragma once

#include <string>
#include <string_view>

#include "platform/posix/gui_module_abi.h"
#include "platform/splash_window.h"

namespace pellatone {

// Everything of the program that needs X, FLTK or giflib lives in a module of its own, loaded only
// when there is a display: a run without one then maps none of those libraries and starts
// faster. The module brings the shared C++ runtime while the program has its own, so they talk
// through the plain table of gui_module_abi.h; this class is the program's C++ face of it and
// turns the module's error statuses back into RunTimeError.
class GuiModule {
public:
    explicit GuiModule(const PellatoneGuiTable& table) : table_(table) {}
    GuiModule(const GuiModule&) = delete;
    GuiModule& operator=(const GuiModule&) = delete;

    // Opens the display named by DISPLAY; false when there is none or it cannot be opened, with
    // the reason in whyNot when the user should hear it (empty otherwise). The answer does not
    // change afterwards, and nothing below may be shown before a true one.
    bool OpenDisplay(std::string& whyNot);

    // The modal "Pellatone" box with the text and an OK button; returns when dismissed.
    void ShowMessageBox(const std::string& text);

    // Runs frmSplash and its event loop until no window is left. Timer1's handler is called from
    // inside the module, where no error of ours may go: one leaving the handler ends the program.
    bool RunSplashWindow(const Timer1Handler& onTimer1Tick);

    // Takes every window of the program off the screen at once.
    void HideAllWindows();

private:
    const PellatoneGuiTable& table_;
};

// The module's file name, looked for in the program's own folder.
inline constexpr std::string_view kGuiModuleFileName = "pellatone-gui.so";
// Its one exported function, a PellatoneGuiEntry; it never returns null.
inline constexpr const char* kGuiModuleEntry = "pellatone_gui_open";

// Loads the module at the path and returns its interface; it stays loaded for the rest of the
// process, since its windows and the libraries they use may be in use until the very end.
// Raises RunTimeError 48 with the loader's own explanation when it cannot be loaded.
GuiModule LoadGuiModule(const std::string& path);

// The module beside the running program, loaded and with its display opened, or null to run
// headless: DISPLAY unset or empty, the display not opening, or the module not loading (the
// last, and a display that does not answer, are said once on standard error). Decided on the
// first call.
GuiModule* GuiModuleForDisplay();

}  // namespace pellatone
