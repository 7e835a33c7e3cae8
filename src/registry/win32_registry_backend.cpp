#include "registry/win32_registry_backend.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <optional>
#include <vector>

namespace pellatone {

namespace {

// A 32-bit program reads the 32-bit view unasked: where the 32-bit runtimes, the only ones the
// serial extension's Win32com.dll loads into, register.
constexpr REGSAM kReadAccess = KEY_READ;

// Longest key name the registry allows, in UTF-16 units, plus its terminator.
constexpr DWORD kKeyNameCapacity = 256;
// A value that keeps growing between reads is given up on after this many.
constexpr int kQueryAttempts = 8;

HKEY ToHandle(RegistryKey key) {
    auto bits = static_cast<std::intptr_t>(key);
    // Predefined roots are 32-bit values that a 64-bit process sees sign-extended.
    if (key >= 0x80000000U && key <= 0xFFFFFFFFU) {
        bits = static_cast<std::int32_t>(static_cast<std::uint32_t>(key));
    }
    // A registry handle is an integer that the API carries as a pointer.
    return reinterpret_cast<HKEY>(bits);  // NOLINT(performance-no-int-to-ptr)
}

std::optional<std::wstring> ToUtf16(const std::string& text) {
    // The calls take NUL-terminated names: one with a NUL inside names nothing there is.
    if (text.find('\0') != std::string::npos || text.size() > INT_MAX) return std::nullopt;
    if (text.empty()) return std::wstring();
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                        length);
    return wide;
}

// UTF-16 units to UTF-8 bytes, NULs included.
std::vector<std::uint8_t> ToUtf8(const wchar_t* units, std::size_t count) {
    if (count == 0 || count > INT_MAX) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, units, static_cast<int>(count), nullptr, 0,
                                           nullptr, nullptr);
    if (length <= 0) return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(length));
    WideCharToMultiByte(CP_UTF8, 0, units, static_cast<int>(count),
                        reinterpret_cast<char*>(bytes.data()), length, nullptr, nullptr);
    return bytes;
}

bool HoldsText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

}  // namespace

RegistryStatus Win32RegistryBackend::OpenKey(RegistryKey root, const std::string& keyPath,
                                             RegistryKey& opened) {
    const std::optional<std::wstring> path = ToUtf16(keyPath);
    if (!path) return registry_status::kFileNotFound;
    HKEY key = nullptr;
    const LSTATUS status = RegOpenKeyExW(ToHandle(root), path->c_str(), 0, kReadAccess, &key);
    if (status == ERROR_SUCCESS) opened = reinterpret_cast<RegistryKey>(key);
    return status;
}

void Win32RegistryBackend::CloseKey(RegistryKey key) noexcept { RegCloseKey(ToHandle(key)); }

RegistryStatus Win32RegistryBackend::EnumKey(RegistryKey key, std::uint32_t index,
                                             std::span<char> name) {
    std::array<wchar_t, kKeyNameCapacity> wide{};
    const LSTATUS status = RegEnumKeyW(ToHandle(key), index, wide.data(), kKeyNameCapacity);
    if (status != ERROR_SUCCESS) return status;
    const std::vector<std::uint8_t> utf8 = ToUtf8(wide.data(), wcsnlen(wide.data(), wide.size()));
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

    std::vector<std::uint8_t> converted;
    const std::uint8_t* payload = raw.data();
    std::size_t payloadSize = std::min<std::size_t>(rawSize, raw.size());
    if (HoldsText(rawType)) {
        // An odd last byte is half a character and is dropped.
        std::vector<wchar_t> units(payloadSize / sizeof(wchar_t));
        std::memcpy(units.data(), raw.data(), units.size() * sizeof(wchar_t));
        converted = ToUtf8(units.data(), units.size());
        payload = converted.data();
        payloadSize = converted.size();
    }
    size = static_cast<std::uint32_t>(payloadSize);
    if (payloadSize > data.size()) return registry_status::kMoreData;
    std::copy_n(payload, payloadSize, data.begin());
    return registry_status::kSuccess;
}

}  // namespace pellatone
