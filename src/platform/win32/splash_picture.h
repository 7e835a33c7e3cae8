#pragma once

#include <windows.h>

#include <cstddef>
#include <span>

#include "platform/win32/unique_resource.h"

namespace pellatone::win32 {

// A decoded picture ready for GDI: a device-independent bitmap and its size in pixels.
struct Picture {
    UniqueBitmap bitmap;
    int width = 0;
    int height = 0;
};

// Decodes an encoded picture (GIF, JPEG, BMP) held in memory, through OLE's picture object. Raises
// RunTimeError when the bytes are no still picture OLE can read.
Picture DecodePicture(std::span<const std::byte> encoded);

// The splash window's whole picture, composed once so that it reaches the screen in one copy:
// `background` unscaled from the top-left corner and, over it, the same picture stretched
// (halftone) into a box of `image1` at that corner. It covers both; what neither covers has the
// window colour. Raises RunTimeError when GDI cannot compose it.
Picture ComposeSplashPicture(const Picture& background, SIZE image1);

// The bytes of an RCDATA resource of the running program; they live as long as the program.
std::span<const std::byte> ProgramResourceData(int resourceId);

}  // namespace pellatone::win32
