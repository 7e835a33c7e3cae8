#pragma once

#include <memory>

#include "registry/registry_value.h"

namespace pellatone {

// The registry the program reads: Windows' own, or on other systems a store built from the
// Java runtimes installed on the machine.
std::unique_ptr<RegistryAccess> CreateSystemRegistry();

}  // namespace pellatone
