// The windows module's side: the one exported entry and the FLTK implementation behind it.
#include <FL/Fl.H>
#include <FL/Fl_Window.H>

#include "platform/posix/display.h"
#include "platform/posix/fltk_splash_window.h"
#include "platform/posix/gui_module.h"
#include "platform/posix/message_box.h"

namespace pellatone {

namespace {

class FltkGuiModule final : public GuiModule {
public:
    bool OpenDisplay() override { return DisplayAvailable(); }

    void ShowMessageBox(const std::string& text) override { pellatone::ShowMessageBox(text); }

    bool RunSplashWindow(const Timer1Handler& onTimer1Tick) override {
        return RunFltkSplashWindow(onTimer1Tick);
    }

    void HideAllWindows() override {
        while (Fl_Window* window = Fl::first_window()) window->hide();
        Fl::flush();
    }

    RgbPicture DecodePicture(std::span<const unsigned char> gif) override {
        return DecodeGifPicture(gif);
    }
};

}  // namespace

}  // namespace pellatone

extern "C" pellatone::GuiModule* pellatone_gui_open() {
    // Lives as long as the module, which is never unloaded.
    static pellatone::FltkGuiModule gui;
    return &gui;
}
