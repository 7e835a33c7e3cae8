#include "registry/m_registry.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <set>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/run_time_error.h"
#include "registry/key_name.h"

namespace pellatone {

namespace {

// A key this module opened; closed whichever way the operation ends.
class OpenedKey {
public:
    OpenedKey(RegistryBackend& backend, RegistryKey key) : backend_(backend), key_(key) {}
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;
    ~OpenedKey() { backend_.CloseKey(key_); }

    [[nodiscard]] RegistryKey Get() const noexcept { return key_; }

private:
    RegistryBackend& backend_;
    RegistryKey key_;
};

std::optional<RegistryKey> OpenForReading(RegistryBackend& backend, RegistryKey root,
                                          const std::string& keyPath) {
    RegistryKey opened = 0;
    if (backend.OpenKey(root, keyPath, opened) != registry_status::kSuccess) return std::nullopt;
    return opened;
}

// The first read of a value's data; a subkey name is read into kSubKeyNameBufferSize bytes.
constexpr std::size_t kFirstValueBufferSize = 1024;

std::string_view UpToFirstNul(std::string_view text) {
    return text.substr(0, std::min(text.find('\0'), text.size()));
}

// A multi-string keeps the NULs between its strings; only the terminators really there go (the
// last string's and the list's).
std::string_view WithoutTerminators(std::string_view text) {
    for (int dropped = 0; dropped < 2 && !text.empty() && text.back() == '\0'; ++dropped) {
        text.remove_suffix(1);
    }
    return text;
}

std::int32_t LittleEndianInt32(std::span<const std::uint8_t> buffer) {
    std::uint32_t bits = 0;
    const std::size_t available = std::min<std::size_t>(buffer.size(), 4);
    for (std::size_t index = 0; index < available; ++index) {
        bits |= static_cast<std::uint32_t>(buffer[index]) << (8 * index);
    }
    return static_cast<std::int32_t>(bits);
}

// Turns what a value query left in `buffer` into the value read: `size` is the size the query
// reported and may disagree with the buffer; nothing beyond the buffer is taken. Raises 1001
// "Unsupported value type" for the types the program does not read.
RegistryValue ConvertRegistryData(std::uint32_t type, std::span<const std::uint8_t> buffer,
                                  std::uint32_t size) {
    const std::span<const std::uint8_t> data =
        buffer.first(std::min<std::size_t>(size, buffer.size()));
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    switch (type) {
        // Strings are taken by what they hold, not by their size less one or two bytes, so that a
        // value stored without its terminator keeps its last character.
        case registry_type::kString:
        case registry_type::kExpandString:
            return std::string(UpToFirstNul(text));
        case registry_type::kMultiString:
            return std::string(WithoutTerminators(text));
        case registry_type::kBinary:
            return ByteArray(data.begin(), data.end());
        case registry_type::kDword:
            return LittleEndianInt32(buffer);
        default:
            throw UnsupportedValueType();
    }
}

}  // namespace

bool MRegistry::RegKeyExists(RegistryKey root, const std::string& keyPath) {
    const std::optional<RegistryKey> opened = OpenForReading(*backend_, root, keyPath);
    if (!opened) return false;
    backend_->CloseKey(*opened);
    return true;
}

SubKeyList MRegistry::RegEnumSubKeys(RegistryKey root, const std::string& keyPath) {
    SubKeyList names;
    // An empty path lists the root itself, which stays the caller's to close.
    std::optional<OpenedKey> opened;
    if (!keyPath.empty()) {
        const std::optional<RegistryKey> key = OpenForReading(*backend_, root, keyPath);
        if (!key) return names;
        opened.emplace(*backend_, *key);
    }
    const RegistryKey listed = opened ? opened->Get() : root;
    std::set<std::string, NameLessIgnoringCase> lookupKeys;
    for (std::uint32_t index = 0;; ++index) {
        std::array<char, kSubKeyNameBufferSize> buffer{};
        if (backend_->EnumKey(listed, index, buffer) != registry_status::kSuccess) break;
        std::string name(UpToFirstNul(std::string_view(buffer.data(), buffer.size())));
        if (!lookupKeys.insert(name).second) throw KeyAlreadyAssociated();
        names.push_back(std::move(name));
    }
    return names;
}

RegistryValue MRegistry::RegReadValue(RegistryKey root, const std::string& keyPath,
                                      const std::string& valueName,
                                      const RegistryValue* defaultValue) {
    const std::optional<RegistryKey> key = OpenForReading(*backend_, root, keyPath);
    if (!key) return defaultValue != nullptr ? *defaultValue : RegistryValue{};
    const OpenedKey opened(*backend_, *key);

    std::vector<std::uint8_t> buffer(kFirstValueBufferSize, 0);
    std::uint32_t type = registry_type::kNone;
    auto size = static_cast<std::uint32_t>(buffer.size());
    const RegistryStatus first = backend_->QueryValue(opened.Get(), valueName, type, buffer, size);
    if (first == registry_status::kMoreData) {
        buffer.assign(size, 0);
        // The value may change in between; whatever this reports is bounded by the buffer.
        (void)backend_->QueryValue(opened.Get(), valueName, type, buffer, size);
    } else if (first != registry_status::kSuccess) {
        // A value that is missing or cannot be read has no type.
        throw UnsupportedValueType();
    }
    return ConvertRegistryData(type, buffer, size);
}

}  // namespace pellatone
