#pragma once

#include <cstddef>
#include <string_view>

namespace pellatone {

// How many characters the line break starting at `at` takes: 2 for CR LF, 1 for a lone LF or
// CR, 0 where no line break starts.
std::size_t LineBreakLength(std::string_view text, std::size_t at);

}  // namespace pellatone
