#pragma once

#include <memory>

#include "registry/registry_value.h"

namespace pellatone {

// The registry the program reads: Windows' own, or on other systems the Java runtimes installed
// on the machine, answering as the registry would.
std::unique_ptr<RegistryAccess> CreateSystemRegistry();

}  // namespace pellatone
