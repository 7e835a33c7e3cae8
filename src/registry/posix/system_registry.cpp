#include "registry/system_registry.h"
#include "registry/java_runtime_store.h"
#include "registry/m_registry.h"

namespace pellatone {

std::unique_ptr<RegistryAccess> CreateSystemRegistry() {
    return std::make_unique<MRegistry>(
        std::make_unique<JavaRuntimeStore>(StandardJavaRuntimeFolders()));
}

}  // namespace pellatone
