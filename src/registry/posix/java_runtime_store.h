#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "registry/memory_registry_backend.h"
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

// Enters each runtime as Java installers do on Windows: a subkey of the runtime key named by the
// version, holding the REG_SZ value "JavaHome".
void RegisterJavaRuntimes(MemoryRegistryBackend& store,
                          std::span<const InstalledJavaRuntime> runtimes);

// The registry of a system without one: the Java runtimes installed under the given roots, looked
// up now. Nothing is ever written to disk.
[[nodiscard]] std::unique_ptr<MemoryRegistryBackend> JavaRuntimeStore(
    std::span<const std::filesystem::path> rootFolders);

// The registry reads over the store `buildStore` makes, made now. A store that fails to build
// fails every read instead, with the same error: the failure reaches the user where the search
// first reads the registry, as the search's own.
[[nodiscard]] std::unique_ptr<RegistryAccess> RegistryOverStore(
    const std::function<std::unique_ptr<RegistryBackend>()>& buildStore);

}  // namespace pellatone
