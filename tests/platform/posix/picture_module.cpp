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
    // The pixels go back to the module that allocated them, whatever happens here.
    struct Decoded {
        explicit Decoded(const PellatonePictureModuleTable& owner) : table(owner) {}
        Decoded(const Decoded&) = delete;
        Decoded& operator=(const Decoded&) = delete;
        ~Decoded() { table.release_picture(&picture); }
        const PellatonePictureModuleTable& table;
        PellatonePictureModulePicture picture{};
    } decoded(*table);
    table->decode_picture(gif.data(), gif.size(), &decoded.picture, &status);
    RaiseIfFailed(status);
    const PellatonePictureModulePicture& pixels = decoded.picture;
    return {pixels.width, pixels.height,
            std::vector<unsigned char>(pixels.pixels, pixels.pixels + pixels.size)};
}

}  // namespace pellatone::testing
