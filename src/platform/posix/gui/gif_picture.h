#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace pellatone {

// A picture as one 32-bit word per pixel, rows from the top, with red in bits 16 to 23, green in
// 8 to 15 and blue in 0 to 7: the layout of the TrueColor visual X servers offer today, which
// they take as it is.
struct XrgbPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Decodes the first frame of a GIF held in memory onto a canvas of the logical screen's size.
// Raises RunTimeError 481 "Invalid picture: <reason>" when the data is not a complete GIF.
XrgbPicture DecodeGifPicture(std::span<const unsigned char> data);

// The splash window's whole picture, composed once so that it reaches the screen in one copy:
// `background` with Image1 over its top-left corner, Image1 being the same picture squeezed or
// stretched to `image1Height` rows (each the picture's nearest row, as FLTK's own
// nearest-neighbour copy picks it) and cut at `image1Width` columns. The result has the
// background's size.
XrgbPicture ComposeSplashPicture(XrgbPicture background, int image1Width, int image1Height);

// The picture's pixels as red, green and blue bytes, the form FLTK's RGB images take.
std::vector<unsigned char> RgbBytes(const XrgbPicture& picture);

}  // namespace pellatone
