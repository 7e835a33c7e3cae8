#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pellatone {

// The fixed paths of the program are written with backslashes, as Windows spells them; on POSIX
// systems each backslash of such a fixed piece becomes "/". Paths that come from outside (the
// application folder, a Java home) are never converted.
enum class PathConvention : std::uint8_t { kWindows, kPosix };

inline std::string InConvention(std::string_view backslashed, PathConvention convention) {
    std::string result(backslashed);
    if (convention == PathConvention::kPosix) {
        for (char& c : result) {
            if (c == '\\') c = '/';
        }
    }
    return result;
}

}  // namespace pellatone
