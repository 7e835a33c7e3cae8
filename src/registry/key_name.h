#pragma once

#include <string_view>

namespace pellatone {

// Registry names compare as Windows compares them: ignoring case, by their upper-case letters.
// Only ASCII letters are folded; other bytes compare as they are.
[[nodiscard]] int CompareNamesIgnoringCase(std::string_view left, std::string_view right) noexcept;

// Orders names the way the registry lists them.
struct NameLessIgnoringCase {
    using is_transparent = void;
    bool operator()(std::string_view left, std::string_view right) const noexcept {
        return CompareNamesIgnoringCase(left, right) < 0;
    }
};

}  // namespace pellatone
