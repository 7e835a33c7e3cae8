#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "registry/registry_backend.h"

namespace pellatone {

// The Windows registry through advapi32's Unicode calls, read in its 32-bit view. Names and
// string data are converted between UTF-8 and UTF-16; string sizes count UTF-8 bytes.
class Win32RegistryBackend final : public RegistryBackend {
public:
    RegistryStatus OpenKey(RegistryKey root, const std::string& keyPath,
                           RegistryKey& opened) override;
    void CloseKey(RegistryKey key) noexcept override;
    RegistryStatus EnumKey(RegistryKey key, std::uint32_t index, std::span<char> name) override;
    RegistryStatus QueryValue(RegistryKey key, const std::string& valueName, std::uint32_t& type,
                              std::span<std::uint8_t> data, std::uint32_t& size) override;
};

}  // namespace pellatone
