#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "registry/registry_value.h"

namespace pellatone {

// Results as the registry calls report them (Windows error codes).
using RegistryStatus = std::int32_t;

namespace registry_status {
inline constexpr RegistryStatus kSuccess = 0;
inline constexpr RegistryStatus kFileNotFound = 2;
inline constexpr RegistryStatus kInvalidHandle = 6;
inline constexpr RegistryStatus kMoreData = 234;
inline constexpr RegistryStatus kNoMoreItems = 259;
}  // namespace registry_status

// Value types as the registry stores them.
namespace registry_type {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kString = 1;
inline constexpr std::uint32_t kExpandString = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kMultiString = 7;
}  // namespace registry_type

// The longest subkey name a listing takes, terminator included, counted in the units of the
// backend's own calls: bytes for the ANSI calls, UTF-16 units for the Unicode calls.
inline constexpr std::size_t kSubKeyNameUnits = 260;
// The UTF-8 buffer a name within that limit fits: one unit takes at most three bytes.
inline constexpr std::size_t kSubKeyNameBufferSize = (kSubKeyNameUnits - 1) * 3 + 1;

// The registry calls MRegistry is written on, one to one with RegOpenKeyEx (KEY_READ),
// RegCloseKey, RegEnumKey and RegQueryValueEx. Texts are UTF-8; string data comes as UTF-8 bytes
// and its sizes are counted in those bytes.
class RegistryBackend {
public:
    RegistryBackend() = default;
    RegistryBackend(const RegistryBackend&) = delete;
    RegistryBackend& operator=(const RegistryBackend&) = delete;
    virtual ~RegistryBackend() = default;

    // Opens `keyPath` under `root` for reading; an empty path opens the root again. On success
    // `opened` receives a handle that the caller closes with CloseKey.
    virtual RegistryStatus OpenKey(RegistryKey root, const std::string& keyPath,
                                   RegistryKey& opened) = 0;

    // Must not fail: it runs while errors unwind.
    virtual void CloseKey(RegistryKey key) noexcept = 0;

    // Writes subkey number `index` in UTF-8, NUL-terminated, into `name`, which holds
    // kSubKeyNameBufferSize bytes. kMoreData when the name and its terminator take more than
    // kSubKeyNameUnits units or do not fit `name`, kNoMoreItems past the last subkey.
    virtual RegistryStatus EnumKey(RegistryKey key, std::uint32_t index, std::span<char> name) = 0;

    // Copies the value's data into `data` and sets `type` and `size`. When the data does not fit,
    // returns kMoreData with `type` set and `size` the bytes needed. Other failures leave `type`.
    virtual RegistryStatus QueryValue(RegistryKey key, const std::string& valueName,
                                      std::uint32_t& type, std::span<std::uint8_t> data,
                                      std::uint32_t& size) = 0;
};

}  // namespace pellatone
