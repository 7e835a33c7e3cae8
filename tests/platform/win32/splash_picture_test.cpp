// The splash window's picture as it is composed before the window shows: the background picture
// with Image1, the same picture stretched, over it.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>
#include <vector>

#include "platform/run_time_error.h"
#include "platform/win32/splash_picture.h"
#include "platform/win32/unique_resource.h"
#include "support/error_of.h"
#include "support/table_case.h"

namespace pellatone::win32 {
namespace {

using testing::ErrorOf;
using testing::PrintTo;

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kBlue = 0x0000FF;

// The window colour as a DIB pixel (0xRRGGBB) rather than a COLORREF (0xBBGGRR).
std::uint32_t WindowColour() {
    const COLORREF colour = GetSysColor(COLOR_BTNFACE);
    return (static_cast<std::uint32_t>(GetRValue(colour)) << 16U) |
           (static_cast<std::uint32_t>(GetGValue(colour)) << 8U) | GetBValue(colour);
}

BITMAPINFO TopDown32BitFormat(int width, int height) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    return format;
}

// A picture whose rows above `split` are red and the others blue.
Picture RedOverBlue(int width, int height, int split) {
    const BITMAPINFO format = TopDown32BitFormat(width, height);
    void* bits = nullptr;
    UniqueBitmap bitmap(CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) throw std::runtime_error("no bitmap");
    auto* pixels = static_cast<std::uint32_t*>(bits);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) pixels[(y * width) + x] = y < split ? kRed : kBlue;
    }
    return {std::move(bitmap), width, height};
}

// The picture's pixels as 0xRRGGBB, top row first.
std::vector<std::uint32_t> PixelsOf(const Picture& picture) {
    BITMAPINFO format = TopDown32BitFormat(picture.width, picture.height);
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(picture.width) * picture.height);
    const UniqueMemoryDeviceContext context(CreateCompatibleDC(nullptr));
    if (!context || GetDIBits(context.Get(), picture.bitmap.Get(), 0, picture.height, pixels.data(),
                              &format, DIB_RGB_COLORS) != picture.height) {
        throw std::runtime_error("the picture's pixels cannot be read");
    }
    for (std::uint32_t& pixel : pixels) pixel &= 0xFFFFFFU;
    return pixels;
}

// A 16 x 16 picture, red above row 8 and blue below, under an Image1 box of 20 x 8: Image1 squeezes
// the red half into rows 0-3 and the blue half into rows 4-7, and is wider than the picture.
constexpr int kPictureSide = 16;
constexpr SIZE kWideImage1{20, 8};

struct PixelCase {
    const char* name;
    int x;
    int y;
    std::uint32_t expected;  // 0 for the window colour
};

class ComposedPixelTest : public ::testing::TestWithParam<PixelCase> {};

TEST_P(ComposedPixelTest, ShowsWhatLiesOnTop) {
    const PixelCase& row = GetParam();
    const Picture composed =
        ComposeSplashPicture(RedOverBlue(kPictureSide, kPictureSide, 8), kWideImage1);
    ASSERT_EQ(composed.width, 20);
    ASSERT_EQ(composed.height, 16);
    const std::uint32_t expected = row.expected == 0 ? WindowColour() : row.expected;
    EXPECT_EQ(PixelsOf(composed).at((row.y * composed.width) + row.x), expected)
        << std::hex << "expected " << expected;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ComposedPixelTest,
    ::testing::Values(
        PixelCase{"Image1TopShowsThePicturesTop", 5, 1, kRed},
        // The background there is red: only the squeezed picture puts blue in Image1's bottom.
        PixelCase{"Image1BottomShowsThePicturesBottom", 5, 6, kBlue},
        PixelCase{"Image1StretchesPastThePicturesWidth", 18, 2, kRed},
        PixelCase{"BelowImage1TheBackgroundShowsUnscaled", 5, 12, kBlue},
        PixelCase{"CoveredByNeitherIsTheWindowColour", 18, 12, 0}),
    testing::NameOfCase{});

TEST(ComposeSplashPictureTest, APictureTooLargeForMemoryIsAnError) {
    const auto compose = [] {
        static_cast<void>(ComposeSplashPicture(RedOverBlue(4, 4, 2), {100000, 100000}));
    };
    const RunTimeError error = ErrorOf(compose);
    EXPECT_EQ(error.Number(), error_number::kSystemError);
    EXPECT_EQ(error.Description(), "The splash picture could not be composed");
}

}  // namespace
}  // namespace pellatone::win32
