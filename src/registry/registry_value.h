#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace pellatone {

// A registry key handle as the registry calls take it: a predefined root or an opened key.
using RegistryKey = std::uintptr_t;
inline constexpr RegistryKey kHkeyLocalMachine = 0x80000002;

using ByteArray = std::vector<std::uint8_t>;

// What reading a value gives: nothing, a text, a byte array or a signed 32-bit integer. A
// caller's default is itself a RegistryValue and comes back as a copy of whatever it holds.
using RegistryValue = std::variant<std::monostate, std::string, ByteArray, std::int32_t>;

// Subkey names in enumeration order; no two equal ignoring case.
using SubKeyList = std::vector<std::string>;

// The ordinary conversion of a value to text: a text unchanged, nothing as empty text, a number
// as its decimal text, a byte array as its bytes taken as text.
std::string RegistryValueToText(const RegistryValue& value);

// The three read operations the program needs, as the Java runtime search sees them.
class RegistryAccess {
public:
    RegistryAccess() = default;
    RegistryAccess(const RegistryAccess&) = delete;
    RegistryAccess& operator=(const RegistryAccess&) = delete;
    virtual ~RegistryAccess() = default;

    // True when the key can be opened for reading.
    [[nodiscard]] virtual bool RegKeyExists(RegistryKey root, const std::string& keyPath) = 0;

    // The key's direct subkey names; empty when the key has none or cannot be opened.
    [[nodiscard]] virtual SubKeyList RegEnumSubKeys(RegistryKey root,
                                                    const std::string& keyPath) = 0;

    // The value's data. The default (or nothing) when the key cannot be opened; RunTimeError
    // 1001 "Unsupported value type" when the value is missing or of an unsupported type.
    [[nodiscard]] virtual RegistryValue RegReadValue(RegistryKey root, const std::string& keyPath,
                                                     const std::string& valueName,
                                                     const RegistryValue* defaultValue) = 0;
};

}  // namespace pellatone
