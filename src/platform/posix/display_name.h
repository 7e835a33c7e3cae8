#pragma once

#include <cstdlib>
#include <string_view>

namespace pellatone::posix {

// The X display that DISPLAY names; empty when it is unset or empty, which means no display.
// Both the program and its windows module ask, each on its own side.
inline std::string_view DisplayName() {
    const char* name = std::getenv("DISPLAY");
    return name != nullptr ? std::string_view(name) : std::string_view();
}

}  // namespace pellatone::posix
