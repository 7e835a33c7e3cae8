#pragma once

#include <cstddef>

// The pictures built into the windows module from assets/ (see assets/CMakeLists.txt).
namespace pellatone {

extern const unsigned char kSplashPicture[];
extern const std::size_t kSplashPictureSize;
extern const unsigned char kIcon32Picture[];
extern const std::size_t kIcon32PictureSize;
extern const unsigned char kIcon16Picture[];
extern const std::size_t kIcon16PictureSize;

}  // namespace pellatone
