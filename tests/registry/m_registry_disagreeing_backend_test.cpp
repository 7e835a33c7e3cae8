// MRegistry against a backend that reports whatever it is told to: sizes that disagree with the
// buffer, results out of order, names without terminators and duplicate names.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/run_time_error.h"
#include "registry/m_registry.h"
#include "support/error_of.h"
#include "support/scripted_registry_backend.h"
#include "support/table_case.h"

namespace pellatone {
namespace {

using testing::ErrorOf;
using testing::PrintTo;
using testing::ScriptedRegistry;
using testing::ScriptedRegistryTest;
using QueryReply = testing::ScriptedRegistryBackend::QueryReply;
using EnumReply = testing::ScriptedRegistryBackend::EnumReply;
using namespace std::string_literals;

ByteArray Filled(std::size_t size, std::uint8_t byte) { return ByteArray(size, byte); }

struct DisagreementCase {
    std::string name;
    std::vector<QueryReply> replies;
    RegistryValue expected;
    std::vector<std::size_t> bufferSizes;
};

class DisagreeingSizes : public ScriptedRegistryTest,
                         public ::testing::WithParamInterface<DisagreementCase> {};

TEST_P(DisagreeingSizes, StayWithinTheBuffer) {
    backend.replies.assign(GetParam().replies.begin(), GetParam().replies.end());
    EXPECT_EQ(registry.RegReadValue(kHkeyLocalMachine, "Key", "Value", nullptr),
              GetParam().expected);
    EXPECT_EQ(backend.bufferSizes, GetParam().bufferSizes);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, DisagreeingSizes,
    ::testing::Values(DisagreementCase{"SuccessClaimingMoreThanTheBuffer",
                                       {{0, 3, 5000, Filled(1024, 9)}},
                                       Filled(1024, 9),
                                       {1024}},
                      DisagreementCase{"TextClaimingMoreThanTheBufferWithoutNul",
                                       {{0, 1, 0xffffffff, Filled(1024, 'x')}},
                                       std::string(1024, 'x'),
                                       {1024}},
                      DisagreementCase{"SecondQueryClaimsMore",
                                       {{234, 3, 2000, {}}, {0, 3, 4000, Filled(2000, 7)}},
                                       Filled(2000, 7),
                                       {1024, 2000}},
                      DisagreementCase{"ValueGrewBetweenTheQueries",
                                       {{234, 1, 1500, {}}, {234, 1, 3000, Filled(1500, 'y')}},
                                       std::string(1500, 'y'),
                                       {1024, 1500}},
                      DisagreementCase{"ValueShrankBetweenTheQueries",
                                       {{234, 3, 1500, {}}, {0, 3, 2, ByteArray{1, 2}}},
                                       ByteArray{1, 2},
                                       {1024, 1500}},
                      DisagreementCase{"MoreDataWithSizeZero",
                                       {{234, 3, 0, {}}, {0, 3, 10, Filled(10, 1)}},
                                       ByteArray{},
                                       {1024, 0}},
                      DisagreementCase{"DwordInAnEmptySecondBuffer",
                                       {{234, 4, 0, {}}, {0, 4, 4, ByteArray{1, 2, 3, 4}}},
                                       std::int32_t{0},
                                       {1024, 0}},
                      DisagreementCase{"DwordInATwoByteSecondBuffer",
                                       {{234, 4, 2, {}}, {0, 4, 4, ByteArray{0x34, 0x12, 3, 4}}},
                                       std::int32_t{0x1234},
                                       {1024, 2}},
                      DisagreementCase{"DwordReadsFourBytesWhateverTheSize",
                                       {{0, 4, 1, ByteArray{1, 1, 0, 0}}},
                                       std::int32_t{0x0101},
                                       {1024}},
                      DisagreementCase{"TypeChangedBetweenTheQueries",
                                       {{234, 3, 1100, {}}, {0, 1, 4, ByteArray{'a', 'b', 0, 0}}},
                                       "ab"s,
                                       {1024, 1100}},
                      // The second query's result is not examined: a value gone in between reads as
                      // the zero-filled buffer of the type first reported.
                      DisagreementCase{
                          "ValueGoneBeforeTheSecondQuery", {{234, 1, 1100, {}}}, ""s, {1024, 1100}},
                      DisagreementCase{"MultiStringClaimingMore",
                                       {{0, 7, 4000, Filled(1024, 0)}},
                                       std::string(1022, '\0'),
                                       {1024}}),
    testing::NameOfCase());

class FailedFirstQuery : public ScriptedRegistryTest,
                         public ::testing::WithParamInterface<RegistryStatus> {};

// A query that fails reports no type, even if the backend wrote one; a missing value among them.
// The default is no stand-in for a value of a key that opens.
TEST_P(FailedFirstQuery, IsAnUnsupportedValueType) {
    const RegistryValue fallback = "default"s;
    for (const RegistryValue* given : {&fallback, static_cast<const RegistryValue*>(nullptr)}) {
        backend.replies.push_back({GetParam(), 1, 4, ByteArray{'a', 'b', 'c', 0}});
        const RunTimeError error =
            ErrorOf([&] { (void)registry.RegReadValue(kHkeyLocalMachine, "Key", "Value", given); });
        EXPECT_EQ(error.Number(), 1001);
        EXPECT_EQ(error.Description(), "Unsupported value type");
    }
    EXPECT_EQ(backend.bufferSizes.size(), 2U);
}

INSTANTIATE_TEST_SUITE_P(Results, FailedFirstQuery, ::testing::Values(2, 5, 6, 87, 259, -1));

// Random replies of every shape; the sanitizers check that nothing reads outside a buffer.
TEST(DisagreeingReplies, NeverReachBeyondTheBuffer) {
    std::mt19937 random(20240601);
    std::uniform_int_distribution<std::uint32_t> anyType(0, 12);
    std::uniform_int_distribution<std::uint32_t> anySize(0, 4096);
    std::uniform_int_distribution<int> anyByte(0, 255);
    std::uniform_int_distribution<int> anyStatus(0, 3);
    const RegistryStatus statuses[] = {0, 234, 2, 5};
    for (int round = 0; round < 3000; ++round) {
        ScriptedRegistry over;
        testing::ScriptedRegistryBackend& backend = over.backend;
        for (int query = 0; query < 2; ++query) {
            ByteArray bytes(anySize(random));
            for (auto& byte : bytes) byte = static_cast<std::uint8_t>(anyByte(random));
            backend.replies.push_back(
                {statuses[anyStatus(random)], anyType(random), anySize(random), bytes});
        }
        try {
            const RegistryValue read =
                over.registry.RegReadValue(kHkeyLocalMachine, "Key", "Value", nullptr);
            ASSERT_FALSE(backend.bufferSizes.empty());
            const std::size_t largest =
                *std::max_element(backend.bufferSizes.begin(), backend.bufferSizes.end());
            if (const auto* text = std::get_if<std::string>(&read)) {
                EXPECT_LE(text->size(), largest);
            } else if (const auto* bytes = std::get_if<ByteArray>(&read)) {
                EXPECT_LE(bytes->size(), largest);
            }
        } catch (const RunTimeError& error) {
            EXPECT_EQ(error.Number(), 1001);
        }
        EXPECT_EQ(over.counted.OpenHandleCount(), 0U);
    }
}

// --- subkey names as the backend writes them ------------------------------------------------

struct NamesCase {
    std::string name;
    std::vector<EnumReply> names;
    SubKeyList expected;
};

class EnumeratedNames : public ScriptedRegistryTest,
                        public ::testing::WithParamInterface<NamesCase> {};

TEST_P(EnumeratedNames, AreTakenUpToTheirTerminator) {
    backend.names = GetParam().names;
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, "Key"), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Listings, EnumeratedNames,
    ::testing::Values(
        NamesCase{"TerminatedNames", {{0, "1.8\0"s}, {0, "1.6\0junk"s}}, {"1.8", "1.6"}},
        NamesCase{"NameFillingTheWholeBuffer",
                  {{0, std::string(kSubKeyNameBufferSize + 40, 'n')}},
                  {std::string(kSubKeyNameBufferSize, 'n')}},
        NamesCase{"EmptyName", {{0, "\0"s}}, {""}},
        NamesCase{"ErrorStopsTheListing", {{0, "a\0"s}, {5, "b\0"s}, {0, "c\0"s}}, {"a"}},
        NamesCase{"MoreDataStopsTheListing", {{0, "a\0"s}, {234, "b"s}, {0, "c\0"s}}, {"a"}},
        NamesCase{"NoSubKeys", {}, {}}),
    testing::NameOfCase());

class DuplicateNames : public ScriptedRegistryTest,
                       public ::testing::WithParamInterface<std::vector<std::string>> {};

TEST_P(DuplicateNames, FailWith457AndCloseTheKey) {
    for (const std::string& name : GetParam()) backend.names.push_back({0, name + "\0"s});
    const RunTimeError error =
        ErrorOf([&] { (void)registry.RegEnumSubKeys(kHkeyLocalMachine, "Key"); });
    EXPECT_EQ(error.Number(), 457);
    EXPECT_EQ(error.Description(),
              "This key is already associated with an element of this collection");
    EXPECT_EQ(counted.OpenCount(), 1U);
}

INSTANTIATE_TEST_SUITE_P(Names, DuplicateNames,
                         ::testing::Values(std::vector<std::string>{"1.8", "1.8"},
                                           std::vector<std::string>{"Java", "x", "jAVA"},
                                           std::vector<std::string>{"", ""}));

TEST(DuplicateNames, DifferentNamesOfOneLetterCaseAreDistinct) {
    ScriptedRegistry over;
    for (const char* name : {"a", "b", "_", "`", "[", "{"}) {
        over.backend.names.push_back({0, name + "\0"s});
    }
    EXPECT_EQ(over.registry.RegEnumSubKeys(kHkeyLocalMachine, "Key").size(), 6U);
}

}  // namespace
}  // namespace pellatone
