#include "registry/win32/registry_backend.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <optional>
#include <vector>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide_text.h"

namespace pellatone {

namespace {

// A 32-bit program reads the 32-bit view unasked: where the 32-bit runtimes, the only ones the
// serial extension's Win32com.dll loads into, register.
constexpr REGSAM kReadAccess = KEY_READ;

// A value that keeps growing between reads is given up on after this many.
constexpr int kQueryAttempts = 8;

using win32::UniqueRegistryKey;

// The portable key handle and the HKEY it stands for are turned into each other here only.
HKEY ToHandle(RegistryKey key) {
    auto bits = static_cast<std::intptr_t>(key);
    // Predefined roots are 32-bit values that a 64-bit process sees sign-extended.
    if (key >= 0x80000000U && key <= 0xFFFFFFFFU) {
        bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(key));
    }
    // A registry handle is an integer that the API carries as a pointer.
    return reinterpret_cast<HKEY>(bits);  // NOLINT(performance-no-int-to-ptr)
}

RegistryKey ToPortable(HKEY key) { return reinterpret_cast<RegistryKey>(key); }

std::optional<std::wstring> ToUtf16(const std::string& text) {
    // The calls take NUL-terminated names: one with a NUL inside names nothing there is.
    if (text.find('\0') != std::string::npos || text.size() > INT_MAX) return std::nullopt;
    return win32::WideFromUtf8(text);
}

bool HoldsText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

RegistryStatus Win32RegistryBackend::OpenKey(RegistryKey root, const std::string& keyPath,
                                             RegistryKey& opened) {
    const std::optional<std::wstring> path = ToUtf16(keyPath);
    if (!path) return registry_status::kFileNotFound;
    UniqueRegistryKey key;
    const LSTATUS status =
        RegOpenKeyExW(ToHandle(root), path->c_str(), 0, kReadAccess, key.Receive());
    // The caller owns the key from here on and gives it back through CloseKey.
    if (status == ERROR_SUCCESS) opened = ToPortable(key.Detach());
    return status;
}

void Win32RegistryBackend::CloseKey(RegistryKey key) noexcept {
    const UniqueRegistryKey closing(ToHandle(key));
}

RegistryStatus Win32RegistryBackend::EnumKey(RegistryKey key, std::uint32_t index,
                                             std::span<char> name) {
    // The limit applies to UTF-16 units, as the ANSI call applies it to bytes: a name of 255
    // characters outside ASCII still fits, though it takes up to three times as many in UTF-8.
    std::array<wchar_t, kSubKeyNameUnits> wide{};
    const LSTATUS status =
        RegEnumKeyW(ToHandle(key), index, wide.data(), static_cast<DWORD>(wide.size()));
    if (status != ERROR_SUCCESS) return status;
    const std::string utf8 =
        win32::Utf8FromWide(std::wstring_view(wide.data(), wcsnlen(wide.data(), wide.size())));
    if (utf8.size() >= name.size()) return registry_status::kMoreData;
    std::copy(utf8.begin(), utf8.end(), name.begin());
    name[utf8.size()] = '\0';
    return registry_status::kSuccess;
}

RegistryStatus Win32RegistryBackend::QueryValue(RegistryKey key, const std::string& valueName,
                                                std::uint32_t& type, std::span<std::uint8_t> data,
                                                std::uint32_t& size) {
    const std::optional<std::wstring> name = ToUtf16(valueName);
    if (!name) return registry_status::kFileNotFound;

    // The whole value is read here, since string data changes size on its way to UTF-8.
    std::vector<BYTE> raw(std::max<std::size_t>(data.size(), 1));
    DWORD rawType = REG_NONE;
    DWORD rawSize = 0;
    LSTATUS status = ERROR_MORE_DATA;
    for (int attempt = 0; attempt < kQueryAttempts && status == ERROR_MORE_DATA; ++attempt) {
        if (attempt > 0) raw.assign(std::max<DWORD>(rawSize, 1), 0);
        rawSize = static_cast<DWORD>(raw.size());
        status =
            RegQueryValueExW(ToHandle(key), name->c_str(), nullptr, &rawType, raw.data(), &rawSize);
    }
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return status;
    type = rawType;
    if (status == ERROR_MORE_DATA) {
        size = rawSize;
        return status;
    }

    std::string converted;
    const std::uint8_t* payload = raw.data();
    std::size_t payloadSize = std::min<std::size_t>(rawSize, raw.size());
    if (HoldsText(rawType)) {
        // An odd last byte is half a character and is dropped.
        std::wstring units(payloadSize / sizeof(wchar_t), L'\0');
        std::memcpy(units.data(), raw.data(), units.size() * sizeof(wchar_t));
        converted = win32::Utf8FromWide(units);
        payload = reinterpret_cast<const std::uint8_t*>(converted.data());
        payloadSize = converted.size();
    }
    size = static_cast<std::uint32_t>(payloadSize);
    if (payloadSize > data.size()) return registry_status::kMoreData;
    std::copy_n(payload, payloadSize, data.begin());
    return registry_status::kSuccess;
}

}  // namespace pellatone
