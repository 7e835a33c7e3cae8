#include "registry/key_name.h"

#include <algorithm>
#include <cstddef>

namespace pellatone {

namespace {

unsigned char UpperAscii(char character) noexcept {
    const auto byte = static_cast<unsigned char>(character);
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - ('a' - 'A')) : byte;
}

}  // namespace

int CompareNamesIgnoringCase(std::string_view left, std::string_view right) noexcept {
    const std::size_t common = std::min(left.size(), right.size());
    for (std::size_t index = 0; index < common; ++index) {
        const unsigned char leftByte = UpperAscii(left[index]);
        const unsigned char rightByte = UpperAscii(right[index]);
        if (leftByte != rightByte) return leftByte < rightByte ? -1 : 1;
    }
    if (left.size() == right.size()) return 0;
    return left.size() < right.size() ? -1 : 1;
}

}  // namespace pellatone
