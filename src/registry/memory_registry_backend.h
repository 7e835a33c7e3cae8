#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "registry/key_name.h"
#include "registry/registry_backend.h"

namespace pellatone {

// A registry held in memory: keys under HKEY_LOCAL_MACHINE, each with subkeys (unique ignoring
// case, listed in case-insensitive name order) and values kept as raw type and bytes.
class MemoryRegistryBackend : public RegistryBackend {
public:
    // Filling the store. Missing keys on the way are created; a name that differs only in case
    // from an existing one reaches the existing key. An unknown root or a path with an empty
    // component raises RunTimeError 5.
    void CreateKey(RegistryKey root, const std::string& keyPath);
    void SetValue(RegistryKey root, const std::string& keyPath, const std::string& valueName,
                  std::uint32_t type, std::vector<std::uint8_t> data);
    void SetString(RegistryKey root, const std::string& keyPath, const std::string& valueName,
                   const std::string& text);

    RegistryStatus OpenKey(RegistryKey root, const std::string& keyPath,
                           RegistryKey& opened) override;
    void CloseKey(RegistryKey key) noexcept override;
    RegistryStatus EnumKey(RegistryKey key, std::uint32_t index, std::span<char> name) override;
    RegistryStatus QueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                              std::span<std::uint8_t> data, std::uint32_t& size) override;

private:
    struct Key;
    struct Value {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> data;
    };
    struct Key {
        std::string name;
        std::map<std::string, std::unique_ptr<Key>, NameLessIgnoringCase> subKeys;
        std::map<std::string, Value, NameLessIgnoringCase> values;
        // The subkeys by enumeration index, so that listing a key takes linear time. Keys are
        // never removed: a size that differs from subKeys' means it must be built anew.
        mutable std::vector<const Key*> listed;
    };

    Key* Resolve(RegistryKey key) const;
    Key& Create(RegistryKey root, const std::string& keyPath);

    std::unique_ptr<Key> root_ = std::make_unique<Key>();  // HKEY_LOCAL_MACHINE
    std::map<RegistryKey, Key*> handles_;
    RegistryKey nextHandle_ = 0x1000;
};

}  // namespace pellatone
