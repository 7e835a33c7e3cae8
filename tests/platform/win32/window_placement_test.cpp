#include "platform/win32/window_placement.h"

#include <gtest/gtest.h>

namespace pellatone::win32 {
namespace {

struct CentreCase {
    RECT workArea;
    SIZE window;
    RECT expected;
};

class CentredWindowRectTest : public ::testing::TestWithParam<CentreCase> {};

TEST_P(CentredWindowRectTest, CentresInTheWorkArea) {
    const RECT placed = CentredWindowRect(GetParam().workArea, GetParam().window);
    EXPECT_EQ(placed.left, GetParam().expected.left);
    EXPECT_EQ(placed.top, GetParam().expected.top);
    EXPECT_EQ(placed.right, GetParam().expected.right);
    EXPECT_EQ(placed.bottom, GetParam().expected.bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, CentredWindowRectTest,
    ::testing::Values(CentreCase{{0, 0, 1280, 1024}, {503, 550}, {388, 237, 891, 787}},
                      // A task bar on the left or at the top moves the work area's origin.
                      CentreCase{{40, 0, 1920, 1080}, {503, 550}, {728, 265, 1231, 815}},
                      CentreCase{{0, 30, 800, 600}, {503, 550}, {148, 40, 651, 590}},
                      CentreCase{{0, 0, 503, 550}, {503, 550}, {0, 0, 503, 550}},
                      // Larger than the work area, either way: the title bar stays on the screen.
                      CentreCase{{0, 0, 400, 300}, {503, 550}, {0, 0, 503, 550}},
                      CentreCase{{0, 28, 640, 480}, {503, 550}, {0, 28, 503, 578}},
                      CentreCase{{60, 0, 560, 1024}, {503, 550}, {60, 0, 563, 550}}));

}  // namespace
}  // namespace pellatone::win32
