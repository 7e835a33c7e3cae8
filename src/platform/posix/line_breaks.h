#pragma once

#include <cstddef>
#include <string_view>

namespace pellatone {

// How many characters the line break starting at `at` takes: 2 for CR LF, 1 for a lone LF or
// CR, 0 where no line break starts. Defined here, as both the program and its windows module
// need it.
inline std::size_t LineBreakLength(std::string_view text, std::size_t at) {
    if (at >= text.size()) return 0;
    if (text[at] == '\n') return 1;
    if (text[at] != '\r') return 0;
    return at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

}  // namespace pellatone
