#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "registry/registry_backend.h"

namespace pellatone::testing {

// Hands a registry the test's own backend, which the test goes on setting up and inspecting:
// `MRegistry registry(Lend(backend))`. The backend must outlive the registry.
inline std::unique_ptr<RegistryBackend> Lend(RegistryBackend& backend) {
    class Lent final : public RegistryBackend {
    public:
        explicit Lent(RegistryBackend& backend) : backend_(backend) {}
        RegistryStatus OpenKey(RegistryKey root, const std::string& keyPath,
                               RegistryKey& opened) override {
            return backend_.OpenKey(root, keyPath, opened);
        }
        void CloseKey(RegistryKey key) noexcept override { backend_.CloseKey(key); }
        RegistryStatus EnumKey(RegistryKey key, std::uint32_t index,
                               std::span<char> name) override {
            return backend_.EnumKey(key, index, name);
        }
        RegistryStatus QueryValue(RegistryKey key, const std::string& valueName,
                                  std::uint32_t& type, std::span<std::uint8_t> data,
                                  std::uint32_t& size) override {
            return backend_.QueryValue(key, valueName, type, data, size);
        }

    private:
        RegistryBackend& backend_;
    };
    return std::make_unique<Lent>(backend);
}

}  // namespace pellatone::testing
