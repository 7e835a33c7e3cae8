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

}  // namespace pellatone
