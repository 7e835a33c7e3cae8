#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "support/error_of.h"
#include "temporary_folder.h"

namespace pellatone {
namespace {

namespace fs = std::filesystem;
using testing::ErrorOf;
using testing::TemporaryFolder;
using testing::Utf8;

class Win32PlatformServicesTest : public ::testing::Test {
protected:
    Win32PlatformServicesTest() : remembered(fs::current_path()) {}
    ~Win32PlatformServicesTest() override { fs::current_path(remembered); }

    fs::path remembered;
    TemporaryFolder folder;
    std::unique_ptr<PlatformServices> platform = CreatePlatformServices();
};

TEST_F(Win32PlatformServicesTest, ApplicationFolderHoldsTheRunningProgram) {
    const std::string applicationFolder = platform->ApplicationFolder();
    ASSERT_FALSE(applicationFolder.empty());
    EXPECT_NE(applicationFolder.back(), '\\');
    EXPECT_TRUE(fs::is_regular_file(fs::u8path(applicationFolder + "\\pellatone_win32_tests.exe")))
        << applicationFolder;
}

TEST_F(Win32PlatformServicesTest, WorkingFolderRoundTrips) {
    const std::string before = platform->GetWorkingFolder();
    EXPECT_EQ(fs::u8path(before), fs::current_path());
    platform->SetWorkingFolder(Utf8(folder.Path()));
    EXPECT_EQ(platform->GetWorkingFolder(), Utf8(folder.Path()));
    EXPECT_TRUE(fs::equivalent(fs::current_path(), folder.Path()));
    platform->SetWorkingFolder(before);
    EXPECT_EQ(platform->GetWorkingFolder(), before);
}

TEST_F(Win32PlatformServicesTest, WorkingFolderKeepsAUtf8Name) {
    const fs::path named = folder.Path() / L"Gr\u00FC\u00DFe App";
    fs::create_directory(named);
    platform->SetWorkingFolder(Utf8(folder.Path()) +
                               "\\Gr\xC3\xBC\xC3\x9F"
                               "e App");
    EXPECT_EQ(platform->GetWorkingFolder(), Utf8(named));
}

TEST_F(Win32PlatformServicesTest, SettingAMissingFolderIsPathNotFoundAndChangesNothing) {
    const std::string before = platform->GetWorkingFolder();
    const RunTimeError error =
        ErrorOf([&] { platform->SetWorkingFolder(Utf8(folder.Path() / L"missing")); });
    EXPECT_EQ(error.Number(), 76);
    EXPECT_EQ(error.Description(), "Path not found");
    EXPECT_EQ(platform->GetWorkingFolder(), before);
}

TEST_F(Win32PlatformServicesTest, SettingAFileAsFolderIsPathNotFound) {
    testing::WriteFile(folder.Path() / L"plain.txt", "text");
    const RunTimeError error =
        ErrorOf([&] { platform->SetWorkingFolder(Utf8(folder.Path() / L"plain.txt")); });
    EXPECT_EQ(error.Number(), 76);
}

TEST_F(Win32PlatformServicesTest, StartingAProgramThatIsNowhereIsFileNotFound) {
    platform->SetWorkingFolder(Utf8(folder.Path()));
    const RunTimeError error = ErrorOf([&] {
        platform->StartProcess("pellatone-no-such-program -classpath \"x\" VEXMORA.Frame11");
    });
    EXPECT_EQ(error.Number(), 53);
    EXPECT_EQ(error.Description(), "File not found");
}

TEST_F(Win32PlatformServicesTest, StartingAProgramInAMissingFolderFails) {
    const RunTimeError error = ErrorOf([&] {
        platform->StartProcess(Utf8(folder.Path() / L"jre" / L"bin" / L"java.exe") + " -version");
    });
    EXPECT_TRUE(error.Number() == 53 || error.Number() == 76) << error.Number();
}

TEST_F(Win32PlatformServicesTest, StartsAProgramInTheWorkingFolderWithoutWaiting) {
    // cmd.exe comes with every Windows (and Wine); it leaves a trace of its working folder.
    platform->SetWorkingFolder(Utf8(folder.Path()));
    platform->StartProcess("cmd.exe /c cd > started-here.txt");
    const fs::path trace = folder.Path() / L"started-here.txt";
    for (int i = 0; i < 200 && testing::ReadFile(trace).empty(); ++i) Sleep(50);
    EXPECT_EQ(testing::ReadFile(trace), Utf8(folder.Path()) + "\r\n");
}

}  // namespace
}  // namespace pellatone
