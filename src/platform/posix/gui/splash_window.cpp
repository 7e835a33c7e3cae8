#include "platform/posix/gui/fltk_splash_window.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_RGB_Image.H>

#include <array>
#include <exception>
#include <memory>
#include <span>
#include <string>

#include "platform/posix/gui/artwork.h"
#include "platform/posix/gui/display.h"
#include "platform/posix/gui/gif_picture.h"

namespace pellatone {

namespace {

constexpr double kTimer1IntervalSeconds = splash::kTimer1IntervalMs / 1000.0;
// The frame can be sized down to this much; the picture stays where it is.
constexpr int kMinClientWidth = 100;
constexpr int kMinClientHeight = 60;

// The splash window: the picture as its background, drawn unscaled from the top-left corner.
class SplashFrame final : public Fl_Double_Window {
public:
    SplashFrame(int x, int y, Fl_RGB_Image& background)
        : Fl_Double_Window(x, y, splash::kClientWidth, splash::kClientHeight),
          background_(background) {}

protected:
    void draw() override {
        if ((damage() & ~FL_DAMAGE_CHILD) != 0) {
            draw_box();
            background_.draw(0, 0);
        }
        draw_children();
    }

private:
    Fl_RGB_Image& background_;
};

class FltkSplashWindow final : public SplashWindow {
public:
    explicit FltkSplashWindow(const Timer1Handler& onTimer1Tick)
        : onTimer1Tick_(onTimer1Tick),
          picture_(DecodeGifPicture(std::span(kSplashPicture, kSplashPictureSize))),
          icon32_(DecodeGifPicture(std::span(kIcon32Picture, kIcon32PictureSize))),
          icon16_(DecodeGifPicture(std::span(kIcon16Picture, kIcon16PictureSize))),
          background_(picture_.pixels.data(), picture_.width, picture_.height, 3),
          icon32Image_(icon32_.pixels.data(), icon32_.width, icon32_.height, 3),
          icon16Image_(icon16_.pixels.data(), icon16_.width, icon16_.height, 3),
          image1Picture_(background_.copy(splash::kImageWidth, splash::kImageHeight)) {}

    FltkSplashWindow(const FltkSplashWindow&) = delete;
    FltkSplashWindow& operator=(const FltkSplashWindow&) = delete;
    ~FltkSplashWindow() override { Fl::remove_timeout(Timer1, this); }

    void Load() {
        const ScreenPoint place = CentredOnWorkArea(splash::kClientWidth, splash::kClientHeight);
        frmSplash_ = std::make_unique<SplashFrame>(place.x, place.y, background_);
        frmSplash_->copy_label(std::string(splash::kCaption).c_str());
        frmSplash_->xclass("pellatone");
        std::array<const Fl_RGB_Image*, 2> icons = {&icon32Image_, &icon16Image_};
        frmSplash_->icons(icons.data(), static_cast<int>(icons.size()));

        auto* Image1 = new Fl_Box(0, 0, splash::kImageWidth, splash::kImageHeight);
        Image1->box(FL_NO_BOX);
        Image1->image(image1Picture_.get());
        frmSplash_->end();

        // The standard frame: sizable, with the title bar's buttons; the controls keep their
        // place when it is sized.
        frmSplash_->size_range(kMinClientWidth, kMinClientHeight);
        frmSplash_->callback(Closed, this);
        frmSplash_->show();
        Fl::add_timeout(kTimer1IntervalSeconds, Timer1, this);
    }

    void Unload() override {
        Fl::remove_timeout(Timer1, this);
        // Hiding destroys the X window; the widget itself goes with this object, since FLTK may
        // still be inside the window's own callback.
        if (frmSplash_ && frmSplash_->shown()) {
            frmSplash_->hide();
            Fl::flush();
        }
    }

    // An error that left Timer1's handler; it goes on once the event loop has returned.
    std::exception_ptr pendingError;

private:
    static void Timer1(void* data) {
        auto* self = static_cast<FltkSplashWindow*>(data);
        try {
            self->onTimer1Tick_(*self);
        } catch (...) {
            self->pendingError = std::current_exception();
            self->Unload();
        }
    }

    static void Closed(Fl_Widget* /*window*/, void* data) {
        // Escape does not close it: only the frame's own close does.
        if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
        static_cast<FltkSplashWindow*>(data)->Unload();
    }

    const Timer1Handler& onTimer1Tick_;
    RgbPicture picture_;
    RgbPicture icon32_;
    RgbPicture icon16_;
    Fl_RGB_Image background_;
    Fl_RGB_Image icon32Image_;
    Fl_RGB_Image icon16Image_;
    std::unique_ptr<Fl_Image> image1Picture_;
    std::unique_ptr<SplashFrame> frmSplash_;
};

}  // namespace

bool RunFltkSplashWindow(const Timer1Handler& onTimer1Tick) {
    if (!DisplayAvailable()) return false;
    FltkSplashWindow splashWindow(onTimer1Tick);
    splashWindow.Load();
    Fl::run();
    splashWindow.Unload();
    if (splashWindow.pendingError) std::rethrow_exception(splashWindow.pendingError);
    return true;
}

}  // namespace pellatone
