// Splitting the built server command line must give back exactly the program, "-classpath", the
// joined class path and the main class, for any Java home and application folder, quotes and
// backslashes included, in both conventions. Splitting arbitrary text must never fail.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/launch/server_command_line.h"
#include "platform/command_line_arguments.h"
#include "support/expected_texts.h"

namespace {

using pellatone::PathConvention;

std::string ExpectedClassPath(std::string_view app, PathConvention convention) {
    const char separator = convention == PathConvention::kWindows ? ';' : ':';
    std::string joined;
    for (const std::string_view jar : pellatone::testing::kVexmoraJars) {
        joined += app;
        joined += pellatone::InConvention("\\Vexmora\\lib\\", convention);
        joined += jar;
        joined += separator;
    }
    joined += app;
    joined += pellatone::InConvention("\\Vexmora", convention);
    return joined;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    (void)pellatone::SplitCommandLine(input);

    // Input: Java home, a NUL, application folder.
    const std::size_t nul = input.find('\0');
    if (nul == std::string_view::npos) return 0;
    const std::string_view javaHome = input.substr(0, nul);
    const std::string_view app = input.substr(nul + 1);

    for (const auto convention : {PathConvention::kWindows, PathConvention::kPosix}) {
        const auto arguments = pellatone::SplitCommandLine(
            pellatone::BuildServerCommandLine(javaHome, app, convention));
        std::string program = "java";
        if (!javaHome.empty()) {
            program = std::string(javaHome) +
                      (convention == PathConvention::kWindows ? "\\bin\\java.exe" : "/bin/java");
        }
        if (arguments.size() != 4 || arguments[0] != program || arguments[1] != "-classpath" ||
            arguments[2] != ExpectedClassPath(app, convention) ||
            arguments[3] != "VEXMORA.Frame11") {
            std::abort();
        }
    }
    return 0;
}
