#pragma once

#include <string_view>

namespace pellatone {

// Reads a decimal number with "." as the separator whatever the user's locale, so that a
// version prefix such as "1.5" means the same everywhere. Leading and trailing blanks are
// allowed, a sign is, nothing else is. Raises RunTimeError 13 "Type mismatch" otherwise.
double TextToNumber(std::string_view text);

}  // namespace pellatone
