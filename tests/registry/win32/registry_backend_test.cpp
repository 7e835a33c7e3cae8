// The Windows registry backend under Wine, against keys that write_wine_test_keys.sh wrote into
// the view of the private prefix that a program of this build reads (32-bit or 64-bit), and keys
// written here for exact byte contents.
#include "registry/win32/registry_backend.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/run_time_error.h"
#include "platform/win32/unique_resource.h"
#include "registry/key_name.h"
#include "registry/m_registry.h"
#include "registry/system_registry.h"
#include "support/counting_registry_backend.h"
#include "support/error_of.h"

namespace pellatone {
namespace {

using testing::CountingRegistryBackend;
using testing::ErrorOf;
using namespace std::string_literals;
using win32::UniqueRegistryKey;

const std::string kTestKey = "SOFTWARE\\PellatoneTests";
const std::string kValues = kTestKey + "\\Values";
const std::wstring kWrittenKey = L"SOFTWARE\\PellatoneTests\\Written";
// The registry's other view, which a program of this build sees only by asking for it.
constexpr REGSAM kOtherView = sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;

RegistryValue Read(RegistryAccess& registry, const std::string& keyPath,
                   const std::string& valueName) {
    return registry.RegReadValue(kHkeyLocalMachine, keyPath, valueName, nullptr);
}

void ExpectUnsupported(RegistryAccess& registry, const std::string& keyPath,
                       const std::string& valueName) {
    const RegistryValue fallback = "default"s;
    const RunTimeError error = ErrorOf(
        [&] { (void)registry.RegReadValue(kHkeyLocalMachine, keyPath, valueName, &fallback); });
    EXPECT_EQ(error.Number(), 1001) << valueName;
    EXPECT_EQ(error.Description(), "Unsupported value type") << valueName;
}

class Win32Registry : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(backend.OpenHandleCount(), 0U) << "a key was left open";
        EXPECT_EQ(backend.StrayCloseCount(), 0U) << "something not opened was closed";
    }

    std::unique_ptr<CountingRegistryBackend> owned =
        std::make_unique<CountingRegistryBackend>(std::make_unique<Win32RegistryBackend>());
    CountingRegistryBackend& backend = *owned;
    MRegistry registry{std::move(owned)};
};

TEST(SystemRegistry, ReadsTheKeysOfItsOwnView) {
    const std::unique_ptr<RegistryAccess> registry = CreateSystemRegistry();
    EXPECT_TRUE(registry->RegKeyExists(kHkeyLocalMachine, kTestKey));
    EXPECT_EQ(Read(*registry, kValues, "JavaHome"),
              RegistryValue{"C:\\Program Files (x86)\\Java\\jre1.8.0_392"s});
    EXPECT_FALSE(registry->RegKeyExists(kHkeyLocalMachine, kTestKey + "OtherViewOnly"));
}

// Checks the fixture itself: the keys are in the program's view only, so reading them proves the
// view.
TEST(SystemRegistry, TestKeysAreAbsentFromTheOtherView) {
    UniqueRegistryKey key;
    EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\PellatoneTests", 0,
                            KEY_READ | kOtherView, key.Receive()),
              ERROR_FILE_NOT_FOUND);
    ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\PellatoneTestsOtherViewOnly", 0,
                            KEY_READ | kOtherView, key.Receive()),
              ERROR_SUCCESS);
}

TEST_F(Win32Registry, ListsSubKeysInTheRegistrysOrder) {
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, kTestKey + "\\Order"),
              (SubKeyList{"1.10", "1.8", "11.0", "A", "b", "c"}));
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, kTestKey),
              (SubKeyList{"Order", "Values"}));
    EXPECT_TRUE(registry.RegEnumSubKeys(kHkeyLocalMachine, kValues).empty());
    EXPECT_TRUE(registry.RegEnumSubKeys(kHkeyLocalMachine, kTestKey + "\\Missing").empty());
}

TEST_F(Win32Registry, ListsTheRootItselfForAnEmptyPath) {
    const SubKeyList names = registry.RegEnumSubKeys(kHkeyLocalMachine, "");
    EXPECT_EQ(std::count_if(names.begin(), names.end(),
                            [](const std::string& name) {
                                return CompareNamesIgnoringCase(name, "SOFTWARE") == 0 ||
                                       CompareNamesIgnoringCase(name, "SYSTEM") == 0;
                            }),
              2);
    EXPECT_TRUE(registry.RegKeyExists(kHkeyLocalMachine, ""));
    // The root is still usable afterwards.
    EXPECT_TRUE(registry.RegKeyExists(kHkeyLocalMachine, kTestKey));
}

TEST_F(Win32Registry, KeyExistence) {
    EXPECT_TRUE(registry.RegKeyExists(kHkeyLocalMachine, kTestKey + "\\Order\\A\\Grandchild"));
    EXPECT_TRUE(registry.RegKeyExists(kHkeyLocalMachine, "software\\pellatonetests\\ORDER"));
    EXPECT_FALSE(registry.RegKeyExists(kHkeyLocalMachine, kTestKey + "\\Missing"));
    EXPECT_FALSE(registry.RegKeyExists(0x80000099, kTestKey));
    EXPECT_FALSE(registry.RegKeyExists(kHkeyLocalMachine, kTestKey + "\0Order"s));
}

TEST_F(Win32Registry, ReadsEachSupportedType) {
    EXPECT_EQ(Read(registry, kValues, "JavaHome"),
              RegistryValue{"C:\\Program Files (x86)\\Java\\jre1.8.0_392"s});
    EXPECT_EQ(Read(registry, kValues, "Expand"), RegistryValue{"%SystemRoot%\\java"s});
    EXPECT_EQ(Read(registry, kValues, "Multi"), RegistryValue{"a\0b"s});
    EXPECT_EQ(Read(registry, kValues, "Dword"), RegistryValue{std::int32_t{-1}});
    EXPECT_EQ(Read(registry, kValues, "One"), RegistryValue{std::int32_t{1}});
    EXPECT_EQ(Read(registry, kValues, "Empty"), RegistryValue{""s});
    EXPECT_EQ(backend.QueryCount(), 6U);
}

TEST_F(Win32Registry, ReadsLargeValuesWholeInTwoQueries) {
    ByteArray expected(1500);
    for (std::size_t index = 0; index < expected.size(); ++index) {
        expected[index] = static_cast<std::uint8_t>(index % 256);
    }
    EXPECT_EQ(Read(registry, kValues, "Binary"), RegistryValue{expected});
    EXPECT_EQ(backend.QueryCount(), 2U);
    EXPECT_EQ(Read(registry, kValues, "LongText"), RegistryValue{std::string(1500, 'x')});
    EXPECT_EQ(backend.QueryCount(), 4U);
}

TEST_F(Win32Registry, MissingKeysGiveTheDefaultAndMissingValuesFail) {
    const RegistryValue fallback = std::int32_t{42};
    EXPECT_EQ(
        registry.RegReadValue(kHkeyLocalMachine, kTestKey + "\\Missing", "JavaHome", &fallback),
        fallback);
    EXPECT_TRUE(
        std::holds_alternative<std::monostate>(Read(registry, kTestKey + "\\Missing", "JavaHome")));
    ExpectUnsupported(registry, kValues, "Missing");
    ExpectUnsupported(registry, kValues, "Qword");
    ExpectUnsupported(registry, kValues, "Dword\0"s);
}

// Keys with exact byte contents, written through the Unicode calls in the program's view.
class Win32RegistryWritten : public Win32Registry {
protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kWrittenKey.c_str(), 0, nullptr, 0,
                                  KEY_ALL_ACCESS, nullptr, written_.Receive(), nullptr),
                  ERROR_SUCCESS);
        ASSERT_EQ(RegDeleteTreeW(written_.Get(), nullptr), ERROR_SUCCESS);
    }
    void TearDown() override {
        RegDeleteTreeW(written_.Get(), nullptr);
        written_.Reset();
        Win32Registry::TearDown();
    }
    void Write(const wchar_t* name, DWORD type, const std::wstring& units, DWORD extraBytes = 0) {
        std::vector<BYTE> bytes(units.size() * sizeof(wchar_t) + extraBytes, 'Z');
        std::memcpy(bytes.data(), units.data(), units.size() * sizeof(wchar_t));
        ASSERT_EQ(RegSetValueExW(written_.Get(), name, 0, type, bytes.data(),
                                 static_cast<DWORD>(bytes.size())),
                  ERROR_SUCCESS);
    }
    void AddKey(const std::wstring& name) {
        UniqueRegistryKey key;
        ASSERT_EQ(RegCreateKeyExW(written_.Get(), name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                  nullptr, key.Receive(), nullptr),
                  ERROR_SUCCESS);
    }

    const std::string path = kTestKey + "\\Written";
    UniqueRegistryKey written_;
};

TEST_F(Win32RegistryWritten, TextComesBackAsUtf8WithTheNulRules) {
    Write(L"Unicode", REG_SZ, L"C:\\M\u00fcller\u20ac"s + L'\0');
    Write(L"TwoTerminators", REG_SZ, L"abc\0\0"s);
    Write(L"NoTerminator", REG_SZ, L"abc");
    Write(L"OddSize", REG_SZ, L"abc", 1);
    Write(L"NulInside", REG_EXPAND_SZ, L"ab\0cd\0"s);
    Write(L"MultiUnicode", REG_MULTI_SZ, L"\u00e4\0b\0\0"s);
    Write(L"MultiUnterminated", REG_MULTI_SZ, L"a\0b"s);
    Write(L"ZeroLength", REG_SZ, L"");
    EXPECT_EQ(Read(registry, path, "Unicode"), RegistryValue{"C:\\M\xc3\xbcller\xe2\x82\xac"s});
    EXPECT_EQ(Read(registry, path, "TwoTerminators"), RegistryValue{"abc"s});
    EXPECT_EQ(Read(registry, path, "NoTerminator"), RegistryValue{"abc"s});
    EXPECT_EQ(Read(registry, path, "OddSize"), RegistryValue{"abc"s});
    EXPECT_EQ(Read(registry, path, "NulInside"), RegistryValue{"ab"s});
    EXPECT_EQ(Read(registry, path, "MultiUnicode"), RegistryValue{"\xc3\xa4\0b"s});
    EXPECT_EQ(Read(registry, path, "MultiUnterminated"), RegistryValue{"a\0b"s});
    EXPECT_EQ(Read(registry, path, "ZeroLength"), RegistryValue{""s});
}

// Sizes count UTF-8 bytes: 1024 of them take one query, 1025 two.
TEST_F(Win32RegistryWritten, TextSizesCountUtf8Bytes) {
    Write(L"Fits", REG_SZ, std::wstring(1023, L'x') + L'\0');
    Write(L"Over", REG_SZ, std::wstring(1024, L'x') + L'\0');
    Write(L"Wide", REG_SZ, std::wstring(400, L'\u20ac') + L'\0');
    EXPECT_EQ(Read(registry, path, "Fits"), RegistryValue{std::string(1023, 'x')});
    EXPECT_EQ(backend.QueryCount(), 1U);
    EXPECT_EQ(Read(registry, path, "Over"), RegistryValue{std::string(1024, 'x')});
    EXPECT_EQ(backend.QueryCount(), 3U);
    std::string euros;
    for (int count = 0; count < 400; ++count) euros += "\xe2\x82\xac";
    EXPECT_EQ(Read(registry, path, "Wide"), RegistryValue{euros});
    EXPECT_EQ(backend.QueryCount(), 5U);
}

TEST_F(Win32RegistryWritten, SubKeyNamesComeBackAsUtf8) {
    AddKey(L"J\u00e4va");
    AddKey(L"1.8");
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, path), (SubKeyList{"1.8", "J\xc3\xa4va"}));
    EXPECT_TRUE(registry.RegKeyExists(kHkeyLocalMachine, path + "\\J\xc3\xa4va"));
}

TEST_F(Win32RegistryWritten, NameOf255CharactersComesBackWhole) {
    AddKey(std::wstring(255, L'n'));
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, path), SubKeyList{std::string(255, 'n')});
}

// Names of 255 UTF-16 units take up to three UTF-8 bytes a unit; each comes back whole, and so
// do the names listed after it.
TEST_F(Win32RegistryWritten, LongNamesOutsideAsciiComeBackWholeAndTheListingGoesOn) {
    AddKey(L"a");
    AddKey(L"b" + std::wstring(254, L'\u00e9'));
    AddKey(L"c" + std::wstring(254, L'\u4e2d'));
    AddKey(L"d");
    std::string accented = "b";
    std::string chinese = "c";
    for (int count = 0; count < 254; ++count) {
        accented += "\xc3\xa9";
        chinese += "\xe4\xb8\xad";
    }
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, path),
              (SubKeyList{"a", accented, chinese, "d"}));
}

}  // namespace
}  // namespace pellatone
