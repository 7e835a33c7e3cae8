#include "registry/posix/installed_runtimes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/run_time_error.h"
#include "support/error_of.h"
#include "support/table_case.h"
#include "support/temporary_folder.h"

namespace pellatone {
namespace {

using testing::PrintTo;

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string kRuntimeKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";

// A folder tree laid out like /usr/lib/jvm, removed afterwards.
class InstalledRuntimesTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(jvm); }

    static void WriteFile(const fs::path& file, const std::string& text) {
        fs::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << text;
    }
    static fs::path AddRuntime(const fs::path& folder, const std::string& version) {
        WriteFile(folder / "release", "IMPLEMENTOR=\"Debian\"\nJAVA_VERSION=\"" + version +
                                          "\"\nJAVA_VERSION_DATE=\"2025-04-15\"\n");
        return folder;
    }

    using Found = std::vector<std::pair<std::string, std::string>>;

    // What the program's registry reads from the runtimes under `roots`.
    static Found Registered(const std::vector<fs::path>& roots) {
        InstalledRuntimeRegistry registry([&] { return FindInstalledJavaRuntimes(roots); });
        Found found;
        if (!registry.RegKeyExists(kHkeyLocalMachine, kRuntimeKey)) return found;
        for (const std::string& version : registry.RegEnumSubKeys(kHkeyLocalMachine, kRuntimeKey)) {
            const RegistryValue home = registry.RegReadValue(
                kHkeyLocalMachine, kRuntimeKey + "\\" + version, "JavaHome", nullptr);
            EXPECT_TRUE(std::holds_alternative<std::string>(home)) << version;
            found.emplace_back(version, RegistryValueToText(home));
        }
        return found;
    }

    testing::TemporaryFolder base;
    fs::path jvm = base / "jvm";
};

TEST_F(InstalledRuntimesTest, EachRuntimeFolderBecomesAVersionKey) {
    const fs::path home17 = AddRuntime(jvm / "java-17-openjdk-amd64", "17.0.15");
    const fs::path home8 = AddRuntime(jvm / "java-8-openjdk-amd64", "1.8.0_392");
    const fs::path home11 = AddRuntime(jvm / "zulu-11", "11.0.22");
    EXPECT_EQ(Registered({jvm}), (Found{{"1.8.0_392", home8.string()},
                                        {"11.0.22", home11.string()},
                                        {"17.0.15", home17.string()}}));
}

TEST_F(InstalledRuntimesTest, FoldersWithoutAVersionAreLeftOut) {
    const fs::path home = AddRuntime(jvm / "java-17", "17.0.15");
    fs::create_directories(jvm / "openjdk-17");                            // no release file
    WriteFile(jvm / "dated" / "release", "JAVA_VERSION_DATE=\"2025\"\n");  // no version line
    WriteFile(jvm / "empty" / "release", "JAVA_VERSION=\"\"\n");           // empty version
    fs::create_directories(jvm / "folder" / "release");                    // release is a folder
    WriteFile(jvm / "release", "JAVA_VERSION=\"99\"\n");                   // a file, not a folder
    WriteFile(jvm / ".java-17.jinfo", "JAVA_VERSION=\"98\"\n");
    EXPECT_EQ(Registered({jvm}), (Found{{"17.0.15", home.string()}}));
}

TEST_F(InstalledRuntimesTest, SymlinkedFolderCountsOnceUnderItsFirstName) {
    const fs::path real = AddRuntime(jvm / "java-17-openjdk-amd64", "17.0.15");
    fs::create_directory_symlink("java-17-openjdk-amd64", jvm / "java-1.17.0-openjdk-amd64");
    fs::create_directory_symlink(real, jvm / "zz-default");
    EXPECT_EQ(Registered({jvm}),
              (Found{{"17.0.15", (jvm / "java-1.17.0-openjdk-amd64").string()}}));
}

TEST_F(InstalledRuntimesTest, SymlinkToARuntimeElsewhereCounts) {
    AddRuntime(base / "opt" / "jdk-21", "21.0.2");
    fs::create_directory_symlink(base / "opt" / "jdk-21", jvm / "jdk");
    fs::create_directory_symlink(base / "nowhere", jvm / "dangling");
    EXPECT_EQ(Registered({jvm}), (Found{{"21.0.2", (jvm / "jdk").string()}}));
}

TEST_F(InstalledRuntimesTest, SameVersionTwiceTakesTheFirstFolderByName) {
    AddRuntime(jvm / "b-jdk", "17.0.15");
    const fs::path first = AddRuntime(jvm / "a-jdk", "17.0.15");
    AddRuntime(jvm / "c-jdk", "17.0.15");
    EXPECT_EQ(Registered({jvm}), (Found{{"17.0.15", first.string()}}));
}

TEST_F(InstalledRuntimesTest, EmptyOrMissingRootsHaveNoRuntimeKey) {
    for (const auto& roots : {std::vector<fs::path>{jvm}, std::vector<fs::path>{base / "missing"},
                              std::vector<fs::path>{}, std::vector<fs::path>{jvm / "release"}}) {
        InstalledRuntimeRegistry registry([&] { return FindInstalledJavaRuntimes(roots); });
        EXPECT_FALSE(registry.RegKeyExists(kHkeyLocalMachine, kRuntimeKey));
        EXPECT_TRUE(registry.RegEnumSubKeys(kHkeyLocalMachine, kRuntimeKey).empty());
    }
}

TEST_F(InstalledRuntimesTest, RootsAreScannedInTheOrderGiven) {
    const fs::path other = base / "jvm64";
    const fs::path home17 = AddRuntime(jvm / "zz-java-17", "17.0.15");
    AddRuntime(other / "aa-java-17", "17.0.15");
    const fs::path home11 = AddRuntime(other / "java-11", "11.0.22");
    EXPECT_EQ(Registered({jvm, base / "missing", other}),
              (Found{{"11.0.22", home11.string()}, {"17.0.15", home17.string()}}));
    // The same folder given twice, or through another name, is still one runtime.
    EXPECT_EQ(Registered({jvm, jvm / ".." / "jvm"}), (Found{{"17.0.15", home17.string()}}));
}

// Looked up once, at the first read: runtimes installed afterwards are not seen.
TEST_F(InstalledRuntimesTest, LooksTheRuntimesUpAtTheFirstReadOnly) {
    AddRuntime(jvm / "java-17", "17.0.15");
    int lookUps = 0;
    InstalledRuntimeRegistry registry([&] {
        ++lookUps;
        return FindInstalledJavaRuntimes(std::vector{jvm});
    });
    EXPECT_EQ(lookUps, 0);
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, kRuntimeKey), SubKeyList{"17.0.15"});
    AddRuntime(jvm / "java-21", "21.0.2");
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, kRuntimeKey), SubKeyList{"17.0.15"});
    EXPECT_EQ(lookUps, 1);
}

// A look-up that failed fails each read as the search's own error.
TEST(SystemRegistry, ALookUpThatFailsFailsEachRead) {
    InstalledRuntimeRegistry registry(
        []() -> std::vector<InstalledJavaRuntime> { throw std::bad_alloc(); });
    for (const std::function<void()>& read : std::vector<std::function<void()>>{
             [&] { (void)registry.RegKeyExists(kHkeyLocalMachine, kRuntimeKey); },
             [&] { (void)registry.RegEnumSubKeys(kHkeyLocalMachine, kRuntimeKey); },
             [&] {
                 (void)registry.RegReadValue(kHkeyLocalMachine, kRuntimeKey, "JavaHome", nullptr);
             }}) {
        const RunTimeError error = testing::ErrorOf(read);
        EXPECT_EQ(error.Number(), 7);
        EXPECT_EQ(error.Description(), "Out of memory");
    }
}

// Where the program's own registry looks; the end-to-end runs lay runtimes there.
TEST(SystemRegistry, ScansTheStandardFolders) {
    EXPECT_EQ(StandardJavaRuntimeFolders(),
              (std::vector<fs::path>{"/usr/lib/jvm", "/usr/lib64/jvm"}));
}

struct ReleaseCase {
    std::string name;
    std::string content;
    std::optional<std::string> version;
};

class ReleaseFile : public InstalledRuntimesTest,
                    public ::testing::WithParamInterface<ReleaseCase> {};

TEST_P(ReleaseFile, NamesTheVersion) {
    WriteFile(jvm / "release", GetParam().content);
    EXPECT_EQ(ReadJavaVersion(jvm / "release"), GetParam().version);
}

INSTANTIATE_TEST_SUITE_P(
    Contents, ReleaseFile,
    ::testing::Values(
        ReleaseCase{"Quoted", "JAVA_VERSION=\"17.0.15\"\n", "17.0.15"},
        ReleaseCase{"Unquoted", "JAVA_VERSION=1.8.0_392\n", "1.8.0_392"},
        ReleaseCase{"NoFinalNewline", "JAVA_VERSION=\"25\"", "25"},
        ReleaseCase{"CrLf", "IMPLEMENTOR=\"X\"\r\nJAVA_VERSION=\"11.0.2\"\r\n", "11.0.2"},
        ReleaseCase{"AfterTheDateLine", "JAVA_VERSION_DATE=\"2025\"\nJAVA_VERSION=\"21\"\n", "21"},
        ReleaseCase{"FirstLineWins", "JAVA_VERSION=\"1.6.0\"\nJAVA_VERSION=\"1.7.0\"\n", "1.6.0"},
        ReleaseCase{"Blanks", "  JAVA_VERSION= \"17\" \n", "17"},
        ReleaseCase{"ByteOrderMark", "\xEF\xBB\xBFJAVA_VERSION=\"21\"\n", "21"},
        ReleaseCase{"OnlyTheDate", "JAVA_VERSION_DATE=\"2025-04-15\"\n", std::nullopt},
        ReleaseCase{"Commented", "#JAVA_VERSION=\"17\"\n", std::nullopt},
        ReleaseCase{"Empty", "JAVA_VERSION=\"\"\n", std::nullopt},
        ReleaseCase{"Nothing", "", std::nullopt},
        ReleaseCase{"Backslash", "JAVA_VERSION=\"17\\1\"\n", std::nullopt},
        ReleaseCase{"Nul", "JAVA_VERSION=\"17\0\"\n"s, std::nullopt},
        ReleaseCase{"LongestKeyName", "JAVA_VERSION=" + std::string(255, '9') + "\n",
                    std::string(255, '9')},
        ReleaseCase{"TooLongForAKeyName", "JAVA_VERSION=" + std::string(256, '9') + "\n",
                    std::nullopt},
        // Only the first 64 KiB are read: a version line ending on the last byte counts, one
        // running a byte past it does not.
        ReleaseCase{"LineEndsAt64KiB", "#" + std::string(65536 - 18, 'x') + "\nJAVA_VERSION=17\n",
                    "17"},
        ReleaseCase{"LineEndsPast64KiB", "#" + std::string(65536 - 16, 'x') + "\nJAVA_VERSION=17\n",
                    std::nullopt},
        // Whether the file goes on past the limit is no business of the head's: a line that
        // reaches it without its break counts as cut even where the file ends.
        ReleaseCase{"LineReaches64KiBWithoutBreak",
                    "#" + std::string(65536 - 17, 'x') + "\nJAVA_VERSION=17", std::nullopt}),
    testing::NameOfCase());

TEST_F(InstalledRuntimesTest, MissingReleaseFileNamesNoVersion) {
    EXPECT_EQ(ReadJavaVersion(jvm / "release"), std::nullopt);
    EXPECT_EQ(ReadJavaVersion(jvm), std::nullopt);
}

// --- the registry over runtimes given by hand ------------------------------------------------

const std::string kHome8 = "/usr/lib/jvm/java-8-openjdk-amd64";
const std::string kHome17 = "/usr/lib/jvm/java-17-openjdk-amd64";

class RuntimeRegistry : public ::testing::Test {
protected:
    RegistryValue JavaHomeOf(const std::string& version) {
        return registry.RegReadValue(kHkeyLocalMachine, kRuntimeKey + "\\" + version, "JavaHome",
                                     nullptr);
    }

    InstalledRuntimeRegistry registry{[] {
        return std::vector<InstalledJavaRuntime>{{"17.0.15", kHome17}, {"1.8.0_392", kHome8}};
    }};
};

struct KeyCase {
    std::string name;
    RegistryKey root;
    std::string path;
    bool exists;
};

class RuntimeRegistryKey : public RuntimeRegistry, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(RuntimeRegistryKey, ExistsWhenTheRuntimeKeyHasItOnItsPath) {
    EXPECT_EQ(registry.RegKeyExists(GetParam().root, GetParam().path), GetParam().exists);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, RuntimeRegistryKey,
    ::testing::Values(
        KeyCase{"RuntimeKey", kHkeyLocalMachine, kRuntimeKey, true},
        KeyCase{"VersionKey", kHkeyLocalMachine, kRuntimeKey + "\\17.0.15", true},
        KeyCase{"OtherCase", kHkeyLocalMachine, "software\\JAVASOFT\\java runtime environment",
                true},
        KeyCase{"Missing", kHkeyLocalMachine, "SOFTWARE\\JavaSoft\\Java Development Kit", false},
        KeyCase{"PrefixOfAVersion", kHkeyLocalMachine, kRuntimeKey + "\\17", false},
        KeyCase{"BelowAVersion", kHkeyLocalMachine, kRuntimeKey + "\\17.0.15\\bin", false},
        KeyCase{"TrailingBackslash", kHkeyLocalMachine, kRuntimeKey + "\\", false},
        KeyCase{"OtherRoot", 0x80000001, kRuntimeKey, false}),
    testing::NameOfCase());

struct ListCase {
    std::string name;
    RegistryKey root;
    std::string path;
    SubKeyList names;
};

class RuntimeRegistryListing : public RuntimeRegistry,
                               public ::testing::WithParamInterface<ListCase> {};

TEST_P(RuntimeRegistryListing, HoldsTheRuntimeKeyAndItsVersions) {
    EXPECT_EQ(registry.RegEnumSubKeys(GetParam().root, GetParam().path), GetParam().names);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, RuntimeRegistryListing,
    ::testing::Values(
        ListCase{"RuntimeKey", kHkeyLocalMachine, kRuntimeKey, {"1.8.0_392", "17.0.15"}},
        ListCase{"VersionKey", kHkeyLocalMachine, kRuntimeKey + "\\1.8.0_392", {}},
        ListCase{"OtherRoot", 0x80000001, kRuntimeKey, {}}),
    testing::NameOfCase());

TEST_F(RuntimeRegistry, JavaHomeIsTheRuntimesFolder) {
    EXPECT_EQ(JavaHomeOf("17.0.15"), RegistryValue{kHome17});
    EXPECT_EQ(JavaHomeOf("1.8.0_392"), RegistryValue{kHome8});
    EXPECT_EQ(registry.RegReadValue(kHkeyLocalMachine,
                                    "software\\javasoft\\JAVA RUNTIME ENVIRONMENT\\17.0.15",
                                    "JAVAHOME", nullptr),
              RegistryValue{kHome17});
}

// Only the version keys hold a value, and only JavaHome.
TEST_F(RuntimeRegistry, HoldsNoOtherValue) {
    for (const auto& place :
         std::vector<std::pair<std::string, std::string>>{{kRuntimeKey + "\\17.0.15", "RuntimeLib"},
                                                          {kRuntimeKey + "\\17.0.15", "JavaHom"},
                                                          {kRuntimeKey + "\\17.0.15", ""},
                                                          {kRuntimeKey, "JavaHome"}}) {
        SCOPED_TRACE(place.first + " " + place.second);
        const RunTimeError error = testing::ErrorOf([&] {
            (void)registry.RegReadValue(kHkeyLocalMachine, place.first, place.second, nullptr);
        });
        EXPECT_EQ(error.Number(), 1001);
    }
}

TEST(RuntimeRegistryOrder, VersionsAreListedInCaseInsensitiveNameOrder) {
    std::vector<InstalledJavaRuntime> runtimes;
    for (const char* version : {"b", "_x", "C", "A", "1.8", "11.0", "1.10"}) {
        runtimes.push_back({version, std::string("/jvm/") + version});
    }
    InstalledRuntimeRegistry registry([&] { return runtimes; });
    EXPECT_EQ(registry.RegEnumSubKeys(kHkeyLocalMachine, kRuntimeKey),
              (SubKeyList{"1.10", "1.8", "11.0", "A", "b", "C", "_x"}));
    EXPECT_EQ(registry.RegReadValue(kHkeyLocalMachine, kRuntimeKey + "\\c", "JavaHome", nullptr),
              RegistryValue{"/jvm/C"s});
}

}  // namespace
}  // namespace pellatone
