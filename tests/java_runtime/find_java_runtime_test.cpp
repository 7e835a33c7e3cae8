#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstdint>
#include <functional>
#include <locale>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "java_runtime/mod_main.h"
#include "support/comma_locale.h"
#include "support/expected_texts.h"
#include "support/fakes.h"
#include "support/table_case.h"

namespace pellatone {
namespace {

using ::testing::Each;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::Fakes;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using testing::kCopyError;
using testing::kNotAvailable;
using testing::kNotInstalled;
using testing::kSearchError;
using testing::PrintTo;
using testing::ProgramEnded;

const std::string kKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
const std::string kHome = "C:\\Program Files\\Java\\jre1.6.0_03";

// Log lines of the fakes, spelled out so that a test reads as the expected conversation.
std::string KeyExists() { return "registry key exists: " + kKey; }
std::string EnumSubKeys() { return "registry enum subkeys: " + kKey; }
std::string ReadJavaHome(const std::string& version) {
    return "registry read value: " + kKey + "\\" + version + " JavaHome";
}
std::string Message(const std::string& text) { return "message: " + text; }
std::string Exists(const std::string& path) { return "file exists: " + path; }
std::string Copy(const std::string& source, const std::string& folder) {
    return "copy file: " + source + " -> " + folder;
}
const std::string kEndNoJava = "end program: 2";
// The whole conversation when the runtime listed under `version` has all four files.
std::vector<std::string> AllFilesFound(const std::string& version, const std::string& home) {
    return {KeyExists(),
            EnumSubKeys(),
            ReadJavaHome(version),
            Exists(home + "\\lib\\ext\\Comm.jar"),
            Exists(home + "\\lib\\javax.comm.properties"),
            Exists(home + "\\bin\\Win32com.dll"),
            Exists(home + "\\lib\\ext\\jdc.jar")};
}

// Public, so the table's arrangements can reach the fakes.
class FindJavaRuntimeTest : public Fakes, public ::testing::Test {
public:
    JavaRuntimeServices services{platform, registry, fileSystem, PathConvention::kWindows};
    std::string JavaHomeFolder = "C:\\left over";
    std::optional<int> endedWith;

    // One runtime listed under `version` with the given JavaHome.
    void ListRuntime(const std::string& version, const RegistryValue& javaHome) {
        registry.subKeys[kKey] = {version};
        registry.subKeys[kKey + "\\" + version] = {};
        registry.values[kKey + "\\" + version + "|JavaHome"] = javaHome;
    }
    void GiveRuntimeAllFiles(const std::string& home) {
        for (const char* suffix : {"\\lib\\ext\\Comm.jar", "\\lib\\javax.comm.properties",
                                   "\\bin\\Win32com.dll", "\\lib\\ext\\jdc.jar"}) {
            fileSystem.files.insert(home + suffix);
        }
    }
    // The runtime at kHome, none of whose files is there; the box showing `text` fails.
    void FailMessageBox(const std::string& text) {
        ListRuntime("1.6.0", std::string(kHome));
        platform.onShowMessage = [text](const std::string& shown) {
            if (shown == text) throw RunTimeError(7, "Out of memory");
        };
    }
    void Run() {
        try {
            FindJavaRuntime(services, JavaHomeFolder);
        } catch (const ProgramEnded& ended) {
            endedWith = ended.exitStatus;
        }
    }
};

// Every row of the failure table: the exact conversation with registry, user and file system.
struct DiscoveryCase {
    const char* name;
    std::function<void(FindJavaRuntimeTest&)> arrange;
    std::vector<std::string> log;
    std::string javaHomeFolder = "";
};

class FindJavaRuntimeCase : public FindJavaRuntimeTest,
                            public ::testing::WithParamInterface<DiscoveryCase> {};

TEST_P(FindJavaRuntimeCase, ConversesAndPublishesAsExpected) {
    const DiscoveryCase& c = GetParam();
    c.arrange(*this);
    Run();
    EXPECT_THAT(log, ElementsAreArray(c.log));
    EXPECT_EQ(JavaHomeFolder, c.javaHomeFolder);
    EXPECT_EQ(endedWith, c.log.back() == kEndNoJava ? std::optional<int>(2) : std::nullopt);
    EXPECT_THAT(registry.rootsUsed, Each(kHkeyLocalMachine));
    EXPECT_THAT(registry.defaultsGiven, Each(false));
}

const std::string kCommJar = kHome + "\\lib\\ext\\Comm.jar";
const std::string kCopyComm = Copy("C:\\maradel\\GsmModemJar\\Comm.jar", kHome + "\\lib\\ext\\");

const DiscoveryCase kDiscoveryCases[] = {
    DiscoveryCase{"RuntimeKeyAbsent",
                  [](FindJavaRuntimeTest& t) { t.registry.subKeys["SOFTWARE\\JavaSoft"] = {}; },
                  {KeyExists(), Message(kNotInstalled), kEndNoJava}},
    DiscoveryCase{"NoSubkeysAtAll",
                  [](FindJavaRuntimeTest& t) { t.registry.subKeys[kKey] = {}; },
                  {KeyExists(), EnumSubKeys(), Message(kNotAvailable), kEndNoJava}},
    DiscoveryCase{"OnlyOlderVersions",
                  [](FindJavaRuntimeTest& t) {
                      t.registry.subKeys[kKey] = {"1.3.1", "1.4.2_19", "1.4"};
                      t.registry.subKeys[kKey + "\\1.4"] = {};
                      t.registry.values[kKey + "\\1.4|JavaHome"] = std::string("C:\\old");
                  },
                  {KeyExists(), EnumSubKeys(), Message(kNotAvailable), kEndNoJava}},
    DiscoveryCase{"NonNumberBeforeTheChoiceReadsNoValueAndCopiesNothing",
                  [](FindJavaRuntimeTest& t) {
                      t.ListRuntime("1.6.0", std::string(kHome));
                      t.registry.subKeys[kKey] = {"1.4.2", "abc", "1.6.0"};
                  },
                  {KeyExists(), EnumSubKeys(), Message("Type mismatch"), Message(kSearchError)}},
    // Errors that are not the program's own are reported through the same error path.
    DiscoveryCase{"ForeignErrorOutOfMemory",
                  [](FindJavaRuntimeTest& t) {
                      t.registry.subKeys[kKey] = {"1.6.0"};
                      t.registry.onEnumSubKeys = [] { throw std::bad_alloc(); };
                  },
                  {KeyExists(), EnumSubKeys(), Message("Out of memory"), Message(kSearchError)}},
    DiscoveryCase{"ForeignErrorOfTheStandardLibrary",
                  [](FindJavaRuntimeTest& t) {
                      t.registry.subKeys[kKey] = {"1.6.0"};
                      t.registry.onEnumSubKeys = [] { throw std::length_error("too long"); };
                  },
                  {KeyExists(), EnumSubKeys(), Message("too long"), Message(kSearchError)}},
    // The registry reads a missing value and one of an unsupported type alike.
    DiscoveryCase{"JavaHomeValueMissingOrOfUnsupportedType",
                  [](FindJavaRuntimeTest& t) {
                      t.registry.subKeys[kKey] = {"1.6.0"};
                      t.registry.subKeys[kKey + "\\1.6.0"] = {};
                  },
                  {KeyExists(), EnumSubKeys(), ReadJavaHome("1.6.0"),
                   Message("Unsupported value type"), Message(kSearchError)}},
    DiscoveryCase{"KeyTestFails",
                  [](FindJavaRuntimeTest& t) {
                      t.ListRuntime("1.6.0", std::string(kHome));
                      t.registry.failKeyExists = RunTimeError(5, "Invalid procedure call");
                  },
                  {KeyExists(), Message("Invalid procedure call"), Message(kSearchError)}},
    DiscoveryCase{"SubkeyListingFails",
                  [](FindJavaRuntimeTest& t) {
                      t.ListRuntime("1.6.0", std::string(kHome));
                      t.registry.failEnumSubKeys = RunTimeError(7, "Out of memory");
                  },
                  {KeyExists(), EnumSubKeys(), Message("Out of memory"), Message(kSearchError)}},
    DiscoveryCase{"ValueReadFails",
                  [](FindJavaRuntimeTest& t) {
                      t.ListRuntime("1.6.0", std::string(kHome));
                      t.registry.failReadValue = RunTimeError(57, "Device I/O error");
                  },
                  {KeyExists(), EnumSubKeys(), ReadJavaHome("1.6.0"), Message("Device I/O error"),
                   Message(kSearchError)}},
    DiscoveryCase{"JavaHomeEmpty",
                  [](FindJavaRuntimeTest& t) { t.ListRuntime("1.6.0", std::string()); },
                  {KeyExists(), EnumSubKeys(), ReadJavaHome("1.6.0")}},
    DiscoveryCase{"VersionKeyCannotBeOpened",
                  [](FindJavaRuntimeTest& t) { t.registry.subKeys[kKey] = {"1.6.0"}; },
                  {KeyExists(), EnumSubKeys(), ReadJavaHome("1.6.0")}},
    DiscoveryCase{"CopyFails",
                  [](FindJavaRuntimeTest& t) { t.ListRuntime("1.6.0", std::string(kHome)); },
                  {KeyExists(), EnumSubKeys(), ReadJavaHome("1.6.0"), Exists(kCommJar), kCopyComm,
                   Message("File not found"), Message(kCopyError)},
                  kHome},
    DiscoveryCase{"RefusedTestLeavesJavaHomePublished",
                  [](FindJavaRuntimeTest& t) {
                      t.ListRuntime("1.6.0", std::string(kHome));
                      t.fileSystem.failures.emplace(kCommJar,
                                                    RunTimeError(70, "Permission denied"));
                  },
                  {KeyExists(), EnumSubKeys(), ReadJavaHome("1.6.0"), Exists(kCommJar),
                   Message("Permission denied"), Message(kCopyError)},
                  kHome},
    // An error that escapes the installation (here one of its own message boxes fails) reaches
    // discovery after the home was published: only discovery's error path can take it back, so
    // these are the rows that see whether it does.
    DiscoveryCase{"ErrorEscapingFromTheDescriptionsBox",
                  [](FindJavaRuntimeTest& t) { t.FailMessageBox("File not found"); },
                  {KeyExists(), EnumSubKeys(), ReadJavaHome("1.6.0"), Exists(kCommJar), kCopyComm,
                   Message("File not found"), Message("Out of memory"), Message(kSearchError)}},
    DiscoveryCase{"ErrorEscapingFromTheFixedTextsBox",
                  [](FindJavaRuntimeTest& t) { t.FailMessageBox(kCopyError); },
                  {KeyExists(), EnumSubKeys(), ReadJavaHome("1.6.0"), Exists(kCommJar), kCopyComm,
                   Message("File not found"), Message(kCopyError), Message("Out of memory"),
                   Message(kSearchError)}},
    DiscoveryCase{"AllFilesPresent",
                  [](FindJavaRuntimeTest& t) {
                      t.ListRuntime("1.6.0", std::string(kHome));
                      t.GiveRuntimeAllFiles(kHome);
                  },
                  AllFilesFound("1.6.0", kHome), kHome},
    DiscoveryCase{"FirstQualifyingVersionRead",
                  [](FindJavaRuntimeTest& t) {
                      t.ListRuntime("1.5.0_06", std::string("C:\\jre5"));
                      t.ListRuntime("1.6.0_03", std::string("C:\\jre6"));
                      t.registry.subKeys[kKey] = {"1.4.2_19", "1.5.0_06", "1.6.0_03"};
                      t.GiveRuntimeAllFiles("C:\\jre5");
                  },
                  AllFilesFound("1.5.0_06", "C:\\jre5"), "C:\\jre5"},
    // A number is taken as its decimal text, like any other home.
    DiscoveryCase{"NumericJavaHome",
                  [](FindJavaRuntimeTest& t) {
                      t.ListRuntime("1.6.0", std::int32_t{42});
                      t.GiveRuntimeAllFiles("42");
                  },
                  AllFilesFound("1.6.0", "42"), "42"},
    // The home's own trailing backslash is kept, and doubled in the paths made from it.
    DiscoveryCase{"TrailingBackslashIsKeptAndPassedOnUnchanged",
                  [](FindJavaRuntimeTest& t) {
                      t.ListRuntime("1.6.0", std::string("C:\\jre\\"));
                      t.GiveRuntimeAllFiles("C:\\jre\\");
                  },
                  AllFilesFound("1.6.0", "C:\\jre\\"), "C:\\jre\\"},
};

INSTANTIATE_TEST_SUITE_P(FailureTable, FindJavaRuntimeCase, ::testing::ValuesIn(kDiscoveryCases),
                         testing::NameOfCase());

TEST_F(FindJavaRuntimeTest, JavaHomeIsPublishedBeforeTheFirstFileTest) {
    ListRuntime("1.6.0", std::string(kHome));
    std::vector<std::string> seen;
    fileSystem.onFileExists = [&](const std::string&) { seen.push_back(JavaHomeFolder); };
    GiveRuntimeAllFiles(kHome);
    Run();
    EXPECT_THAT(seen, ElementsAre(kHome, kHome, kHome, kHome));
}

// Restores the C and C++ locales a test switched away from.
TEST_F(FindJavaRuntimeTest, CommaLocaleDoesNotChangeTheChoice) {
    const testing::CommaLocale german;
    ASSERT_TRUE(german.Active()) << "no comma locale installed (the test set-up generates it)";
    ListRuntime("1.5.0_06", std::string("C:\\jre5"));
    ListRuntime("1.4.2_19", std::string("C:\\jre4"));
    registry.subKeys[kKey] = {"1.4.2_19", "1.5.0_06", "1.6.0_03"};
    GiveRuntimeAllFiles("C:\\jre5");
    Run();
    EXPECT_THAT(log, ElementsAreArray(AllFilesFound("1.5.0_06", "C:\\jre5")));
    EXPECT_EQ(JavaHomeFolder, "C:\\jre5");
}

}  // namespace
}  // namespace pellatone
