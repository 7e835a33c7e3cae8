#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "registry/m_registry.h"
#include "registry/registry_backend.h"
#include "registry/registry_value.h"
#include "support/counting_registry_backend.h"

namespace pellatone::testing {

// A backend with one key, which answers as the test scripts it: the key at `keyPath` under `root`
// opens as kOpenedKey (or fails with `openStatus`), lists `names` and answers queries of
// `valueName` from `stored` as the registry would, or else with `replies` in turn. Nothing else is
// there. Listing the root itself, with an empty `keyPath`, gives the same names.
class ScriptedRegistryBackend final : public RegistryBackend {
public:
    static constexpr RegistryKey kOpenedKey = 0x4242;

    struct QueryReply {
        RegistryStatus status;
        std::uint32_t type;
        std::uint32_t size;  // as reported, whatever the buffer
        ByteArray bytes;     // written into the buffer as far as it goes
    };
    struct EnumReply {
        RegistryStatus status;
        std::string bytes;  // written into the name buffer as far as it goes, no terminator added
    };
    struct StoredValue {
        std::uint32_t type;
        ByteArray bytes;
    };

    RegistryStatus OpenKey(RegistryKey at, const std::string& path, RegistryKey& opened) override {
        if (at != root || path != keyPath) return registry_status::kFileNotFound;
        if (openStatus == registry_status::kSuccess) opened = kOpenedKey;
        return openStatus;
    }
    void CloseKey(RegistryKey /*key*/) noexcept override {}
    RegistryStatus EnumKey(RegistryKey key, std::uint32_t index, std::span<char> name) override {
        if (key != kOpenedKey && (key != root || !keyPath.empty())) {
            return registry_status::kInvalidHandle;
        }
        if (index >= names.size()) return registry_status::kNoMoreItems;
        const EnumReply& reply = names[index];
        std::copy_n(reply.bytes.begin(), std::min(reply.bytes.size(), name.size()), name.begin());
        return reply.status;
    }
    RegistryStatus QueryValue(RegistryKey key, const std::string& name, std::uint32_t& type,
                              std::span<std::uint8_t> data, std::uint32_t& size) override {
        if (key != kOpenedKey || name != valueName) return registry_status::kFileNotFound;
        bufferSizes.push_back(data.size());
        if (stored) {
            type = stored->type;
            size = static_cast<std::uint32_t>(stored->bytes.size());
            if (stored->bytes.size() > data.size()) return registry_status::kMoreData;
            std::copy(stored->bytes.begin(), stored->bytes.end(), data.begin());
            return registry_status::kSuccess;
        }
        if (replies.empty()) return registry_status::kFileNotFound;
        const QueryReply reply = replies.front();
        replies.pop_front();
        std::copy_n(reply.bytes.begin(), std::min(reply.bytes.size(), data.size()), data.begin());
        type = reply.type;
        size = reply.size;
        return reply.status;
    }

    RegistryKey root = kHkeyLocalMachine;
    std::string keyPath = "Key";
    std::string valueName = "Value";
    RegistryStatus openStatus = registry_status::kSuccess;
    std::vector<EnumReply> names;
    std::optional<StoredValue> stored;
    std::deque<QueryReply> replies;
    // The size of the buffer each query of the value was given.
    std::vector<std::size_t> bufferSizes;
};

// MRegistry over a scripted backend, counting what goes through it: the test scripts `backend`
// and checks `counted`.
struct ScriptedRegistry {
    std::unique_ptr<ScriptedRegistryBackend> scripted = std::make_unique<ScriptedRegistryBackend>();
    ScriptedRegistryBackend& backend = *scripted;
    std::unique_ptr<CountingRegistryBackend> counting =
        std::make_unique<CountingRegistryBackend>(std::move(scripted));
    CountingRegistryBackend& counted = *counting;
    MRegistry registry{std::move(counting)};
};

// Each test ends with every key MRegistry opened closed again, and nothing else closed.
class ScriptedRegistryTest : public ::testing::Test, public ScriptedRegistry {
protected:
    void TearDown() override {
        EXPECT_EQ(counted.OpenHandleCount(), 0U) << "a key was left open";
        EXPECT_EQ(counted.StrayCloseCount(), 0U) << "something not opened was closed";
    }
};

}  // namespace pellatone::testing
