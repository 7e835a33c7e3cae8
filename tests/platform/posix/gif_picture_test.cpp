#include "platform/posix/gui/gif_picture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/posix/gui/artwork.h"
#include "platform/run_time_error.h"
#include "support/error_of.h"

namespace pellatone {
namespace {

using testing::ErrorOf;

struct Rgb {
    int red;
    int green;
    int blue;
    bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& colour) {
    return out << "rgb(" << colour.red << "," << colour.green << "," << colour.blue << ")";
}

Rgb PixelAt(const XrgbPicture& picture, int x, int y) {
    const std::uint32_t pixel =
        picture.pixels.at((static_cast<std::size_t>(y) * picture.width) + x);
    return {static_cast<int>(pixel >> 16U), static_cast<int>((pixel >> 8U) & 0xFFU),
            static_cast<int>(pixel & 0xFFU)};
}

// A tiny GIF: a screen of `screenWidth` x 1 with a two-colour palette (red, green) and background
// colour 0, holding one 1 x 1 frame at `left` whose pixel has the colour index `index` (0 to 3;
// 2 and 3 lie outside the palette).
std::vector<unsigned char> TinyGif(int screenWidth, int left, int index) {
    std::vector<unsigned char> gif = {'G', 'I', 'F', '8', '9', 'a'};
    const std::array<unsigned char, 13> rest = {static_cast<unsigned char>(screenWidth),
                                                0,
                                                1,
                                                0,
                                                0x80,
                                                0,
                                                0,  // screen, 2-colour table
                                                0xFF,
                                                0,
                                                0,
                                                0,
                                                0xFF,
                                                0};  // red, green
    gif.insert(gif.end(), rest.begin(), rest.end());
    const std::array<unsigned char, 10> descriptor = {
        0x2C, static_cast<unsigned char>(left), 0, 0, 0, 1, 0, 1, 0, 0};
    gif.insert(gif.end(), descriptor.begin(), descriptor.end());
    // LZW with a minimum code size of 2: the 3-bit codes clear (4), the index, end (5).
    const unsigned bits = 4u | (static_cast<unsigned>(index) << 3u) | (5u << 6u);
    const std::array<unsigned char, 6> data = {
        2, 2,   static_cast<unsigned char>(bits & 0xFFu), static_cast<unsigned char>(bits >> 8u),
        0, 0x3B};
    gif.insert(gif.end(), data.begin(), data.end());
    return gif;
}

TEST(GifPicture, FrameColourComesFromThePalette) {
    const XrgbPicture picture = DecodeGifPicture(TinyGif(1, 0, 1));
    ASSERT_EQ(picture.width, 1);
    EXPECT_EQ(PixelAt(picture, 0, 0), (Rgb{0, 255, 0}));
}

TEST(GifPicture, ScreenOutsideTheFrameShowsTheBackgroundColour) {
    const XrgbPicture picture = DecodeGifPicture(TinyGif(3, 1, 1));
    ASSERT_EQ(picture.width, 3);
    EXPECT_EQ(PixelAt(picture, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(PixelAt(picture, 1, 0), (Rgb{0, 255, 0}));
    EXPECT_EQ(PixelAt(picture, 2, 0), (Rgb{255, 0, 0}));
}

TEST(GifPicture, IndexOutsideThePaletteIsInvalid) {
    const RunTimeError error = ErrorOf([] { (void)DecodeGifPicture(TinyGif(1, 0, 3)); });
    EXPECT_EQ(error.Number(), 481);
    EXPECT_EQ(error.Description(), "Invalid picture: colour index outside the palette");
}

class DamagedGif : public ::testing::TestWithParam<std::size_t> {};

// Cuts in the header, the palette, the frame header, the picture data, and the lost trailer.
TEST_P(DamagedGif, TruncatedDataRaisesInvalidPicture) {
    const std::size_t keep = GetParam() == SIZE_MAX ? kSplashPictureSize - 1 : GetParam();
    const std::vector<unsigned char> cut(kSplashPicture, kSplashPicture + keep);
    const RunTimeError error = ErrorOf([&] { (void)DecodeGifPicture(cut); });
    EXPECT_EQ(error.Number(), 481);
    EXPECT_EQ(error.Description().rfind("Invalid picture: ", 0), 0u) << error.Description();
}

INSTANTIATE_TEST_SUITE_P(Cuts, DamagedGif,
                         ::testing::Values(0, 3, 6, 12, 13, 500, 781, 792, 8000, SIZE_MAX));

TEST(GifPicture, WrongSignatureIsNotAGif) {
    std::vector<unsigned char> data(kSplashPicture, kSplashPicture + kSplashPictureSize);
    data[0] = 'P';
    const RunTimeError error = ErrorOf([&] { (void)DecodeGifPicture(data); });
    EXPECT_EQ(error.Number(), 481);
    EXPECT_NE(error.Description().find("GIF"), std::string::npos) << error.Description();
}

// Image1 over the background, composed in place: each picture row filled with its own number.
struct ComposeCase {
    const char* name;
    int height;
    int image1Width;
    int image1Height;
    std::vector<int> firstColumnRows;
    std::vector<int> secondColumnRows;
};

void PrintTo(const ComposeCase& c, std::ostream* out) { *out << c.name; }

class ComposedSplash : public ::testing::TestWithParam<ComposeCase> {};

TEST_P(ComposedSplash, EachRowShowsItsNearestPictureRow) {
    const ComposeCase& c = GetParam();
    XrgbPicture picture{2, c.height, {}};
    for (int row = 0; row < c.height; ++row) picture.pixels.insert(picture.pixels.end(), 2, row);
    const XrgbPicture composed = ComposeSplashPicture(picture, c.image1Width, c.image1Height);
    ASSERT_EQ(composed.height, c.height);
    std::vector<int> firstColumn;
    std::vector<int> secondColumn;
    for (int row = 0; row < c.height; ++row) {
        firstColumn.push_back(PixelAt(composed, 0, row).blue);
        secondColumn.push_back(PixelAt(composed, 1, row).blue);
    }
    EXPECT_EQ(firstColumn, c.firstColumnRows);
    EXPECT_EQ(secondColumn, c.secondColumnRows);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ComposedSplash,
    ::testing::Values(ComposeCase{"Squeezed", 5, 1, 3, {0, 1, 3, 3, 4}, {0, 1, 2, 3, 4}},
                      ComposeCase{"Stretched", 3, 2, 5, {0, 0, 1}, {0, 0, 1}},
                      ComposeCase{"SameHeight", 3, 2, 3, {0, 1, 2}, {0, 1, 2}},
                      ComposeCase{"NoImage1", 3, 0, 3, {0, 1, 2}, {0, 1, 2}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace pellatone
