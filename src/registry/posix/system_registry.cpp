#include "registry/system_registry.h"
#include "registry/posix/installed_runtimes.h"

namespace pellatone {

std::unique_ptr<RegistryAccess> CreateSystemRegistry() {
    return std::make_unique<InstalledRuntimeRegistry>(
        [] { return FindInstalledJavaRuntimes(StandardJavaRuntimeFolders()); });
}

}  // namespace pellatone
