#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/run_time_error.h"
#include "registry/registry_value.h"

namespace pellatone::testing {

// A registry at the level the Java runtime search sees it: key paths under HKEY_LOCAL_MACHINE
// with ordered subkey names and values; any call can be made to fail.
class FakeRegistry : public RegistryAccess {
public:
    explicit FakeRegistry(std::vector<std::string>& log) : log_(log) {}

    bool RegKeyExists(RegistryKey /*root*/, const std::string& keyPath) override {
        log_.push_back("registry key exists: " + keyPath);
        if (failNextCall) Fail();
        return subKeys.count(keyPath) != 0;
    }
    SubKeyList RegEnumSubKeys(RegistryKey /*root*/, const std::string& keyPath) override {
        log_.push_back("registry enum subkeys: " + keyPath);
        if (failNextCall) Fail();
        const auto found = subKeys.find(keyPath);
        return found == subKeys.end() ? SubKeyList{} : found->second;
    }
    RegistryValue RegReadValue(RegistryKey /*root*/, const std::string& keyPath,
                               const std::string& valueName,
                               const RegistryValue* defaultValue) override {
        log_.push_back("registry read value: " + keyPath + " " + valueName);
        if (failNextCall) Fail();
        const auto found = values.find(keyPath + "|" + valueName);
        if (found != values.end()) return found->second;
        if (subKeys.count(keyPath) == 0) return defaultValue ? *defaultValue : RegistryValue{};
        throw RunTimeError(error_number::kUnsupportedValueType, "Unsupported value type");
    }

    // Key path -> subkey names in enumeration order. A key with no subkeys maps to {}.
    std::map<std::string, SubKeyList> subKeys;
    // "key path|value name" -> value.
    std::map<std::string, RegistryValue> values;
    std::optional<RunTimeError> failNextCall;

private:
    void Fail() {
        const RunTimeError error = *failNextCall;
        failNextCall.reset();
        throw error;
    }
    std::vector<std::string>& log_;
};

}  // namespace pellatone::testing
