// The test programs' side of the picture module.
#include "picture_module.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/posix/platform_services.h"
#include "platform/run_time_error.h"

namespace pellatone::testing {

namespace {

const PellatonePictureModuleTable& PictureModule() {
    // Loaded for good, locally, as the program loads its windows module.
    void* module = ::dlopen((RunningProgramFolder() + "/" + kPictureModuleFileName).c_str(),
                            RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    void* entry = module != nullptr ? ::dlsym(module, kPictureModuleEntry) : nullptr;
    if (entry == nullptr) throw std::runtime_error(::dlerror());
    return *reinterpret_cast<PellatonePictureModuleEntry>(entry)();
}

}  // namespace

std::vector<unsigned char> DecodeInPictureModule(std::span<const unsigned char> gif) {
    static const PellatonePictureModuleTable& table = PictureModule();
    PellatoneGuiStatus status{};
    // The pixels go back to the module that allocated them, whatever happens here.
    struct Decoded {
        explicit Decoded(const PellatonePictureModuleTable& owner) : table(owner) {}
        Decoded(const Decoded&) = delete;
        Decoded& operator=(const Decoded&) = delete;
        ~Decoded() { table.release_picture(&picture); }
        const PellatonePictureModuleTable& table;
        PellatonePictureModulePicture picture{};
    } decoded(table);
    table.decode_picture(gif.data(), gif.size(), &decoded.picture, &status);
    if (status.number != 0) throw RunTimeError(status.number, status.description);
    const PellatonePictureModulePicture& pixels = decoded.picture;
    return {pixels.pixels, pixels.pixels + pixels.size};
}

}  // namespace pellatone::testing
