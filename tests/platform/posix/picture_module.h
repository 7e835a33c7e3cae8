#pragma once

// A test-only module built from the same picture decoder as the windows module, so that tests can
// decode across a module boundary as the splash window does, and see a RunTimeError raised inside
// a module come back across it. The shipped module carries nothing of this.

#include <cstddef>
#include <span>
#include <vector>

#include "platform/posix/gui/gif_picture.h"
#include "platform/posix/gui_module_abi.h"

extern "C" {

// A decoded picture: width * height pixels of red, green and blue bytes, rows from the top. The
// module allocates the pixels; release_picture hands them back.
struct PellatonePictureModulePicture {
    int width;
    int height;
    unsigned char* pixels;
    std::size_t size;
};

struct PellatonePictureModuleTable {
    void (*decode_picture)(const unsigned char* gif, std::size_t size,
                           PellatonePictureModulePicture* picture, PellatoneGuiStatus* status);
    void (*release_picture)(PellatonePictureModulePicture* picture);
};

using PellatonePictureModuleEntry = const PellatonePictureModuleTable* (*)();
}

namespace pellatone::testing {

// The module's file name, beside the test programs, and its one exported function.
inline constexpr const char* kPictureModuleFileName = "pellatone-picture-test.so";
inline constexpr const char* kPictureModuleEntry = "pellatone_picture_test_open";

// Decodes the GIF inside the module beside the running program into its red, green and blue
// bytes; raises the module's RunTimeError (481 for data that is not a complete GIF) here.
std::vector<unsigned char> DecodeInPictureModule(std::span<const unsigned char> gif);

}  // namespace pellatone::testing
