#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "registry/key_name.h"
#include "registry/memory_registry_backend.h"

namespace pellatone::testing {

// The in-memory registry with keys that refuse to be opened, and counts of what is opened,
// closed and queried, so that callers can be checked for leaks and extra reads.
class CountingRegistryBackend : public MemoryRegistryBackend {
public:
    // From now on opening this existing key (by its path from a predefined root) is refused with
    // kAccessDenied.
    void RefuseAccess(RegistryKey root, const std::string& keyPath) {
        CreateKey(root, keyPath);
        refused_.emplace_back(root, keyPath);
    }

    RegistryStatus OpenKey(RegistryKey root, const std::string& keyPath,
                           RegistryKey& opened) override {
        for (const auto& [refusedRoot, refusedPath] : refused_) {
            if (root == refusedRoot && NamesEqualIgnoringCase(keyPath, refusedPath)) {
                return registry_status::kAccessDenied;
            }
        }
        const RegistryStatus status = MemoryRegistryBackend::OpenKey(root, keyPath, opened);
        if (status == registry_status::kSuccess) {
            handles_.insert(opened);
            ++opens_;
        }
        return status;
    }
    void CloseKey(RegistryKey key) noexcept override {
        if (handles_.erase(key) == 0) ++strayCloses_;
        MemoryRegistryBackend::CloseKey(key);
    }
    RegistryStatus QueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                              std::span<std::uint8_t> data, std::uint32_t& size) override {
        ++queries_;
        return MemoryRegistryBackend::QueryValue(key, valueName, type, data, size);
    }

    // Handles opened and not yet closed.
    [[nodiscard]] std::size_t OpenHandleCount() const noexcept { return handles_.size(); }
    // CloseKey calls for anything that is not an open handle, a predefined root among them.
    [[nodiscard]] std::size_t StrayCloseCount() const noexcept { return strayCloses_; }
    [[nodiscard]] std::size_t OpenCount() const noexcept { return opens_; }
    [[nodiscard]] std::size_t QueryCount() const noexcept { return queries_; }

private:
    std::vector<std::pair<RegistryKey, std::string>> refused_;
    std::set<RegistryKey> handles_;
    std::size_t strayCloses_ = 0;
    std::size_t opens_ = 0;
    std::size_t queries_ = 0;
};

}  // namespace pellatone::testing
