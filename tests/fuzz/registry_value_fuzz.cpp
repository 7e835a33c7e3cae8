// Value conversion must stay within the buffer and give a sane value or error 1001 for any type,
// any bytes and any reported size, including sizes that disagree with the buffer and a value
// that changes between the first and the second query.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>
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
        static constexpr RegistryStatus kStatuses[] = {
            pellatone::registry_status::kSuccess, pellatone::registry_status::kMoreData,
            pellatone::registry_status::kFileNotFound, pellatone::registry_status::kAccessDenied};
        const RegistryStatus status = kStatuses[Take() % 4];
        type = Take() % 13;
        // Sizes up to 64 KiB, with no regard to the buffer the caller passed.
        size = (static_cast<std::uint32_t>(Take()) << 8 | Take()) % 65536;
        const std::size_t copied = std::min(data.size(), input_.size());
        std::copy_n(input_.begin(), copied, data.begin());
        return status;
    }

    [[nodiscard]] int OpenKeys() const { return open_; }

private:
    std::uint8_t Take() {
        if (input_.empty()) return 0;
        const std::uint8_t byte = input_.front();
        input_ = input_.subspan(1);
        return byte;
    }
    std::span<const std::uint8_t> input_;
    int open_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The bare conversion, with the whole input as the buffer and a reported size of its own.
    const std::uint32_t reported = data[0] * 257U;
    try {
        const auto value =
            pellatone::ConvertRegistryData(data[1] % 13, {data + 2, size - 2}, reported);
        if (const auto* text = std::get_if<std::string>(&value); text && text->size() > size) {
            std::abort();
        }
    } catch (const pellatone::RunTimeError& error) {
        if (error.Number() != 1001) std::abort();
    }

    // The whole read, over a backend that answers from the input.
    FuzzedBackend backend(data, size);
    pellatone::MRegistry registry(backend);
    try {
        (void)registry.RegReadValue(pellatone::kHkeyLocalMachine, "SOFTWARE\\Fuzz", "Value",
                                    nullptr);
    } catch (const pellatone::RunTimeError& error) {
        if (error.Number() != 1001) std::abort();
    }
    if (backend.OpenKeys() != 0) std::abort();  // every opened key is closed again
    return 0;
}
