// The picture module's side: decodes with the windows module's decoder and hands the pixels back
// in memory of its own C runtime.
#include <cstdlib>
#include <cstring>
#include <new>

#include "picture_module.h"
#include "platform/posix/gui/guarded_call.h"

namespace {

void Decode(const unsigned char* gif, std::size_t size, PellatonePictureModulePicture* picture,
            PellatoneGuiStatus* status) {
    *picture = PellatonePictureModulePicture{};
    pellatone::Guarded(status, [&] {
        const pellatone::RgbPicture decoded = pellatone::DecodeGifPicture({gif, size});
        auto* pixels = static_cast<unsigned char*>(std::malloc(decoded.pixels.size() + 1));
        if (pixels == nullptr) throw std::bad_alloc();
        std::memcpy(pixels, decoded.pixels.data(), decoded.pixels.size());
        *picture = {decoded.width, decoded.height, pixels, decoded.pixels.size()};
    });
}

void Release(PellatonePictureModulePicture* picture) {
    std::free(picture->pixels);
    *picture = PellatonePictureModulePicture{};
}

constexpr PellatonePictureModuleTable kTable = {Decode, Release};

}  // namespace

extern "C" const PellatonePictureModuleTable* pellatone_picture_test_open() { return &kTable; }
