#include "platform/posix/gui/fltk_splash_window.h"

#include <FL/Fl.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <algorithm>
#include <array>
#include <cstddef>
#include <future>
#include <memory>
#include <span>
#include <string>
#include <system_error>
#include <utility>

#include "platform/platform_services.h"
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
// Image1 covers the picture's top rows and hides them; only the rest of the picture is drawn.
// Drawn straight onto the window, each pixel once, so no buffer the size of the window is made
// and copied before it shows.
class SplashFrame final : public Fl_Window {
public:
    SplashFrame(int x, int y, const RgbPicture& background)
        : Fl_Window(x, y, splash::kClientWidth, splash::kClientHeight), background_(background) {}

protected:
    void draw() override {
        if ((damage() & ~FL_DAMAGE_CHILD) != 0) {
            // The frame's own colour where a larger frame reaches past the picture.
            fl_color(color());
            if (w() > background_.width) {
                fl_rectf(background_.width, 0, w() - background_.width, h());
            }
            if (h() > background_.height) {
                fl_rectf(0, background_.height, std::min(w(), background_.width),
                         h() - background_.height);
            }
            DrawBackground(0, splash::kImageHeight, background_.width,
                           background_.height - splash::kImageHeight);
            DrawBackground(splash::kImageWidth, 0, background_.width - splash::kImageWidth,
                           std::min(splash::kImageHeight, background_.height));
        }
        draw_children();
    }

private:
    // The picture's pixels in that rectangle, at the same place in the window.
    void DrawBackground(int x, int y, int width, int height) {
        if (width <= 0 || height <= 0) return;
        const int rowBytes = background_.width * 3;
        const std::size_t start = (static_cast<std::size_t>(y) * background_.width + x) * 3;
        fl_draw_image(background_.pixels.data() + start, x, y, width, height, 3, rowBytes);
    }

    const RgbPicture& background_;
};

// Image1, a picture control: the picture squeezed to the control's height, each row of the
// control showing the picture's nearest row, as FLTK's own nearest-neighbour copy would pick it;
// drawn straight from the picture's rows, so no squeezed copy is made first. Drawn as a label,
// even an empty one, it would first have FLTK set up the fonts (fontconfig reads all of its
// configuration), which a picture has no need of; a message box does that when it first opens.
// The picture goes to the display in strips: FLTK converts what it is given in a buffer of that
// size, and a small one is reused from strip to strip.
class PictureControl final : public Fl_Widget {
public:
    PictureControl(int x, int y, int width, int height, const RgbPicture& picture)
        : Fl_Widget(x, y, width, height), picture_(picture) {}

protected:
    void draw() override {
        const int rowBytes = picture_.width * 3;
        const int columns = std::min(w(), picture_.width);
        for (int top = 0; top < h();) {
            // As many of the control's rows as show rows that follow each other in the picture.
            const int first = PictureRow(top);
            int rows = 1;
            while (rows < kStripRows && top + rows < h() &&
                   PictureRow(top + rows) == first + rows) {
                ++rows;
            }
            fl_draw_image(picture_.pixels.data() + static_cast<std::size_t>(first) * rowBytes, x(),
                          y() + top, columns, rows, 3, rowBytes);
            top += rows;
        }
    }

private:
    int PictureRow(int row) const {
        return static_cast<int>(static_cast<long long>(row) * picture_.height / h());
    }

    static constexpr int kStripRows = 32;
    const RgbPicture& picture_;
};

// The splash window's pictures, decoded.
struct SplashPictures {
    RgbPicture picture;
    RgbPicture icon32;
    RgbPicture icon16;
};

// Only the decoder, which does not touch the display: this may run on a thread of its own.
SplashPictures DecodeSplashPictures() {
    return {DecodeGifPicture(std::span(kSplashPicture, kSplashPictureSize)),
            DecodeGifPicture(std::span(kIcon32Picture, kIcon32PictureSize)),
            DecodeGifPicture(std::span(kIcon16Picture, kIcon16PictureSize))};
}

std::future<SplashPictures>& PreparedPictures() {
    static std::future<SplashPictures> prepared;
    return prepared;
}

SplashPictures TakeSplashPictures() {
    std::future<SplashPictures>& prepared = PreparedPictures();
    return prepared.valid() ? prepared.get() : DecodeSplashPictures();
}

class FltkSplashWindow final : public SplashWindow {
public:
    FltkSplashWindow(const Timer1Handler& onTimer1Tick, SplashPictures pictures)
        : onTimer1Tick_(onTimer1Tick),
          pictures_(std::move(pictures)),
          icon32Image_(pictures_.icon32.pixels.data(), pictures_.icon32.width,
                       pictures_.icon32.height, 3),
          icon16Image_(pictures_.icon16.pixels.data(), pictures_.icon16.width,
                       pictures_.icon16.height, 3) {}

    FltkSplashWindow(const FltkSplashWindow&) = delete;
    FltkSplashWindow& operator=(const FltkSplashWindow&) = delete;
    ~FltkSplashWindow() override { Fl::remove_timeout(Timer1, this); }

    void Load() {
        const ScreenPoint place = CentredOnWorkArea(splash::kClientWidth, splash::kClientHeight);
        frmSplash_ = std::make_unique<SplashFrame>(place.x, place.y, pictures_.picture);
        frmSplash_->copy_label(std::string(kApplicationTitle).c_str());
        frmSplash_->xclass("pellatone");
        std::array<const Fl_RGB_Image*, 2> icons = {&icon32Image_, &icon16Image_};
        frmSplash_->icons(icons.data(), static_cast<int>(icons.size()));

        // Image1: the picture squeezed to the control's size, in the top-left corner.
        new PictureControl(0, 0, splash::kImageWidth, splash::kImageHeight, pictures_.picture);
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

private:
    static void Timer1(void* data) {
        auto* self = static_cast<FltkSplashWindow*>(data);
        self->onTimer1Tick_(*self);
    }

    static void Closed(Fl_Widget* /*window*/, void* data) {
        // Escape does not close it: only the frame's own close does.
        if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
        static_cast<FltkSplashWindow*>(data)->Unload();
    }

    const Timer1Handler& onTimer1Tick_;
    SplashPictures pictures_;
    Fl_RGB_Image icon32Image_;
    Fl_RGB_Image icon16Image_;
    std::unique_ptr<SplashFrame> frmSplash_;
};

}  // namespace

void PrepareSplashPictures() {
    std::future<SplashPictures>& prepared = PreparedPictures();
    if (prepared.valid()) return;
    try {
        prepared = std::async(std::launch::async, DecodeSplashPictures);
    } catch (const std::system_error&) {
        // No thread to spare: the window decodes them itself when it loads.
    }
}

bool RunFltkSplashWindow(const Timer1Handler& onTimer1Tick) {
    if (!DisplayAvailable()) return false;
    FltkSplashWindow splashWindow(onTimer1Tick, TakeSplashPictures());
    splashWindow.Load();
    Fl::run();
    splashWindow.Unload();
    return true;
}

}  // namespace pellatone
