#include "registry/memory_registry_backend.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "platform/run_time_error.h"

namespace pellatone {

namespace {

// The components of a key path; nothing for an empty path, nullopt when a component is empty.
std::optional<std::vector<std::string_view>> SplitKeyPath(std::string_view keyPath) {
    std::vector<std::string_view> components;
    if (keyPath.empty()) return components;
    while (true) {
        const std::size_t separator = keyPath.find('\\');
        const std::string_view component = keyPath.substr(0, separator);
        if (component.empty()) return std::nullopt;
        components.push_back(component);
        if (separator == std::string_view::npos) return components;
        keyPath.remove_prefix(separator + 1);
    }
}

}  // namespace

MemoryRegistryBackend::Key* MemoryRegistryBackend::Resolve(RegistryKey key) const {
    if (key == kHkeyLocalMachine) return root_.get();
    if (const auto handle = handles_.find(key); handle != handles_.end()) return handle->second;
    return nullptr;
}

MemoryRegistryBackend::Key& MemoryRegistryBackend::Create(RegistryKey root,
                                                          const std::string& keyPath) {
    Key* key = Resolve(root);
    const auto components = SplitKeyPath(keyPath);
    if (key == nullptr || !components) {
        throw InvalidProcedureCall();
    }
    for (const std::string_view component : *components) {
        auto found = key->subKeys.find(component);
        if (found == key->subKeys.end()) {
            std::string name(component);
            found = key->subKeys.emplace(name, std::make_unique<Key>()).first;
            found->second->name = std::move(name);
        }
        key = found->second.get();
    }
    return *key;
}

void MemoryRegistryBackend::CreateKey(RegistryKey root, const std::string& keyPath) {
    (void)Create(root, keyPath);
}

void MemoryRegistryBackend::SetValue(RegistryKey root, const std::string& keyPath,
                                     const std::string& valueName, std::uint32_t type,
                                     std::vector<std::uint8_t> data) {
    Key& key = Create(root, keyPath);
    Value& value = key.values[valueName];
    value.type = type;
    value.data = std::move(data);
}

void MemoryRegistryBackend::SetString(RegistryKey root, const std::string& keyPath,
                                      const std::string& valueName, const std::string& text) {
    std::vector<std::uint8_t> data(text.begin(), text.end());
    data.push_back(0);
    SetValue(root, keyPath, valueName, registry_type::kString, std::move(data));
}

RegistryStatus MemoryRegistryBackend::OpenKey(RegistryKey root, const std::string& keyPath,
                                              RegistryKey& opened) {
    Key* key = Resolve(root);
    if (key == nullptr) return registry_status::kInvalidHandle;
    const auto components = SplitKeyPath(keyPath);
    if (!components) return registry_status::kFileNotFound;
    for (const std::string_view component : *components) {
        const auto found = key->subKeys.find(component);
        if (found == key->subKeys.end()) return registry_status::kFileNotFound;
        key = found->second.get();
    }
    opened = nextHandle_;
    nextHandle_ += 4;
    handles_.emplace(opened, key);
    return registry_status::kSuccess;
}

void MemoryRegistryBackend::CloseKey(RegistryKey key) noexcept { handles_.erase(key); }

RegistryStatus MemoryRegistryBackend::EnumKey(RegistryKey key, std::uint32_t index,
                                              std::span<char> name) {
    const Key* listed = Resolve(key);
    if (listed == nullptr) return registry_status::kInvalidHandle;
    if (index >= listed->subKeys.size()) return registry_status::kNoMoreItems;
    if (listed->listed.size() != listed->subKeys.size()) {
        listed->listed.clear();
        for (const auto& [name, subKey] : listed->subKeys) listed->listed.push_back(subKey.get());
    }
    const std::string& found = listed->listed[index]->name;
    if (found.size() >= kSubKeyNameUnits || found.size() >= name.size()) {
        return registry_status::kMoreData;
    }
    std::copy(found.begin(), found.end(), name.begin());
    name[found.size()] = '\0';
    return registry_status::kSuccess;
}

RegistryStatus MemoryRegistryBackend::QueryValue(RegistryKey key, const std::string& valueName,
                                                 std::uint32_t& type, std::span<std::uint8_t> data,
                                                 std::uint32_t& size) {
    const Key* holder = Resolve(key);
    if (holder == nullptr) return registry_status::kInvalidHandle;
    const auto found = holder->values.find(valueName);
    if (found == holder->values.end()) return registry_status::kFileNotFound;
    const Value& value = found->second;
    type = value.type;
    size = static_cast<std::uint32_t>(value.data.size());
    if (value.data.size() > data.size()) return registry_status::kMoreData;
    std::copy(value.data.begin(), value.data.end(), data.begin());
    return registry_status::kSuccess;
}

}  // namespace pellatone
