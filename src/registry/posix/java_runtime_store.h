#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "registry/registry_backend.h"
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

// The registry of a system without one, read-only: the runtimes entered as Java installers enter
// them on Windows. HKEY_LOCAL_MACHINE holds the runtime key (with its parent keys) only when
// there is a runtime; the key has a subkey for each version, listed in case-insensitive name order,
// holding the runtime's folder as the REG_SZ value "JavaHome". Names match ignoring case.
class JavaRuntimeStore final : public RegistryBackend {
public:
    // Versions unique ignoring case, as FindInstalledJavaRuntimes gives them.
    explicit JavaRuntimeStore(std::vector<InstalledJavaRuntime> runtimes);

    RegistryStatus OpenKey(RegistryKey root, const std::string& keyPath,
                           RegistryKey& opened) override;
    void CloseKey(RegistryKey key) noexcept override;
    RegistryStatus EnumKey(RegistryKey key, std::uint32_t index, std::span<char> name) override;
    RegistryStatus QueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                              std::span<std::uint8_t> data, std::uint32_t& size) override;

private:
    // Keys are numbered: 0 is the root, then the keys along the runtime key's path down to it,
    // then the versions. A handle is a key's number past a fixed base.
    [[nodiscard]] std::optional<std::size_t> KeyOf(RegistryKey key) const;
    [[nodiscard]] std::size_t SubKeyCount(std::size_t key) const;
    [[nodiscard]] std::string_view SubKeyName(std::size_t key, std::size_t index) const;

    std::vector<std::string_view> runtimeKeyPath_;
    std::vector<InstalledJavaRuntime> runtimes_;
};

// The registry reads over the store `buildStore` makes, made now. A store that fails to build
// fails every read instead, with the same error: the failure reaches the user where the search
// first reads the registry, as the search's own.
[[nodiscard]] std::unique_ptr<RegistryAccess> RegistryOverStore(
    const std::function<std::unique_ptr<RegistryBackend>()>& buildStore);

}  // namespace pellatone
