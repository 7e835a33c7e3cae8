#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

#include "java_runtime/mod_main.h"
#include "support/expected_texts.h"
#include "support/fakes.h"
#include "support/table_case.h"

namespace pellatone {
namespace {

using ::testing::ElementsAre;
using testing::Fakes;
using ::testing::IsEmpty;
using testing::kCopyError;
using testing::PrintTo;

// The paths one Java home gives in one convention, written out in full.
struct Layout {
    const char* name;
    PathConvention convention;
    std::string home;
    std::string separator;
    // Tested paths, rows 1 to 4.
    std::array<std::string, 4> tested;
    // Destination folders, rows 1 to 4.
    std::array<std::string, 4> folder;
    // Sources, rows 1 to 4.
    std::array<std::string, 4> source;
};

const Layout kWindowsLayout{
    "Windows",
    PathConvention::kWindows,
    "C:\\Program Files\\Java\\jre6",
    "\\",
    {"C:\\Program Files\\Java\\jre6\\lib\\ext\\Comm.jar",
     "C:\\Program Files\\Java\\jre6\\lib\\javax.comm.properties",
     "C:\\Program Files\\Java\\jre6\\bin\\Win32com.dll",
     "C:\\Program Files\\Java\\jre6\\lib\\ext\\jdc.jar"},
    {"C:\\Program Files\\Java\\jre6\\lib\\ext\\", "C:\\Program Files\\Java\\jre6\\lib\\",
     "C:\\Program Files\\Java\\jre6\\bin\\", "C:\\Program Files\\Java\\jre6\\lib\\ext\\"},
    {"C:\\maradel\\GsmModemJar\\Comm.jar", "C:\\maradel\\GsmModemJar\\javax.comm.properties",
     "C:\\maradel\\GsmModemJar\\Win32com.dll", "C:\\maradel\\GsmModemJar\\jdc.jar"}};

// The home's own backslash is part of a POSIX name and stays.
const Layout kPosixLayout{
    "Posix",
    PathConvention::kPosix,
    "/usr/lib/jvm/odd\\jre",
    "/",
    {"/usr/lib/jvm/odd\\jre/lib/ext/Comm.jar", "/usr/lib/jvm/odd\\jre/lib/javax.comm.properties",
     "/usr/lib/jvm/odd\\jre/bin/Win32com.dll", "/usr/lib/jvm/odd\\jre/lib/ext/jdc.jar"},
    {"/usr/lib/jvm/odd\\jre/lib/ext/", "/usr/lib/jvm/odd\\jre/lib/", "/usr/lib/jvm/odd\\jre/bin/",
     "/usr/lib/jvm/odd\\jre/lib/ext/"},
    {"/opt/maradel/GsmModemJar/Comm.jar", "/opt/maradel/GsmModemJar/javax.comm.properties",
     "/opt/maradel/GsmModemJar/Win32com.dll", "/opt/maradel/GsmModemJar/jdc.jar"}};

class InstallCommExtensionTest : public Fakes, public ::testing::TestWithParam<Layout> {
protected:
    JavaRuntimeServices services{platform, registry, fileSystem, GetParam().convention};
    const Layout& layout = GetParam();

    // A runtime with its three folders and a complete source folder.
    void SetUp() override {
        for (const std::string& folder : layout.folder) fileSystem.folders.insert(folder);
        for (const std::string& source : layout.source) fileSystem.files.insert(source);
    }
    [[nodiscard]] std::string Exists(int row) const {
        return "file exists: " + layout.tested.at(row - 1);
    }
    [[nodiscard]] std::string Copy(int row) const {
        return "copy file: " + layout.source.at(row - 1) + " -> " + layout.folder.at(row - 1);
    }
    void Install() { InstallCommExtension(services, layout.home); }
};

TEST_P(InstallCommExtensionTest, CopiesEveryMissingFileInPlanOrder) {
    Install();
    EXPECT_THAT(log, ElementsAre(Exists(1), Copy(1), Exists(2), Copy(2), Exists(3), Copy(3),
                                 Exists(4), Copy(4)));
    for (const std::string& tested : layout.tested) EXPECT_EQ(fileSystem.files.count(tested), 1U);
    EXPECT_THAT(platform.messages, IsEmpty());
}

TEST_P(InstallCommExtensionTest, AllFilesPresentCopiesNothing) {
    for (const std::string& tested : layout.tested) fileSystem.files.insert(tested);
    Install();
    EXPECT_THAT(log, ElementsAre(Exists(1), Exists(2), Exists(3), Exists(4)));
    EXPECT_THAT(platform.messages, IsEmpty());
}

TEST_P(InstallCommExtensionTest, OnlyTheFurtherArchiveMissingCopiesOnlyIt) {
    for (int row : {1, 2, 3}) fileSystem.files.insert(layout.tested.at(row - 1));
    Install();
    EXPECT_THAT(log, ElementsAre(Exists(1), Exists(2), Exists(3), Exists(4), Copy(4)));
    EXPECT_THAT(platform.messages, IsEmpty());
}

// The properties file belongs in lib, not lib/ext: one there does not count.
TEST_P(InstallCommExtensionTest, PropertiesFileIsTestedAndCopiedInLib) {
    for (int row : {1, 3, 4}) fileSystem.files.insert(layout.tested.at(row - 1));
    fileSystem.files.insert(layout.folder.at(0) + "javax.comm.properties");
    Install();
    EXPECT_THAT(log, ElementsAre(Exists(1), Exists(2), Copy(2), Exists(3), Exists(4)));
}

TEST_P(InstallCommExtensionTest, MissingSourceFolderStopsAtTheFirstCopy) {
    fileSystem.files.clear();
    Install();
    EXPECT_THAT(
        log, ElementsAre(Exists(1), Copy(1), "message: File not found", "message: " + kCopyError));
}

TEST_P(InstallCommExtensionTest, FailureInRowThreeKeepsEarlierCopiesAndSkipsRowFour) {
    fileSystem.folders.erase(layout.folder.at(2));
    Install();
    EXPECT_THAT(log, ElementsAre(Exists(1), Copy(1), Exists(2), Copy(2), Exists(3), Copy(3),
                                 "message: Path not found", "message: " + kCopyError));
    EXPECT_EQ(fileSystem.files.count(layout.tested.at(0)), 1U);
    EXPECT_EQ(fileSystem.files.count(layout.tested.at(1)), 1U);
    EXPECT_EQ(fileSystem.files.count(layout.tested.at(3)), 0U);
}

TEST_P(InstallCommExtensionTest, FolderAtTheTestedPathCountsAsAbsentAndTheCopyFails) {
    fileSystem.folders.insert(layout.tested.at(0) + layout.separator);
    Install();
    EXPECT_THAT(log, ElementsAre(Exists(1), Copy(1), "message: Path/File access error",
                                 "message: " + kCopyError));
}

TEST_P(InstallCommExtensionTest, RefusedCopyShowsItsDescription) {
    fileSystem.files.insert(layout.tested.at(0));
    fileSystem.failures.emplace(layout.source.at(1), RunTimeError(70, "Permission denied"));
    Install();
    EXPECT_THAT(log, ElementsAre(Exists(1), Exists(2), Copy(2), "message: Permission denied",
                                 "message: " + kCopyError));
}

TEST_P(InstallCommExtensionTest, FailingExistenceTestStopsTheInstallation) {
    fileSystem.failures.emplace(layout.tested.at(1), RunTimeError(57, "Device I/O error"));
    Install();
    EXPECT_THAT(log, ElementsAre(Exists(1), Copy(1), Exists(2), "message: Device I/O error",
                                 "message: " + kCopyError));
}

INSTANTIATE_TEST_SUITE_P(BothConventions, InstallCommExtensionTest,
                         ::testing::Values(kWindowsLayout, kPosixLayout), testing::NameOfCase());

class InstallCommExtensionWindows : public Fakes, public ::testing::Test {};

TEST_F(InstallCommExtensionWindows, TrailingBackslashGivesDoubledBackslashes) {
    fileSystem.files = {"C:\\jre\\\\lib\\ext\\Comm.jar", "C:\\jre\\\\lib\\javax.comm.properties",
                        "C:\\jre\\\\bin\\Win32com.dll"};
    fileSystem.files.insert("C:\\maradel\\GsmModemJar\\jdc.jar");
    fileSystem.folders.insert("C:\\jre\\\\lib\\ext\\");
    InstallCommExtension({platform, registry, fileSystem, PathConvention::kWindows}, "C:\\jre\\");
    EXPECT_THAT(log, ElementsAre("file exists: C:\\jre\\\\lib\\ext\\Comm.jar",
                                 "file exists: C:\\jre\\\\lib\\javax.comm.properties",
                                 "file exists: C:\\jre\\\\bin\\Win32com.dll",
                                 "file exists: C:\\jre\\\\lib\\ext\\jdc.jar",
                                 "copy file: C:\\maradel\\GsmModemJar\\jdc.jar -> "
                                 "C:\\jre\\\\lib\\ext\\"));
}

// A file layer failing with something other than the program's own error is still reported here.
TEST_F(InstallCommExtensionWindows, NeverPassesAnErrorBack) {
    fileSystem.onFileExists = [](const std::string&) { throw std::runtime_error("stream broke"); };
    EXPECT_NO_THROW(InstallCommExtension({platform, registry, fileSystem, PathConvention::kWindows},
                                         "C:\\jre"));
    EXPECT_THAT(platform.messages, ElementsAre("stream broke", kCopyError));
}

}  // namespace
}  // namespace pellatone
