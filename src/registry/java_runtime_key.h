#pragma once

#include <string_view>

namespace pellatone {

// Where Java runtime installers list their versions under HKEY_LOCAL_MACHINE, one subkey each,
// named by the version and holding the runtime's folder as the string value "JavaHome".
inline constexpr std::string_view kJavaRuntimeKey = R"(SOFTWARE\JavaSoft\Java Runtime Environment)";
inline constexpr std::string_view kJavaHomeValueName = "JavaHome";

}  // namespace pellatone
