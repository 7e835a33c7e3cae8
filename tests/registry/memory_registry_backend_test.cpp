#include "registry/memory_registry_backend.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/run_time_error.h"
#include "registry/m_registry.h"

namespace pellatone {
namespace {

using namespace std::string_literals;

void ExpectRunTimeError(const std::function<void()>& operation, int number,
                        const std::string& description) {
    try {
        operation();
        ADD_FAILURE() << "no error raised";
    } catch (const RunTimeError& error) {
        EXPECT_EQ(error.Number(), number);
        EXPECT_EQ(error.Description(), description);
    }
}

TEST(MemoryRegistryBackend, RefusesToCreateKeysItCouldNotOpen) {
    MemoryRegistryBackend backend;
    for (const auto& place :
         std::vector<std::pair<RegistryKey, std::string>>{{0x80000099, "SOFTWARE"},
                                                          {kHkeyLocalMachine, "SOFTWARE\\\\Tests"},
                                                          {kHkeyLocalMachine, "\\SOFTWARE"},
                                                          {kHkeyLocalMachine, "SOFTWARE\\"}}) {
        SCOPED_TRACE(place.second);
        ExpectRunTimeError([&] { backend.CreateKey(place.first, place.second); }, 5,
                           "Invalid procedure call or argument");
    }
    MRegistry registry(backend);
    EXPECT_TRUE(registry.RegEnumSubKeys(kHkeyLocalMachine, "").empty());
}

TEST(MemoryRegistryBackend, KeepsTheFirstSpellingOfAName) {
    MemoryRegistryBackend backend;
    backend.SetString(kHkeyLocalMachine, "SOFTWARE\\JavaSoft", "A", "1");
    backend.SetString(kHkeyLocalMachine, "software\\JAVASOFT", "a", "2");
    MRegistry registry(backend);
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, "SOFTWARE"), SubKeyList{"JavaSoft"});
    EXPECT_EQ(registry.RegReadValue(kHkeyLocalMachine, "SOFTWARE\\JavaSoft", "A", nullptr),
              RegistryValue{"2"s});
}

}  // namespace
}  // namespace pellatone
