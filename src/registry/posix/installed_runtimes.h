#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/run_time_error.h"
#include "registry/registry_value.h"

namespace pellatone {

// The folders that Linux distributions install Java runtimes into.
[[nodiscard]] std::vector<std::filesystem::path> StandardJavaRuntimeFolders();

struct InstalledJavaRuntime {
    std::string version;  // JAVA_VERSION of the runtime's release file, without quotes
    std::string folder;   // the folder as found under its root
};

// The version a runtime's `release` file names on its JAVA_VERSION line; nullopt when the file
// is missing or names none usable as a key name.
[[nodiscard]] std::optional<std::string> ReadJavaVersion(const std::filesystem::path& releaseFile);

// The same from the file's contents, of which only the first 64 KiB count: a line that is not
// complete within them is not read. The version is 1 to 255 characters, without a backslash or
// a NUL.
[[nodiscard]] std::optional<std::string> JavaVersionInRelease(std::string_view contents);

// Each folder directly under the roots that holds a runtime, roots in the order given and
// folders by name. A folder reached twice (through a symlink) and a version seen before count
// only the first time.
[[nodiscard]] std::vector<InstalledJavaRuntime> FindInstalledJavaRuntimes(
    std::span<const std::filesystem::path> rootFolders);

// The registry of a system without one, read-only: the runtimes found answer the three reads of
// the search as Java installers' entries answer them on Windows. The runtime key under
// HKEY_LOCAL_MACHINE is there only when there is a runtime; its subkeys are the versions, listed
// in case-insensitive name order, each holding the runtime's folder as the text value
// "JavaHome". Names match ignoring case; no other key or value is there.
class InstalledRuntimeRegistry final : public RegistryAccess {
public:
    using RuntimeFinder = std::function<std::vector<InstalledJavaRuntime>()>;

    // `findRuntimes` gives versions unique ignoring case, as FindInstalledJavaRuntimes does. It
    // is called once, at the first read that needs it: the look-up would hold back the splash
    // window. When it fails, that read and every later one fail with its error.
    explicit InstalledRuntimeRegistry(RuntimeFinder findRuntimes)
        : findRuntimes_(std::move(findRuntimes)) {}

    [[nodiscard]] bool RegKeyExists(RegistryKey root, const std::string& keyPath) override;
    [[nodiscard]] SubKeyList RegEnumSubKeys(RegistryKey root, const std::string& keyPath) override;
    [[nodiscard]] RegistryValue RegReadValue(RegistryKey root, const std::string& keyPath,
                                             const std::string& valueName,
                                             const RegistryValue* defaultValue) override;

private:
    const std::vector<InstalledJavaRuntime>& Runtimes();
    [[nodiscard]] const InstalledJavaRuntime* RuntimeOf(std::string_view version);

    RuntimeFinder findRuntimes_;
    bool lookedUp_ = false;
    std::vector<InstalledJavaRuntime> runtimes_;
    std::optional<RunTimeError> findError_;
};

}  // namespace pellatone
