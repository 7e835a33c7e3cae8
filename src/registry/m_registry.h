#pragma once

#include <memory>
#include <string>
#include <utility>

#include "registry/registry_backend.h"
#include "registry/registry_value.h"

namespace pellatone {

// The three registry reads, over the registry calls of a backend. Every key it opens is closed
// before it returns; a root the caller passes is never closed.
class MRegistry final : public RegistryAccess {
public:
    explicit MRegistry(std::unique_ptr<RegistryBackend> backend) : backend_(std::move(backend)) {}

    [[nodiscard]] bool RegKeyExists(RegistryKey root, const std::string& keyPath) override;
    [[nodiscard]] SubKeyList RegEnumSubKeys(RegistryKey root, const std::string& keyPath) override;
    [[nodiscard]] RegistryValue RegReadValue(RegistryKey root, const std::string& keyPath,
                                             const std::string& valueName,
                                             const RegistryValue* defaultValue) override;

private:
    std::unique_ptr<RegistryBackend> backend_;
};

}  // namespace pellatone
