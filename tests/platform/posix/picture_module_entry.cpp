// The picture module's side: decodes with the windows module's decoder and hands the pixels back
// in memory of its own C runtime.
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "picture_module.h"
#include "platform/posix/gui/guarded_call.h"

namespace {

void Decode(const unsigned char* gif, std::size_t size, PellatonePictureModulePicture* picture,
            PellatoneGuiStatus* status) {
    *picture = PellatonePictureModulePicture{};
    pellatone::Guarded(status, [&] {
        const pellatone::XrgbPicture decoded = pellatone::DecodeGifPicture({gif, size});
        const std::vector<unsigned char> rgb = pellatone::RgbBytes(decoded);
        auto* pixels = static_cast<unsigned char*>(std::malloc(rgb.size() + 1));
        if (pixels == nullptr) throw std::bad_alloc();
        std::memcpy(pixels, rgb.data(), rgb.size());
        *picture = {decoded.width, decoded.height, pixels, rgb.size()};
    });
}

void Release(PellatonePictureModulePicture* picture) {
    std::free(picture->pixels);
    *picture = PellatonePictureModulePicture{};
}

constexpr PellatonePictureModuleTable kTable = {Decode, Release};

}  // namespace

extern "C" const PellatonePictureModuleTable* pellatone_picture_test_open() { return &kTable; }
