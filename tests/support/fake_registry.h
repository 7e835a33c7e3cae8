#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/run_time_error.h"
#include "registry/registry_value.h"

namespace pellatone::testing {

// A registry at the level the Java runtime search sees it: key paths under one root with ordered
// subkey names and values; any call can be made to fail. Every call is logged, and the roots and
// defaults it was given are kept for inspection.
class FakeRegistry : public RegistryAccess {
public:
    explicit FakeRegistry(std::vector<std::string>& log) : log_(log) {}

    bool RegKeyExists(RegistryKey root, const std::string& keyPath) override {
        log_.push_back("registry key exists: " + keyPath);
        rootsUsed.push_back(root);
        FailIfAsked(failKeyExists);
        return subKeys.count(keyPath) != 0;
    }
    SubKeyList RegEnumSubKeys(RegistryKey root, const std::string& keyPath) override {
        log_.push_back("registry enum subkeys: " + keyPath);
        rootsUsed.push_back(root);
        FailIfAsked(failEnumSubKeys);
        if (onEnumSubKeys) onEnumSubKeys();
        const auto found = subKeys.find(keyPath);
        return found == subKeys.end() ? SubKeyList{} : found->second;
    }
    RegistryValue RegReadValue(RegistryKey root, const std::string& keyPath,
                               const std::string& valueName,
                               const RegistryValue* defaultValue) override {
        log_.push_back("registry read value: " + keyPath + " " + valueName);
        rootsUsed.push_back(root);
        defaultsGiven.push_back(defaultValue != nullptr);
        FailIfAsked(failReadValue);
        const auto found = values.find(keyPath + "|" + valueName);
        if (found != values.end()) return found->second;
        if (subKeys.count(keyPath) == 0) return defaultValue ? *defaultValue : RegistryValue{};
        throw UnsupportedValueType();
    }

    // Key path -> subkey names in enumeration order. A key with no subkeys maps to {}.
    std::map<std::string, SubKeyList> subKeys;
    // "key path|value name" -> value.
    std::map<std::string, RegistryValue> values;
    // Whichever call comes next fails once with this error.
    std::optional<RunTimeError> failNextCall;
    // Every call of that one operation fails with this error.
    std::optional<RunTimeError> failKeyExists;
    std::optional<RunTimeError> failEnumSubKeys;
    std::optional<RunTimeError> failReadValue;
    // Runs at the start of every listing, and may throw anything.
    std::function<void()> onEnumSubKeys;

    std::vector<RegistryKey> rootsUsed;
    std::vector<bool> defaultsGiven;  // one entry per RegReadValue call

private:
    void FailIfAsked(const std::optional<RunTimeError>& operationFailure) {
        if (failNextCall) {
            const RunTimeError error = *failNextCall;
            failNextCall.reset();
            throw error;
        }
        if (operationFailure) throw *operationFailure;
    }
    std::vector<std::string>& log_;
};

}  // namespace pellatone::testing
