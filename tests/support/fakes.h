#pragma once

#include <string>
#include <vector>

#include "support/fake_file_system.h"
#include "support/fake_platform.h"
#include "support/fake_registry.h"

namespace pellatone::testing {

// The fakes a Java runtime search, installation or start-up runs against, on one shared log.
struct Fakes {
    std::vector<std::string> log;
    FakePlatform platform{log};
    FakeRegistry registry{log};
    FakeFileSystem fileSystem{log};
};

}  // namespace pellatone::testing
