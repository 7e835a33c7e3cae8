#include "registry/m_registry.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/run_time_error.h"
#include "registry/memory_registry_backend.h"
#include "support/counting_registry_backend.h"
#include "support/error_of.h"
#include "support/table_case.h"

namespace pellatone {
namespace {

using testing::ErrorOf;
using testing::PrintTo;
using namespace std::string_literals;

const std::string kKey = "SOFTWARE\\Tests";

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

class RegistryTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(backend.OpenHandleCount(), 0U) << "a key was left open";
        EXPECT_EQ(backend.StrayCloseCount(), 0U) << "something not opened was closed";
    }

    std::unique_ptr<testing::CountingRegistryBackend> owned =
        std::make_unique<testing::CountingRegistryBackend>();
    testing::CountingRegistryBackend& backend = *owned;
    MRegistry registry{std::move(owned)};
};

// --- values of every type -------------------------------------------------------------------

struct ValueCase {
    std::string name;
    std::uint32_t type;
    ByteArray data;
    RegistryValue expected;
    std::size_t queries;
};

class ReadValue : public RegistryTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(ReadValue, ConvertsTheStoredData) {
    const ValueCase& value = GetParam();
    backend.SetValue(kHkeyLocalMachine, kKey, "Value", value.type, value.data);
    const RegistryValue read = registry.RegReadValue(kHkeyLocalMachine, kKey, "Value", nullptr);
    EXPECT_EQ(read.index(), value.expected.index());
    EXPECT_EQ(read, value.expected);
    EXPECT_EQ(backend.QueryCount(), value.queries);
}

// A default never stands in for a value that is there.
TEST_P(ReadValue, IgnoresTheDefaultWhenTheKeyOpens) {
    const ValueCase& value = GetParam();
    backend.SetValue(kHkeyLocalMachine, kKey, "Value", value.type, value.data);
    const RegistryValue fallback = "default"s;
    EXPECT_EQ(registry.RegReadValue(kHkeyLocalMachine, kKey, "Value", &fallback), value.expected);
}

const std::string kLong1023 = Letters(1023);
const std::string kLong1024 = Letters(1024);
const std::string kLong3000 = Letters(3000);

INSTANTIATE_TEST_SUITE_P(
    Types, ReadValue,
    ::testing::Values(
        ValueCase{"SzWithTerminator", 1, Bytes("abc\0"s), "abc"s, 1},
        ValueCase{"SzWithTwoTerminators", 1, Bytes("abc\0\0"s), "abc"s, 1},
        ValueCase{"SzWithoutTerminator", 1, Bytes("abc"), "abc"s, 1},
        ValueCase{"SzEndsAtFirstNul", 1, Bytes("ab\0cd\0"s), "ab"s, 1},
        ValueCase{"SzEmptyData", 1, {}, ""s, 1},
        ValueCase{"SzOnlyTerminator", 1, Bytes("\0"s), ""s, 1},
        ValueCase{"SzBytesKeptAsTheyAre", 1, Bytes("C:\\Program Files\\M\xc3\xbcller\0"s),
                  "C:\\Program Files\\M\xc3\xbcller"s, 1},
        ValueCase{"SzOf1024BytesOneQuery", 1, Bytes(kLong1023 + "\0"s), kLong1023, 1},
        ValueCase{"SzOf1024BytesNoTerminator", 1, Bytes(kLong1024), kLong1024, 1},
        ValueCase{"SzOf1025BytesTwoQueries", 1, Bytes(kLong1024 + "\0"s), kLong1024, 2},
        ValueCase{"SzOf3001BytesTwoQueries", 1, Bytes(kLong3000 + "\0"s), kLong3000, 2},
        ValueCase{"ExpandSzUnexpanded", 2, Bytes("%SystemRoot%\\java\0"s), "%SystemRoot%\\java"s,
                  1},
        ValueCase{"ExpandSzWithoutTerminator", 2, Bytes("%JAVA%"), "%JAVA%"s, 1},
        ValueCase{"ExpandSzEmptyData", 2, {}, ""s, 1},
        ValueCase{"MultiSzTwoStrings", 7, Bytes("a\0b\0\0"s), "a\0b"s, 1},
        ValueCase{"MultiSzWithoutListTerminator", 7, Bytes("a\0b\0"s), "a\0b"s, 1},
        ValueCase{"MultiSzWithoutTerminators", 7, Bytes("a\0b"s), "a\0b"s, 1},
        ValueCase{"MultiSzDropsAtMostTwoNuls", 7, Bytes("a\0\0\0"s), "a\0"s, 1},
        ValueCase{"MultiSzEmptyList", 7, Bytes("\0\0"s), ""s, 1},
        ValueCase{"MultiSzSingleNul", 7, Bytes("\0"s), ""s, 1},
        ValueCase{"MultiSzEmptyData", 7, {}, ""s, 1},
        ValueCase{"MultiSzOver1024Bytes", 7, Bytes(kLong1024 + "\0x\0\0"s), kLong1024 + "\0x"s, 2},
        ValueCase{"BinaryOf3Bytes", 3, ByteArray{0x00, 0xff, 0x10}, ByteArray{0x00, 0xff, 0x10}, 1},
        ValueCase{"BinaryEmpty", 3, {}, ByteArray{}, 1},
        ValueCase{"BinaryKeepsNuls", 3, Bytes("a\0\0"s), Bytes("a\0\0"s), 1},
        ValueCase{"BinaryOf1024BytesOneQuery", 3, Pattern(1024), Pattern(1024), 1},
        ValueCase{"BinaryOf1025BytesTwoQueries", 3, Pattern(1025), Pattern(1025), 2},
        ValueCase{"BinaryOf70000Bytes", 3, Pattern(70000), Pattern(70000), 2},
        ValueCase{"DwordAllOnesIsMinusOne", 4, ByteArray{0xff, 0xff, 0xff, 0xff}, std::int32_t{-1},
                  1},
        ValueCase{"DwordOne", 4, ByteArray{0x01, 0x00, 0x00, 0x00}, std::int32_t{1}, 1},
        ValueCase{"DwordLittleEndian", 4, ByteArray{0x78, 0x56, 0x34, 0x12},
                  std::int32_t{0x12345678}, 1},
        ValueCase{"DwordHighBitIsNegative", 4, ByteArray{0x00, 0x00, 0x00, 0x80},
                  std::int32_t{INT32_MIN}, 1},
        ValueCase{"DwordShortIsZeroExtended", 4, ByteArray{0x34, 0x12}, std::int32_t{0x1234}, 1},
        ValueCase{"DwordLongTakesFirstFour", 4, ByteArray{0x02, 0x00, 0x00, 0x00, 0xff, 0xff},
                  std::int32_t{2}, 1},
        ValueCase{"DwordEmptyIsZero", 4, {}, std::int32_t{0}, 1}),
    testing::NameOfCase());

class UnsupportedType : public RegistryTest, public ::testing::WithParamInterface<std::uint32_t> {};

TEST_P(UnsupportedType, FailsWith1001AndClosesTheKey) {
    backend.SetValue(kHkeyLocalMachine, kKey, "Value", GetParam(), ByteArray{1, 0, 0, 0});
    const RegistryValue fallback = std::int32_t{5};
    const RunTimeError error =
        ErrorOf([&] { (void)registry.RegReadValue(kHkeyLocalMachine, kKey, "Value", &fallback); });
    EXPECT_EQ(error.Number(), 1001);
    EXPECT_EQ(error.Description(), "Unsupported value type");
    EXPECT_EQ(backend.OpenCount(), 1U);
}

TEST_P(UnsupportedType, FailsAlsoWhenLargerThanTheFirstBuffer) {
    backend.SetValue(kHkeyLocalMachine, kKey, "Value", GetParam(), Pattern(2000));
    const RunTimeError error =
        ErrorOf([&] { (void)registry.RegReadValue(kHkeyLocalMachine, kKey, "Value", nullptr); });
    EXPECT_EQ(error.Number(), 1001);
    EXPECT_EQ(error.Description(), "Unsupported value type");
    EXPECT_EQ(backend.QueryCount(), 2U);
}

INSTANTIATE_TEST_SUITE_P(Types, UnsupportedType,
                         ::testing::Values(0U, 5U, 6U, 8U, 9U, 10U, 11U, 12U, 0xffffffffU));

// --- missing keys and values ----------------------------------------------------------------

class MissingKeyGivesTheDefault : public RegistryTest,
                                  public ::testing::WithParamInterface<RegistryValue> {};

TEST_P(MissingKeyGivesTheDefault, AsACopy) {
    backend.SetString(kHkeyLocalMachine, kKey, "Value", "stored");
    backend.RefuseAccess(kHkeyLocalMachine, kKey + "\\Locked");
    const RegistryValue fallback = GetParam();
    for (const auto& [root, path] :
         std::vector<std::pair<RegistryKey, std::string>>{{kHkeyLocalMachine, kKey + "\\Missing"},
                                                          {kHkeyLocalMachine, kKey + "\\Locked"},
                                                          {kHkeyLocalMachine, "SOFTWARE\\\\Tests"},
                                                          {0x80000099, kKey},
                                                          {0, kKey}}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(registry.RegReadValue(root, path, "Value", &fallback), fallback);
    }
    EXPECT_EQ(backend.QueryCount(), 0U);
}

INSTANTIATE_TEST_SUITE_P(Kinds, MissingKeyGivesTheDefault,
                         ::testing::Values(RegistryValue{}, RegistryValue{"C:\\Java"s},
                                           RegistryValue{ByteArray{1, 2}},
                                           RegistryValue{std::int32_t{-7}}));

TEST_F(RegistryTest, MissingKeyWithoutDefaultGivesTheEmptyValue) {
    const RegistryValue read = registry.RegReadValue(kHkeyLocalMachine, kKey, "Value", nullptr);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(read));
}

TEST_F(RegistryTest, MissingValueFailsEvenWithADefault) {
    backend.SetString(kHkeyLocalMachine, kKey, "Other", "x");
    const RegistryValue fallback = "default"s;
    for (const RegistryValue* given : {&fallback, static_cast<const RegistryValue*>(nullptr)}) {
        const RunTimeError error =
            ErrorOf([&] { (void)registry.RegReadValue(kHkeyLocalMachine, kKey, "Value", given); });
        EXPECT_EQ(error.Number(), 1001);
        EXPECT_EQ(error.Description(), "Unsupported value type");
    }
}

TEST_F(RegistryTest, ValueNamesIgnoreCase) {
    backend.SetString(kHkeyLocalMachine, kKey, "JavaHome", "C:\\Java");
    EXPECT_EQ(registry.RegReadValue(kHkeyLocalMachine, "software\\TESTS", "javahome", nullptr),
              RegistryValue{"C:\\Java"s});
}

TEST_F(RegistryTest, EmptyKeyPathReadsTheRootsOwnValue) {
    backend.SetString(kHkeyLocalMachine, "", "Top", "root value");
    EXPECT_EQ(registry.RegReadValue(kHkeyLocalMachine, "", "Top", nullptr),
              RegistryValue{"root value"s});
}

TEST_F(RegistryTest, KeysOpenedByTheCallerServeAsRootsAndStayOpen) {
    backend.SetString(kHkeyLocalMachine, kKey + "\\Sub", "Value", "below");
    RegistryKey opened = 0;
    ASSERT_EQ(backend.OpenKey(kHkeyLocalMachine, kKey, opened), 0);
    EXPECT_TRUE(registry.RegKeyExists(opened, "Sub"));
    EXPECT_TRUE(registry.RegKeyExists(opened, ""));
    EXPECT_EQ(registry.RegEnumSubKeys(opened, ""), SubKeyList{"Sub"});
    EXPECT_EQ(registry.RegEnumSubKeys(opened, "Sub"), SubKeyList{});
    EXPECT_EQ(registry.RegReadValue(opened, "Sub", "Value", nullptr), RegistryValue{"below"s});
    EXPECT_EQ(backend.OpenHandleCount(), 1U);
    backend.CloseKey(opened);
}

// --- key existence --------------------------------------------------------------------------

struct ExistsCase {
    std::string name;
    RegistryKey root;
    std::string path;
    bool exists;
};

class KeyExists : public RegistryTest, public ::testing::WithParamInterface<ExistsCase> {};

TEST_P(KeyExists, WhenTheKeyOpensForReading) {
    backend.CreateKey(kHkeyLocalMachine, "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8");
    backend.RefuseAccess(kHkeyLocalMachine, "SOFTWARE\\Locked");
    EXPECT_EQ(registry.RegKeyExists(GetParam().root, GetParam().path), GetParam().exists);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyExists,
    ::testing::Values(
        ExistsCase{"Existing", kHkeyLocalMachine, "SOFTWARE\\JavaSoft\\Java Runtime Environment",
                   true},
        ExistsCase{"Nested", kHkeyLocalMachine, "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8",
                   true},
        ExistsCase{"OtherCase", kHkeyLocalMachine, "software\\JAVASOFT", true},
        ExistsCase{"Missing", kHkeyLocalMachine, "SOFTWARE\\JavaSoft\\Java Development Kit", false},
        ExistsCase{"MissingBelowMissing", kHkeyLocalMachine, "SOFTWARE\\Nothing\\Here", false},
        ExistsCase{"PrefixOfAName", kHkeyLocalMachine, "SOFTWARE\\Java", false},
        ExistsCase{"RefusesReading", kHkeyLocalMachine, "SOFTWARE\\Locked", false},
        ExistsCase{"EmptyComponent", kHkeyLocalMachine, "SOFTWARE\\\\JavaSoft", false},
        ExistsCase{"EmptyPathOfValidRoot", kHkeyLocalMachine, "", true},
        ExistsCase{"InvalidRoot", 0x80000099, "SOFTWARE", false},
        ExistsCase{"NullRoot", 0, "", false}),
    testing::NameOfCase());

// --- subkey lists ---------------------------------------------------------------------------

TEST_F(RegistryTest, SubKeysComeInCaseInsensitiveNameOrder) {
    for (const char* name : {"b", "_x", "C", "A", "1.8", "11.0", "1.10"}) {
        backend.CreateKey(kHkeyLocalMachine, kKey + "\\" + name + "\\Grandchild");
    }
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, kKey),
              (SubKeyList{"1.10", "1.8", "11.0", "A", "b", "C", "_x"}));
}

TEST_F(RegistryTest, KeyWithoutSubKeysGivesAnEmptyList) {
    backend.SetString(kHkeyLocalMachine, kKey, "Value", "x");
    EXPECT_TRUE(registry.RegEnumSubKeys(kHkeyLocalMachine, kKey).empty());
    EXPECT_EQ(backend.OpenCount(), 1U);
}

TEST_F(RegistryTest, KeysThatDoNotOpenGiveAnEmptyList) {
    backend.CreateKey(kHkeyLocalMachine, kKey + "\\Locked\\Child");
    backend.RefuseAccess(kHkeyLocalMachine, kKey + "\\Locked");
    EXPECT_TRUE(registry.RegEnumSubKeys(kHkeyLocalMachine, kKey + "\\Missing").empty());
    EXPECT_TRUE(registry.RegEnumSubKeys(kHkeyLocalMachine, kKey + "\\Locked").empty());
    EXPECT_TRUE(registry.RegEnumSubKeys(0x80000099, kKey).empty());
}

TEST_F(RegistryTest, EmptyKeyPathListsTheRootWithoutOpeningOrClosingIt) {
    backend.CreateKey(kHkeyLocalMachine, "SOFTWARE");
    backend.CreateKey(kHkeyLocalMachine, "HARDWARE");
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, ""), (SubKeyList{"HARDWARE", "SOFTWARE"}));
    EXPECT_EQ(backend.OpenCount(), 0U);
}

TEST_F(RegistryTest, EmptyKeyPathOfAnInvalidRootGivesAnEmptyList) {
    EXPECT_TRUE(registry.RegEnumSubKeys(0x80000099, "").empty());
}

class LongSubKeyName : public RegistryTest, public ::testing::WithParamInterface<std::size_t> {};

TEST_P(LongSubKeyName, ComesBackWhole) {
    const std::string name = Letters(GetParam());
    backend.CreateKey(kHkeyLocalMachine, kKey + "\\" + name);
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, kKey), SubKeyList{name});
}

INSTANTIATE_TEST_SUITE_P(Lengths, LongSubKeyName, ::testing::Values(1U, 255U, 258U, 259U));

// A name that does not fit 260 bytes with its terminator ends the listing there.
TEST_F(RegistryTest, NameTooLongForTheBufferEndsTheListing) {
    backend.CreateKey(kHkeyLocalMachine, kKey + "\\a");
    backend.CreateKey(kHkeyLocalMachine, kKey + "\\b" + Letters(259));
    backend.CreateKey(kHkeyLocalMachine, kKey + "\\c");
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, kKey), SubKeyList{"a"});
}

}  // namespace
}  // namespace pellatone
