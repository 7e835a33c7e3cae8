#include "platform/posix/gui/message_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>

#include <algorithm>

#include "platform/platform_services.h"
#include "platform/posix/gui/display.h"
#include "platform/posix/line_breaks.h"

namespace pellatone {

namespace {

constexpr int kMargin = 16;
constexpr int kMaxTextWidth = 560;
constexpr int kMinTextWidth = 220;
constexpr int kButtonWidth = 90;
constexpr int kButtonHeight = 28;
constexpr Fl_Font kFont = FL_HELVETICA;
constexpr Fl_Fontsize kFontSize = 14;
// FLTK draws a left-aligned label 3 pixels in from each side of its box.
constexpr int kLabelInset = 3;

void Dismiss(Fl_Widget* widget, void* /*unused*/) {
    Fl_Window* window = widget->as_window() != nullptr ? widget->as_window() : widget->window();
    window->hide();
}

}  // namespace

std::string MessageBoxLabel(const std::string& text) {
    std::string label;
    label.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Only CR LF: a lone CR or LF goes to FLTK as it is.
        if (LineBreakLength(text, i) == 2) {
            label += '\n';
            ++i;
        } else if (text[i] == '@') {
            label += "@@";
        } else {
            label += text[i];
        }
    }
    return label;
}

void ShowMessageBox(const std::string& text) {
    const std::string label = MessageBoxLabel(text);

    // Long lines wrap at a readable width; short texts still get a box of decent size.
    fl_font(kFont, kFontSize);
    int textWidth = 0;
    int textHeight = 0;
    fl_measure(label.c_str(), textWidth, textHeight, 1);
    if (textWidth > kMaxTextWidth) {
        textWidth = kMaxTextWidth;
        textHeight = 0;
        fl_measure(label.c_str(), textWidth, textHeight, 1);
    }
    textWidth = std::max(textWidth, kMinTextWidth);
    textHeight = std::max(textHeight, kFontSize + 4);

    const int boxWidth = textWidth + 2 * kLabelInset;
    const int width = boxWidth + 2 * kMargin;
    const int height = textHeight + 3 * kMargin + kButtonHeight;
    const ScreenPoint place = PlaceOnWorkArea(width, height);
    Fl_Window box(place.x, place.y, width, height);
    box.copy_label(std::string(kApplicationTitle).c_str());
    box.xclass("pellatone");
    auto* message = new Fl_Box(kMargin, kMargin, boxWidth, textHeight);
    message->box(FL_NO_BOX);
    message->labelfont(kFont);
    message->labelsize(kFontSize);
    message->align(FL_ALIGN_INSIDE | FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_WRAP);
    message->copy_label(label.c_str());
    auto* ok =
        new Fl_Return_Button(width - kMargin - kButtonWidth, height - kMargin - kButtonHeight,
                             kButtonWidth, kButtonHeight, "OK");
    ok->callback(Dismiss);
    box.end();
    box.callback(Dismiss);
    box.set_modal();
    box.show();
    ok->take_focus();
    while (box.shown()) Fl::wait();
}

}  // namespace pellatone
