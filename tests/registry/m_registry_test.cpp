#include "registry/m_registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/run_time_error.h"
#include "support/error_of.h"
#include "support/scripted_registry_backend.h"
#include "support/table_case.h"

namespace pellatone {
namespace {

using testing::ErrorOf;
using testing::PrintTo;
using testing::ScriptedRegistryTest;
using namespace std::string_literals;

constexpr RegistryStatus kOpenFailures[] = {registry_status::kFileNotFound,
                                            5,  // access denied
                                            registry_status::kInvalidHandle};

ByteArray Bytes(const std::string& text) { return {text.begin(), text.end()}; }

ByteArray Pattern(std::size_t size) {
    ByteArray bytes(size);
    for (std::size_t index = 0; index < size; ++index) {
        bytes[index] = static_cast<std::uint8_t>(index * 7 + 1);
    }
    return bytes;
}

std::string Letters(std::size_t count) {
    std::string text;
    for (std::size_t index = 0; index < count; ++index) text += static_cast<char>('a' + index % 26);
    return text;
}

class RegistryTest : public ScriptedRegistryTest {};

// --- values of every type -------------------------------------------------------------------

struct ValueCase {
    std::string name;
    std::uint32_t type;
    ByteArray data;
    RegistryValue expected;
    std::size_t queries;
};

class ReadValue : public RegistryTest, public ::testing::WithParamInterface<ValueCase> {
protected:
    void SetUp() override { backend.stored = {GetParam().type, GetParam().data}; }
};

TEST_P(ReadValue, ConvertsTheStoredData) {
    const ValueCase& value = GetParam();
    const RegistryValue read = registry.RegReadValue(kHkeyLocalMachine, "Key", "Value", nullptr);
    EXPECT_EQ(read.index(), value.expected.index());
    EXPECT_EQ(read, value.expected);
    EXPECT_EQ(counted.QueryCount(), value.queries);
}

const std::string kLong1023 = Letters(1023);
const std::string kLong1024 = Letters(1024);
const std::string kLong3000 = Letters(3000);

const ValueCase kValueCases[] = {
    {"SzWithTerminator", 1, Bytes("abc\0"s), "abc"s, 1},
    {"SzWithTwoTerminators", 1, Bytes("abc\0\0"s), "abc"s, 1},
    {"SzWithoutTerminator", 1, Bytes("abc"), "abc"s, 1},
    {"SzEndsAtFirstNul", 1, Bytes("ab\0cd\0"s), "ab"s, 1},
    {"SzEmptyData", 1, {}, ""s, 1},
    {"SzOnlyTerminator", 1, Bytes("\0"s), ""s, 1},
    {"SzBytesKeptAsTheyAre", 1, Bytes("C:\\Program Files\\M\xc3\xbcller\0"s),
     "C:\\Program Files\\M\xc3\xbcller"s, 1},
    {"SzOf1024BytesOneQuery", 1, Bytes(kLong1023 + "\0"s), kLong1023, 1},
    {"SzOf1024BytesNoTerminator", 1, Bytes(kLong1024), kLong1024, 1},
    {"SzOf1025BytesTwoQueries", 1, Bytes(kLong1024 + "\0"s), kLong1024, 2},
    {"SzOf3001BytesTwoQueries", 1, Bytes(kLong3000 + "\0"s), kLong3000, 2},
    {"ExpandSzUnexpanded", 2, Bytes("%SystemRoot%\\java\0"s), "%SystemRoot%\\java"s, 1},
    {"ExpandSzWithoutTerminator", 2, Bytes("%JAVA%"), "%JAVA%"s, 1},
    {"ExpandSzEmptyData", 2, {}, ""s, 1},
    {"MultiSzTwoStrings", 7, Bytes("a\0b\0\0"s), "a\0b"s, 1},
    {"MultiSzWithoutListTerminator", 7, Bytes("a\0b\0"s), "a\0b"s, 1},
    {"MultiSzWithoutTerminators", 7, Bytes("a\0b"s), "a\0b"s, 1},
    {"MultiSzDropsAtMostTwoNuls", 7, Bytes("a\0\0\0"s), "a\0"s, 1},
    {"MultiSzEmptyList", 7, Bytes("\0\0"s), ""s, 1},
    {"MultiSzSingleNul", 7, Bytes("\0"s), ""s, 1},
    {"MultiSzEmptyData", 7, {}, ""s, 1},
    {"MultiSzOver1024Bytes", 7, Bytes(kLong1024 + "\0x\0\0"s), kLong1024 + "\0x"s, 2},
    {"BinaryOf3Bytes", 3, ByteArray{0x00, 0xff, 0x10}, ByteArray{0x00, 0xff, 0x10}, 1},
    {"BinaryEmpty", 3, {}, ByteArray{}, 1},
    {"BinaryKeepsNuls", 3, Bytes("a\0\0"s), Bytes("a\0\0"s), 1},
    {"BinaryOf1024BytesOneQuery", 3, Pattern(1024), Pattern(1024), 1},
    {"BinaryOf1025BytesTwoQueries", 3, Pattern(1025), Pattern(1025), 2},
    {"BinaryOf70000Bytes", 3, Pattern(70000), Pattern(70000), 2},
    {"DwordAllOnesIsMinusOne", 4, ByteArray{0xff, 0xff, 0xff, 0xff}, std::int32_t{-1}, 1},
    {"DwordOne", 4, ByteArray{0x01, 0x00, 0x00, 0x00}, std::int32_t{1}, 1},
    {"DwordLittleEndian", 4, ByteArray{0x78, 0x56, 0x34, 0x12}, std::int32_t{0x12345678}, 1},
    {"DwordHighBitIsNegative", 4, ByteArray{0x00, 0x00, 0x00, 0x80}, std::int32_t{INT32_MIN}, 1},
    {"DwordShortIsZeroExtended", 4, ByteArray{0x34, 0x12}, std::int32_t{0x1234}, 1},
    {"DwordLongTakesFirstFour", 4, ByteArray{0x02, 0x00, 0x00, 0x00, 0xff, 0xff}, std::int32_t{2},
     1},
    {"DwordEmptyIsZero", 4, {}, std::int32_t{0}, 1},
};

INSTANTIATE_TEST_SUITE_P(Types, ReadValue, ::testing::ValuesIn(kValueCases), testing::NameOfCase());

std::vector<ValueCase> ValueCasesNamed(std::initializer_list<std::string_view> names) {
    std::vector<ValueCase> rows;
    for (const std::string_view name : names) {
        const auto* row = std::find_if(std::begin(kValueCases), std::end(kValueCases),
                                       [&](const ValueCase& value) { return value.name == name; });
        if (row == std::end(kValueCases)) throw std::out_of_range(std::string(name));
        rows.push_back(*row);
    }
    return rows;
}

// A default never stands in for a value that is there, not even an empty or a zero one, nor one
// read in two queries.
class ReadValueGivenADefault : public ReadValue {};

TEST_P(ReadValueGivenADefault, IgnoresTheDefaultWhenTheKeyOpens) {
    const RegistryValue fallback = "default"s;
    EXPECT_EQ(registry.RegReadValue(kHkeyLocalMachine, "Key", "Value", &fallback),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Types, ReadValueGivenADefault,
                         ::testing::ValuesIn(ValueCasesNamed({"SzWithTerminator", "SzEmptyData",
                                                              "SzOf1025BytesTwoQueries",
                                                              "BinaryEmpty", "DwordEmptyIsZero"})),
                         testing::NameOfCase());

class UnsupportedType : public RegistryTest, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(UnsupportedType, FailsWith1001AndClosesTheKey) {
    backend.stored = {GetParam(), ByteArray{1, 0, 0, 0}};
    const RegistryValue fallback = std::int32_t{5};
    const RunTimeError error =
        ErrorOf([&] { (void)registry.RegReadValue(kHkeyLocalMachine, "Key", "Value", &fallback); });
    EXPECT_EQ(error.Number(), 1001);
    EXPECT_EQ(error.Description(), "Unsupported value type");
    EXPECT_EQ(counted.OpenCount(), 1U);
}

TEST_P(UnsupportedType, FailsAlsoWhenLargerThanTheFirstBuffer) {
    backend.stored = {GetParam(), Pattern(2000)};
    const RunTimeError error =
        ErrorOf([&] { (void)registry.RegReadValue(kHkeyLocalMachine, "Key", "Value", nullptr); });
    EXPECT_EQ(error.Number(), 1001);
    EXPECT_EQ(error.Description(), "Unsupported value type");
    EXPECT_EQ(counted.QueryCount(), 2U);
}

INSTANTIATE_TEST_SUITE_P(Types, UnsupportedType,
                         ::testing::Values(0U, 5U, 6U, 8U, 9U, 10U, 11U, 12U, 0xffffffffU));

// --- keys that do not open ------------------------------------------------------------------

class MissingKeyGivesTheDefault : public RegistryTest,
                                  public ::testing::WithParamInterface<RegistryValue> {};

TEST_P(MissingKeyGivesTheDefault, AsACopy) {
    backend.stored = {1, Bytes("stored\0"s)};
    const RegistryValue fallback = GetParam();
    for (const RegistryStatus status : kOpenFailures) {
        SCOPED_TRACE(status);
        backend.openStatus = status;
        EXPECT_EQ(registry.RegReadValue(kHkeyLocalMachine, "Key", "Value", &fallback), fallback);
    }
    EXPECT_EQ(counted.QueryCount(), 0U);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MissingKeyGivesTheDefault,
                         ::testing::Values(RegistryValue{}, RegistryValue{"C:\\Java"s},
                                           RegistryValue{ByteArray{1, 2}},
                                           RegistryValue{std::int32_t{-7}}));

TEST_F(RegistryTest, MissingKeyWithoutDefaultGivesTheEmptyValue) {
    backend.stored = {1, Bytes("stored\0"s)};
    const RegistryValue read = registry.RegReadValue(kHkeyLocalMachine, "Other", "Value", nullptr);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(read));
}

TEST_F(RegistryTest, KeyExistsWhenItOpensForReading) {
    EXPECT_TRUE(registry.RegKeyExists(kHkeyLocalMachine, "Key"));
    EXPECT_EQ(counted.OpenCount(), 1U);
    for (const RegistryStatus status : kOpenFailures) {
        backend.openStatus = status;
        EXPECT_FALSE(registry.RegKeyExists(kHkeyLocalMachine, "Key")) << status;
    }
}

TEST_F(RegistryTest, KeysThatDoNotOpenGiveAnEmptyList) {
    backend.names = {{0, "1.8\0"s}};
    for (const RegistryStatus status : kOpenFailures) {
        backend.openStatus = status;
        EXPECT_TRUE(registry.RegEnumSubKeys(kHkeyLocalMachine, "Key").empty()) << status;
    }
}

// --- the root itself ------------------------------------------------------------------------

TEST_F(RegistryTest, EmptyKeyPathReadsTheRootsOwnValue) {
    backend.keyPath = "";
    backend.stored = {1, Bytes("root value\0"s)};
    EXPECT_EQ(registry.RegReadValue(kHkeyLocalMachine, "", "Value", nullptr),
              RegistryValue{"root value"s});
    EXPECT_TRUE(registry.RegKeyExists(kHkeyLocalMachine, ""));
}

TEST_F(RegistryTest, EmptyKeyPathListsTheRootWithoutOpeningOrClosingIt) {
    backend.keyPath = "";
    backend.openStatus = 5;  // access denied
    backend.names = {{0, "HARDWARE\0"s}, {0, "SOFTWARE\0"s}};
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, ""), (SubKeyList{"HARDWARE", "SOFTWARE"}));
    EXPECT_EQ(counted.OpenCount(), 0U);
}

// A key the caller opened serves as a root and stays the caller's: it is never closed.
TEST_F(RegistryTest, KeysOpenedByTheCallerServeAsRootsAndStayOpen) {
    constexpr RegistryKey kCallersKey = 0x777;
    backend.root = kCallersKey;
    backend.keyPath = "Sub";
    backend.names = {{0, "Grandchild\0"s}};
    backend.stored = {1, Bytes("below\0"s)};
    EXPECT_TRUE(registry.RegKeyExists(kCallersKey, "Sub"));
    EXPECT_EQ(registry.RegEnumSubKeys(kCallersKey, "Sub"), SubKeyList{"Grandchild"});
    EXPECT_EQ(registry.RegReadValue(kCallersKey, "Sub", "Value", nullptr), RegistryValue{"below"s});
    backend.keyPath = "";
    EXPECT_EQ(registry.RegEnumSubKeys(kCallersKey, ""), SubKeyList{"Grandchild"});
    EXPECT_EQ(counted.OpenCount(), 3U);
}

}  // namespace
}  // namespace pellatone
