#pragma once

// What passes between the program and its windows module, in plain C types. The program carries its
// own static copy of the C++ runtime while the module (with FLTK) uses the shared one: two
// runtimes that must never see each other's exceptions or objects. So every entry point below
// catches everything on its own side and hands back only plain data.

#include <cstddef>

// Raised whenever the table below changes shape: a program refuses a module of another shape.
inline constexpr int kPellatoneGuiAbiVersion = 4;

extern "C" {

// The outcome of a call: number 0 for success, else the run-time error's number and its
// description (NUL-terminated, cut short to fit).
struct PellatoneGuiStatus {
    int number;
    char description[1024];
};

// Timer1's handler as the program hands it over, with the splash window to pass on to
// unload_splash_window. Nothing leaves it: the program reports its own errors there and ends.
using PellatoneGuiTimer1Tick = void (*)(void* context, void* splash);

struct PellatoneGuiTable {
    int version;
    // 1 when the display named by DISPLAY is open, 0 to run headless; with 0, the status's
    // description says why when that is worth telling the user, and is empty otherwise.
    int (*open_display)(PellatoneGuiStatus* status);
    void (*show_message_box)(const char* text, std::size_t size, PellatoneGuiStatus* status);
    // 1 when the window was shown and its loop has ended, 0 when there is no display.
    int (*run_splash_window)(PellatoneGuiTimer1Tick tick, void* context,
                             PellatoneGuiStatus* status);
    void (*unload_splash_window)(void* splash);
    void (*hide_all_windows)();
};

// The module's one exported function; the table lives as long as the module.
using PellatoneGuiEntry = const PellatoneGuiTable* (*)();
}
