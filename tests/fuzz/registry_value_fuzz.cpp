// Value conversion must stay within the buffer and give a sane value or error 1001 for any type,
// any bytes and any reported size, including sizes that disagree with the buffer and a value
// that changes between the first and the second query.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <variant>

#include "platform/run_time_error.h"
#include "registry/m_registry.h"
#include "registry/registry_backend.h"

namespace {

using pellatone::RegistryKey;
using pellatone::RegistryStatus;

// Reads its answers from the fuzzer's bytes: a status, type and size for each query, then data.
class FuzzedBackend final : public pellatone::RegistryBackend {
public:
    FuzzedBackend(const std::uint8_t* data, std::size_t size) : input_(data, size) {}

    RegistryStatus OpenKey(RegistryKey /*root*/, const std::string& /*keyPath*/,
                           RegistryKey& opened) override {
        opened = 0x1234;
        ++open_;
        return pellatone::registry_status::kSuccess;
    }
    void CloseKey(RegistryKey /*key*/) noexcept override { --open_; }
    RegistryStatus EnumKey(RegistryKey /*key*/, std::uint32_t /*index*/,
                           std::span<char> /*name*/) override {
        return pellatone::registry_status::kNoMoreItems;
    }
    RegistryStatus QueryValue(RegistryKey /*key*/, const std::string& /*valueName*/,
                              std::uint32_t& type, std::span<std::uint8_t> data,
                              std::uint32_t& size) override {
        largestBuffer_ = std::max(largestBuffer_, data.size());
        static constexpr RegistryStatus kStatuses[] = {
            pellatone::registry_status::kSuccess, pellatone::registry_status::kMoreData,
            pellatone::registry_status::kFileNotFound, 5 /* access denied */};
        const RegistryStatus status = kStatuses[Take() % 4];
        type = Take() % 13;
        // Sizes up to 64 KiB, with no regard to the buffer the caller passed.
        size = (static_cast<std::uint32_t>(Take()) << 8 | Take()) % 65536;
        const std::size_t copied = std::min(data.size(), input_.size());
        std::copy_n(input_.begin(), copied, data.begin());
        return status;
    }

    [[nodiscard]] int OpenKeys() const { return open_; }
    [[nodiscard]] std::size_t LargestBuffer() const { return largestBuffer_; }

private:
    std::uint8_t Take() {
        if (input_.empty()) return 0;
        const std::uint8_t byte = input_.front();
        input_ = input_.subspan(1);
        return byte;
    }
    std::span<const std::uint8_t> input_;
    int open_ = 0;
    std::size_t largestBuffer_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto owned = std::make_unique<FuzzedBackend>(data, size);
    const FuzzedBackend& backend = *owned;
    pellatone::MRegistry registry(std::move(owned));
    try {
        const auto value =
            registry.RegReadValue(pellatone::kHkeyLocalMachine, "SOFTWARE\\Fuzz", "Value", nullptr);
        // Nothing comes from beyond the buffers the backend was handed.
        const auto* text = std::get_if<std::string>(&value);
        const auto* bytes = std::get_if<pellatone::ByteArray>(&value);
        if ((text && text->size() > backend.LargestBuffer()) ||
            (bytes && bytes->size() > backend.LargestBuffer())) {
            std::abort();
        }
    } catch (const pellatone::RunTimeError& error) {
        if (error.Number() != 1001) std::abort();
    }
    if (backend.OpenKeys() != 0) std::abort();  // every opened key is closed again
    return 0;
}
