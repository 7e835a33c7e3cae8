#include "platform/posix/gui/gif_picture.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "platform/run_time_error.h"
#include "platform/unique_resource.h"

namespace pellatone {

namespace {

RunTimeError InvalidPicture(const std::string& reason) {
    return {error_number::kInvalidPicture, "Invalid picture: " + reason};
}

RunTimeError InvalidPicture(int gifError) {
    const char* reason = GifErrorString(gifError);
    return InvalidPicture(reason != nullptr ? reason : "GIF error " + std::to_string(gifError));
}

struct MemoryReader {
    std::span<const unsigned char> data;
    std::size_t position = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int wanted) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    if (wanted <= 0) return 0;
    const std::size_t count =
        std::min(static_cast<std::size_t>(wanted), reader->data.size() - reader->position);
    if (count > 0) std::memcpy(buffer, reader->data.data() + reader->position, count);
    reader->position += count;
    return static_cast<int>(count);
}

void CloseGif(GifFileType* gif) noexcept {
    int ignored = 0;
    // Closing a file read from memory frees memory only; there is nothing to report.
    DGifCloseFile(gif, &ignored);
}
using UniqueGifFile = UniqueResource<GifFileType*, &CloseGif>;

std::uint32_t Xrgb(GifColorType colour) {
    return std::uint32_t{colour.Red} << 16U | std::uint32_t{colour.Green} << 8U | colour.Blue;
}

}  // namespace

XrgbPicture DecodeGifPicture(std::span<const unsigned char> data) {
    MemoryReader reader{.data = data, .position = 0};
    int error = D_GIF_SUCCEEDED;
    const UniqueGifFile file(DGifOpen(&reader, ReadFromMemory, &error));
    if (!file) throw InvalidPicture(error);
    GifFileType* const gif = file.Get();
    if (DGifSlurp(gif) != GIF_OK) throw InvalidPicture(gif->Error);
    if (gif->ImageCount < 1 || gif->SWidth <= 0 || gif->SHeight <= 0) {
        throw InvalidPicture(D_GIF_ERR_NO_IMAG_DSCR);
    }

    const SavedImage& frame = gif->SavedImages[0];
    const GifImageDesc& desc = frame.ImageDesc;
    const ColorMapObject* colours = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    if (colours == nullptr) throw InvalidPicture(D_GIF_ERR_NO_COLOR_MAP);
    // The palette as pixels once; then one look-up per pixel.
    std::array<std::uint32_t, 256> palette{};
    const int colourCount = std::clamp(colours->ColorCount, 0, 256);
    for (int index = 0; index < colourCount; ++index)
        palette.at(index) = Xrgb(colours->Colors[index]);

    XrgbPicture picture;
    picture.width = gif->SWidth;
    picture.height = gif->SHeight;
    picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height);

    // The frame's part of the screen; the rest shows the background colour.
    const int left = std::max(desc.Left, 0);
    const int top = std::max(desc.Top, 0);
    const int right = std::min(desc.Left + desc.Width, picture.width);
    const int bottom = std::min(desc.Top + desc.Height, picture.height);
    if (gif->SColorMap != nullptr && gif->SBackGroundColor < gif->SColorMap->ColorCount &&
        (left > 0 || top > 0 || right < picture.width || bottom < picture.height)) {
        std::ranges::fill(picture.pixels, Xrgb(gif->SColorMap->Colors[gif->SBackGroundColor]));
    }
    for (int y = top; y < bottom; ++y) {
        const GifByteType* indices = frame.RasterBits +
                                     (static_cast<std::size_t>(y - desc.Top) * desc.Width) +
                                     (left - desc.Left);
        std::uint32_t* out = picture.pixels.data() + (static_cast<std::size_t>(y) * picture.width);
        for (int x = left; x < right; ++x, ++indices) {
            if (*indices >= colourCount) throw InvalidPicture("colour index outside the palette");
            out[x] = palette[*indices];
        }
    }
    return picture;
}

XrgbPicture ComposeSplashPicture(XrgbPicture background, int image1Width, int image1Height) {
    const auto width = static_cast<std::size_t>(background.width);
    const auto image1RowPixels =
        static_cast<std::size_t>(std::clamp(image1Width, 0, background.width));
    const int rows = std::min(image1Height, background.height);
    // Composed in place: squeezed, each row shows a picture row at or below it, so the rows go
    // from the top; stretched, one at or above it, so from the bottom. No row is read once
    // overwritten.
    const bool squeezed = image1Height <= background.height;
    for (int step = 0; step < rows; ++step) {
        const int row = squeezed ? step : rows - 1 - step;
        const auto shown = static_cast<std::size_t>(static_cast<long long>(row) *
                                                    background.height / image1Height);
        std::memmove(background.pixels.data() + (row * width),
                     background.pixels.data() + (shown * width), image1RowPixels * 4);
    }
    return background;
}

std::vector<unsigned char> RgbBytes(const XrgbPicture& picture) {
    std::vector<unsigned char> bytes;
    bytes.reserve(picture.pixels.size() * 3);
    for (const std::uint32_t pixel : picture.pixels) {
        bytes.push_back(static_cast<unsigned char>(pixel >> 16U));
        bytes.push_back(static_cast<unsigned char>(pixel >> 8U));
        bytes.push_back(static_cast<unsigned char>(pixel));
    }
    return bytes;
}

}  // namespace pellatone
