#include "registry/memory_registry_backend.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/run_time_error.h"
#include "registry/m_registry.h"
#include "support/error_of.h"

namespace pellatone {
namespace {

using testing::ErrorOf;
using namespace std::string_literals;

TEST(MemoryRegistryBackend, RefusesToCreateKeysItCouldNotOpen) {
    auto backend = std::make_unique<MemoryRegistryBackend>();
    for (const auto& place :
         std::vector<std::pair<RegistryKey, std::string>>{{0x80000099, "SOFTWARE"},
                                                          {kHkeyLocalMachine, "SOFTWARE\\\\Tests"},
                                                          {kHkeyLocalMachine, "\\SOFTWARE"},
                                                          {kHkeyLocalMachine, "SOFTWARE\\"}}) {
        SCOPED_TRACE(place.second);
        const RunTimeError error = ErrorOf([&] { backend->CreateKey(place.first, place.second); });
        EXPECT_EQ(error.Number(), 5);
        EXPECT_EQ(error.Description(), "Invalid procedure call or argument");
    }
    MRegistry registry(std::move(backend));
    EXPECT_TRUE(registry.RegEnumSubKeys(kHkeyLocalMachine, "").empty());
}

TEST(MemoryRegistryBackend, KeepsTheFirstSpellingOfAName) {
    auto backend = std::make_unique<MemoryRegistryBackend>();
    backend->SetString(kHkeyLocalMachine, "SOFTWARE\\JavaSoft", "A", "1");
    backend->SetString(kHkeyLocalMachine, "software\\JAVASOFT", "a", "2");
    MRegistry registry(std::move(backend));
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, "SOFTWARE"), SubKeyList{"JavaSoft"});
    EXPECT_EQ(registry.RegReadValue(kHkeyLocalMachine, "SOFTWARE\\JavaSoft", "A", nullptr),
              RegistryValue{"2"s});
}

TEST(MemoryRegistryBackend, ListsAKeyAddedAfterAListingInItsPlace) {
    MemoryRegistryBackend backend;
    const std::string key = "SOFTWARE\\JavaSoft";
    for (const char* name : {"b", "D"}) backend.CreateKey(kHkeyLocalMachine, key + "\\" + name);
    const auto listing = [&] {
        std::vector<std::string> names;
        RegistryKey opened = 0;
        EXPECT_EQ(backend.OpenKey(kHkeyLocalMachine, key, opened), registry_status::kSuccess);
        std::vector<char> name(260);
        RegistryStatus status = registry_status::kSuccess;
        for (std::uint32_t index = 0; status == registry_status::kSuccess; ++index) {
            status = backend.EnumKey(opened, index, name);
            if (status == registry_status::kSuccess) names.emplace_back(name.data());
        }
        backend.CloseKey(opened);
        EXPECT_EQ(status, registry_status::kNoMoreItems);
        return names;
    };
    EXPECT_EQ(listing(), (std::vector<std::string>{"b", "D"}));
    backend.CreateKey(kHkeyLocalMachine, key + "\\C");
    EXPECT_EQ(listing(), (std::vector<std::string>{"b", "C", "D"}));
    backend.CreateKey(kHkeyLocalMachine, key + "\\a");
    EXPECT_EQ(listing(), (std::vector<std::string>{"a", "b", "C", "D"}));
}

}  // namespace
}  // namespace pellatone
