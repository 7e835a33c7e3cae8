#pragma once

#include <string>
#include <string_view>

#include "platform/path_convention.h"

namespace pellatone {

// The command line that starts Vexmora: the runtime's java (quoted) or the bare "java", the
// eleven class-path entries under the application folder, each quoted, and the main class.
// Pure text work: nothing is checked, trimmed or added beyond the fixed pieces.
std::string BuildServerCommandLine(std::string_view javaHomeFolder,
                                   std::string_view applicationFolder, PathConvention convention);

}  // namespace pellatone
