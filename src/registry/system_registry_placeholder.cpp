#include "registry/system_registry.h"

namespace pellatone {

namespace {

// Transitional: a registry with no keys, until the real backends are wired in.
class EmptyRegistry final : public RegistryAccess {
public:
    bool RegKeyExists(RegistryKey /*root*/, const std::string& /*keyPath*/) override {
        return false;
    }
    SubKeyList RegEnumSubKeys(RegistryKey /*root*/, const std::string& /*keyPath*/) override {
        return {};
    }
    RegistryValue RegReadValue(RegistryKey /*root*/, const std::string& /*keyPath*/,
                               const std::string& /*valueName*/,
                               const RegistryValue* defaultValue) override {
        return defaultValue != nullptr ? *defaultValue : RegistryValue{};
    }
};

}  // namespace

std::unique_ptr<RegistryAccess> CreateSystemRegistry() { return std::make_unique<EmptyRegistry>(); }

}  // namespace pellatone
