#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "registry/registry_backend.h"
#include "registry/registry_value.h"

namespace pellatone {

namespace registry_error {
inline constexpr int kKeyAlreadyAssociated = 457;
}  // namespace registry_error

// The first read of a value's data; a subkey name is read into kSubKeyNameBufferSize bytes.
inline constexpr std::size_t kFirstValueBufferSize = 1024;

// Turns what a value query left in `buffer` into the value read: `size` is the size the query
// reported and may disagree with the buffer; nothing beyond the buffer is taken. Raises 1001
// "Unsupported value type" for the types the program does not read.
[[nodiscard]] RegistryValue ConvertRegistryData(std::uint32_t type,
                                                std::span<const std::uint8_t> buffer,
                                                std::uint32_t size);

// The three registry reads, over the registry calls of a backend. Every key it opens is closed
// before it returns; a root the caller passes is never closed.
class MRegistry final : public RegistryAccess {
public:
    // Reads through a backend that the caller keeps alive.
    explicit MRegistry(RegistryBackend& backend) : backend_(&backend) {}
    // Reads through a backend of its own.
    explicit MRegistry(std::unique_ptr<RegistryBackend> backend)
        : ownedBackend_(std::move(backend)), backend_(ownedBackend_.get()) {}

    [[nodiscard]] bool RegKeyExists(RegistryKey root, const std::string& keyPath) override;
    [[nodiscard]] SubKeyList RegEnumSubKeys(RegistryKey root, const std::string& keyPath) override;
    [[nodiscard]] RegistryValue RegReadValue(RegistryKey root, const std::string& keyPath,
                                             const std::string& valueName,
                                             const RegistryValue* defaultValue) override;

private:
    std::unique_ptr<RegistryBackend> ownedBackend_;
    RegistryBackend* backend_;
};

}  // namespace pellatone
