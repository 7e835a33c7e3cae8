// Reading a runtime's release file must give either nothing or a version usable as a key name
// (1 to 255 characters, no backslash, no NUL), and must look no further than the first 64 KiB:
// the input is also read with a padding line before it that puts the limit inside it, and then
// whatever follows the limit must make no difference.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "registry/posix/installed_runtimes.h"

namespace {

constexpr std::size_t kLimit = std::size_t{64} * 1024;

std::optional<std::string> Checked(std::string_view contents) {
    std::optional<std::string> version = pellatone::JavaVersionInRelease(contents);
    if (version && (version->empty() || version->size() > 255 ||
                    version->find_first_of(std::string_view("\\\0", 2)) != std::string::npos)) {
        std::abort();
    }
    return version;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    (void)Checked(input);
    if (size < 2) return 0;

    // A comment line long enough that the limit falls `into` bytes into the rest of the input.
    const std::size_t into =
        ((std::size_t{data[0]} << 8) | data[1]) % std::min(size - 1, kLimit - 2);
    const std::string_view rest = input.substr(2);
    std::string padded = "#" + std::string(kLimit - into - 2, 'x') + "\n";
    padded += rest;
    const std::optional<std::string> whole = Checked(padded);
    const std::string head = padded.substr(0, kLimit);
    if (padded.size() >= kLimit) {
        // The same head with another tail, or with none past the limit, reads the same.
        if (Checked(head) != whole) std::abort();
        if (Checked(head + "\nJAVA_VERSION=\"9\"\n") != whole) std::abort();
    }
    return 0;
}
