#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace pellatone {

// A picture as three bytes (red, green, blue) per pixel, rows from the top.
struct RgbPicture {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels;
};

// Decodes the first frame of a GIF held in memory onto a canvas of the logical screen's size.
// Raises RunTimeError 481 "Invalid picture: <reason>" when the data is not a complete GIF.
RgbPicture DecodeGifPicture(std::span<const unsigned char> data);

// The splash window's whole picture, composed once so that it reaches the screen in one copy:
// `background` with Image1 over its top-left corner, Image1 being the same picture squeezed or
// stretched to `image1Height` rows (each the picture's nearest row, as FLTK's own nearest-neighbour
// copy picks it) and cut at `image1Width` columns. The result has the background's size.
RgbPicture ComposeSplashPicture(RgbPicture background, int image1Width, int image1Height);

}  // namespace pellatone
