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

// Decodes an encoded picture (GIF and the other formats GDI+ reads) held in memory. Raises
// RunTimeError when the bytes are no picture GDI+ can read.
Picture DecodePicture(std::span<const std::byte> encoded);

// The bytes of an RCDATA resource of the running program; they live as long as the program.
std::span<const std::byte> ProgramResourceData(int resourceId);

}  // namespace pellatone::win32
