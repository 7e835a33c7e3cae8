#include "registry/system_registry.h"
#include "registry/m_registry.h"
#include "registry/win32/registry_backend.h"

namespace pellatone {

std::unique_ptr<RegistryAccess> CreateSystemRegistry() {
    return std::make_unique<MRegistry>(std::make_unique<Win32RegistryBackend>());
}

}  // namespace pellatone
