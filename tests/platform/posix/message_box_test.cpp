#include "platform/posix/gui/message_box.h"

#include <FL/Fl.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Window.H>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "platform/posix/gui/display.h"
#include "support/table_case.h"

namespace pellatone {
namespace {

using LabelCase = testing::Example<std::string, std::string>;

class BoxLabel : public ::testing::TestWithParam<LabelCase> {};

TEST_P(BoxLabel, ShowsTheTextLiterally) {
    EXPECT_EQ(MessageBoxLabel(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BoxLabel,
    ::testing::Values(LabelCase{"plain", "plain"}, LabelCase{"a\r\nb", "a\nb"},
                      LabelCase{"mail@host @@", "mail@@host @@@@"}, LabelCase{"@\r\n@", "@@\n@@"},
                      LabelCase{"lone\rcr and lone\nlf", "lone\rcr and lone\nlf"}));

// Centred in the work area, unless the window does not fit it either way: then its top-left
// corner goes to the area's, so that its title bar stays on the screen.
TEST(WindowPlacement, CentredOrFromTheTopLeftWhenLargerThanTheWorkArea) {
    // The work area's x, y, width and height; the window's width and height; where it goes.
    const std::vector<std::array<int, 8>> rows{
        {0, 0, 800, 600, 487, 511, 156, 44},  {0, 0, 1024, 740, 487, 511, 268, 114},
        {10, 20, 487, 511, 487, 511, 10, 20}, {0, 0, 640, 480, 487, 511, 0, 0},
        {0, 24, 640, 456, 487, 511, 0, 24},   {30, 0, 400, 600, 487, 300, 30, 0}};
    for (const auto& [x, y, w, h, width, height, placeX, placeY] : rows) {
        const ScreenPoint place = PlaceInWorkArea({x, y, w, h}, width, height);
        EXPECT_EQ(std::pair(place.x, place.y), std::pair(placeX, placeY)) << w << " x " << h;
    }
}

// What the box on the display is made of, seen from inside while it waits for its OK.
struct BoxSeen {
    std::string caption;
    bool modal = false;
    std::vector<std::string> buttons;
};

void LookAtTheBoxAndDismissIt(void* seen) {
    Fl_Window* box = Fl::first_window();
    if (box == nullptr) {
        Fl::repeat_timeout(0.1, LookAtTheBoxAndDismissIt, seen);
        return;
    }
    auto& look = *static_cast<BoxSeen*>(seen);
    look.caption = box->label() != nullptr ? box->label() : "";
    look.modal = box->modal() != 0;
    for (int i = 0; i < box->children(); ++i) {
        const Fl_Widget* child = box->child(i);
        if (dynamic_cast<const Fl_Button*>(child) != nullptr && child->visible() != 0) {
            look.buttons.emplace_back(child->label() != nullptr ? child->label() : "");
        }
    }
    box->hide();
}

// As on Windows: modal, captioned with the program's title, an OK button and nothing else.
TEST(MessageBoxOnTheDisplay, IsModalWithTheTitleAndOneOkButton) {
    if (!DisplayAvailable()) GTEST_SKIP() << "no X display";
    BoxSeen seen;
    Fl::add_timeout(0.2, LookAtTheBoxAndDismissIt, &seen);
    ShowMessageBox("Path not found: /usr/lib/jvm/x/lib/ext/");
    EXPECT_EQ(seen.caption, "Pellatone");
    EXPECT_TRUE(seen.modal);
    EXPECT_THAT(seen.buttons, ::testing::ElementsAre("OK"));
}

}  // namespace
}  // namespace pellatone
