#include "platform/posix/gui/fltk_splash_window.h"

#include <FL/Fl.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <future>
#include <memory>
#include <span>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/platform_services.h"
#include "platform/posix/gui/artwork.h"
#include "platform/posix/gui/display.h"
#include "platform/posix/gui/gif_picture.h"
#include "platform/unique_resource.h"

namespace pellatone {

namespace {

constexpr double kTimer1IntervalSeconds = splash::kTimer1IntervalMs / 1000.0;
// The frame can be sized down to this much; the picture stays where it is.
constexpr int kMinClientWidth = 100;
constexpr int kMinClientHeight = 60;

void FreeOffscreen(Fl_Offscreen pixmap) noexcept { fl_delete_offscreen(pixmap); }
using UniqueOffscreen = UniqueResource<Fl_Offscreen, &FreeOffscreen>;

// The image structure goes; the pixels stay with their owner.
void DestroyImageHeader(XImage* image) noexcept {
    image->data = nullptr;
    XDestroyImage(image);
}
using UniqueImageHeader = UniqueResource<XImage*, &DestroyImageHeader>;

// Sends the pixels as they are into the drawable FLTK draws to; false, having sent nothing, when
// the display's visual lays pixels out another way. A 32-bit visual would read the unused top
// byte as alpha, and a compositor would show the window see-through.
bool PutXrgbPixels(std::vector<std::uint32_t>& pixels, int width, int height) {
    const XVisualInfo& visual = *fl_visual;
    if (visual.c_class != TrueColor || visual.depth != 24 || visual.red_mask != 0xFF0000 ||
        visual.green_mask != 0xFF00 || visual.blue_mask != 0xFF) {
        return false;
    }
    const UniqueImageHeader image(
        XCreateImage(fl_display, visual.visual, static_cast<unsigned>(visual.depth), ZPixmap, 0,
                     reinterpret_cast<char*>(pixels.data()), static_cast<unsigned>(width),
                     static_cast<unsigned>(height), 32, width * 4));
    if (!image || image.Get()->bits_per_pixel != 32) return false;
    // The pixels are in this machine's byte order; Xlib swaps them for a server of the other.
    image.Get()->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
    XPutImage(fl_display, fl_window, fl_gc, image.Get(), 0, 0, 0, 0, static_cast<unsigned>(width),
              static_cast<unsigned>(height));
    return true;
}

// The splash window's whole picture in a pixmap on the X server, drawn before the window exists:
// sent as it is where the visual allows, else converted by FLTK.
UniqueOffscreen PictureOnServer(XrgbPicture& picture) {
    UniqueOffscreen pixmap(fl_create_offscreen(picture.width, picture.height));
    fl_begin_offscreen(pixmap.Get());
    if (!PutXrgbPixels(picture.pixels, picture.width, picture.height)) {
        fl_draw_image(RgbBytes(picture).data(), 0, 0, picture.width, picture.height, 3);
    }
    fl_end_offscreen();
    return pixmap;
}

// The splash window's pictures, decoded; the splash picture with Image1 composed over it.
struct SplashPictures {
    XrgbPicture picture;
    XrgbPicture icon32;
    XrgbPicture icon16;
};

// The splash window: its picture drawn unscaled from the top-left corner, and the frame's own
// colour where a larger frame reaches past it. The picture is also the X window's background
// when it maps, so the server shows it whole at once, with no round trip to draw it.
class SplashFrame final : public Fl_Window {
public:
    SplashFrame(int x, int y, int width, int height, Fl_Offscreen picture)
        : Fl_Window(x, y, splash::kClientWidth, splash::kClientHeight),
          picture_(picture),
          pictureWidth_(width),
          pictureHeight_(height) {}

    void ShowWithPicture() {
        show();
        // Queued behind the window's map in the same flush: mapped with no background of its
        // own (it has no box), it is painted once, with the picture.
        XSetWindowBackgroundPixmap(fl_display, fl_xid(this), picture_);
        XClearWindow(fl_display, fl_xid(this));
    }

protected:
    void draw() override {
        fl_copy_offscreen(0, 0, std::min(w(), pictureWidth_), std::min(h(), pictureHeight_),
                          picture_, 0, 0);
        fl_color(color());
        if (w() > pictureWidth_) fl_rectf(pictureWidth_, 0, w() - pictureWidth_, h());
        if (h() > pictureHeight_) {
            fl_rectf(0, pictureHeight_, std::min(w(), pictureWidth_), h() - pictureHeight_);
        }
    }

private:
    Fl_Offscreen picture_;
    int pictureWidth_;
    int pictureHeight_;
};

// Only the decoder, which does not touch the display: this may run on a thread of its own.
SplashPictures DecodeSplashPictures() {
    XrgbPicture picture =
        ComposeSplashPicture(DecodeGifPicture(std::span(kSplashPicture, kSplashPictureSize)),
                             splash::kImageWidth, splash::kImageHeight);
    return {.picture = std::move(picture),
            .icon32 = DecodeGifPicture(std::span(kIcon32Picture, kIcon32PictureSize)),
            .icon16 = DecodeGifPicture(std::span(kIcon16Picture, kIcon16PictureSize))};
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
          icon32Rgb_(RgbBytes(pictures_.icon32)),
          icon16Rgb_(RgbBytes(pictures_.icon16)),
          icon32Image_(icon32Rgb_.data(), pictures_.icon32.width, pictures_.icon32.height, 3),
          icon16Image_(icon16Rgb_.data(), pictures_.icon16.width, pictures_.icon16.height, 3) {}

    FltkSplashWindow(const FltkSplashWindow&) = delete;
    FltkSplashWindow& operator=(const FltkSplashWindow&) = delete;
    ~FltkSplashWindow() override { Fl::remove_timeout(Timer1, this); }

    void Load(ScreenPoint place) {
        picture_ = PictureOnServer(pictures_.picture);
        frmSplash_ = std::make_unique<SplashFrame>(place.x, place.y, pictures_.picture.width,
                                                   pictures_.picture.height, picture_.Get());
        // The server holds the picture now.
        pictures_.picture.pixels = {};
        // No box: the window gets no background colour to be painted in before its picture.
        frmSplash_->box(FL_NO_BOX);
        frmSplash_->copy_label(std::string(kApplicationTitle).c_str());
        frmSplash_->xclass("pellatone");
        std::array<const Fl_RGB_Image*, 2> icons = {&icon32Image_, &icon16Image_};
        frmSplash_->icons(icons.data(), static_cast<int>(icons.size()));
        frmSplash_->end();

        // The standard frame: sizable, with the title bar's buttons; the picture keeps its place
        // when it is sized.
        frmSplash_->size_range(kMinClientWidth, kMinClientHeight);
        frmSplash_->callback(Closed, this);
        frmSplash_->ShowWithPicture();
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
    std::vector<unsigned char> icon32Rgb_;
    std::vector<unsigned char> icon16Rgb_;
    Fl_RGB_Image icon32Image_;
    Fl_RGB_Image icon16Image_;
    UniqueOffscreen picture_;
    std::unique_ptr<SplashFrame> frmSplash_;
};

}  // namespace

void PrepareSplashPictures() {
    std::future<SplashPictures>& prepared = PreparedPictures();
    if (prepared.valid()) return;
    try {
        prepared = std::async(std::launch::async, DecodeSplashPictures);
    } catch (const std::system_error&) {
        // No thread to spare: nothing is prepared, and the window decodes them itself when it
        // loads.
        prepared = {};
    }
}

bool RunFltkSplashWindow(const Timer1Handler& onTimer1Tick) {
    if (!DisplayAvailable()) return false;
    // Asked of the server while the pictures may still be decoding.
    const ScreenPoint place = PlaceOnWorkArea(splash::kClientWidth, splash::kClientHeight);
    FltkSplashWindow splashWindow(onTimer1Tick, TakeSplashPictures());
    splashWindow.Load(place);
    Fl::run();
    splashWindow.Unload();
    return true;
}

}  // namespace pellatone
