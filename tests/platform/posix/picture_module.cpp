// The test programs' side of the picture module.
#include "picture_module.h"

#include <string>
#include <vector>

#include "platform/posix/gui_module.h"
#include "platform/posix/platform_services.h"

namespace pellatone::testing {

RgbPicture DecodeInPictureModule(std::span<const unsigned char> gif) {
    static const PellatonePictureModuleTable* const table =
        reinterpret_cast<PellatonePictureModuleEntry>(LoadModuleEntry(
            RunningProgramFolder() + "/" + kPictureModuleFileName, kPictureModuleEntry))();
    PellatoneGuiStatus status = NoGuiError();
    PellatonePictureModulePicture decoded{};
    table->decode_picture(gif.data(), gif.size(), &decoded, &status);
    RaiseIfFailed(status);
    RgbPicture picture{decoded.width, decoded.height,
                       std::vector<unsigned char>(decoded.pixels, decoded.pixels + decoded.size)};
    table->release_picture(&decoded);
    return picture;
}

}  // namespace pellatone::testing
