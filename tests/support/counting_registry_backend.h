#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <set>
#include <span>
#include <string>
#include <utility>

#include "registry/registry_backend.h"

namespace pellatone::testing {

// Another backend, counting what is opened, closed and queried through it, so that callers can be
// checked for leaks and extra reads.
class CountingRegistryBackend final : public RegistryBackend {
public:
    explicit CountingRegistryBackend(std::unique_ptr<RegistryBackend> counted)
        : counted_(std::move(counted)) {}

    RegistryStatus OpenKey(RegistryKey root, const std::string& keyPath,
                           RegistryKey& opened) override {
        const RegistryStatus status = counted_->OpenKey(root, keyPath, opened);
        if (status == registry_status::kSuccess) {
            handles_.insert(opened);
            ++opens_;
        }
        return status;
    }
    void CloseKey(RegistryKey key) noexcept override {
        const auto open = handles_.find(key);
        if (open == handles_.end()) {
            ++strayCloses_;
        } else {
            handles_.erase(open);
        }
        counted_->CloseKey(key);
    }
    RegistryStatus EnumKey(RegistryKey key, std::uint32_t index, std::span<char> name) override {
        return counted_->EnumKey(key, index, name);
    }
    RegistryStatus QueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                              std::span<std::uint8_t> data, std::uint32_t& size) override {
        ++queries_;
        return counted_->QueryValue(key, valueName, type, data, size);
    }

    // Handles opened and not yet closed.
    [[nodiscard]] std::size_t OpenHandleCount() const noexcept { return handles_.size(); }
    // CloseKey calls for anything that is not an open handle, a predefined root among them.
    [[nodiscard]] std::size_t StrayCloseCount() const noexcept { return strayCloses_; }
    [[nodiscard]] std::size_t OpenCount() const noexcept { return opens_; }
    [[nodiscard]] std::size_t QueryCount() const noexcept { return queries_; }

private:
    std::unique_ptr<RegistryBackend> counted_;
    // A backend may hand out the same handle for two opens of one key.
    std::multiset<RegistryKey> handles_;
    std::size_t strayCloses_ = 0;
    std::size_t opens_ = 0;
    std::size_t queries_ = 0;
};

}  // namespace pellatone::testing
