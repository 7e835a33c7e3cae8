#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "support/error_of.h"
#include "support/temporary_folder.h"

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

// cmd.exe comes with every Windows (and Wine); it leaves a trace of its working folder.
TEST_F(Win32PlatformServicesTest, StartsAProgramInTheFolderWithoutWaitingAndKeepsOurs) {
    const fs::path ours = fs::current_path();
    platform->StartProcessInFolder("cmd.exe /c cd > started-here.txt", Utf8(folder.Path()));
    EXPECT_EQ(fs::current_path(), ours);
    const fs::path trace = folder.Path() / L"started-here.txt";
    for (int i = 0; i < 200 && testing::ReadFile(trace).empty(); ++i) Sleep(50);
    EXPECT_EQ(testing::ReadFile(trace), Utf8(folder.Path()) + "\r\n");
}

// Both folders named in UTF-8 come through: the started one and ours, made current again.
TEST_F(Win32PlatformServicesTest, FoldersKeepTheirUtf8Names) {
    const fs::path ours = folder.Path() / L"Gr\u00FC\u00DFe";
    const fs::path named = folder.Path() / L"Gr\u00FC\u00DFe App";
    fs::create_directory(ours);
    fs::create_directory(named);
    fs::current_path(ours);
    platform->StartProcessInFolder("cmd.exe /c echo x> started-here.txt", Utf8(folder.Path()) +
                                                                              "\\Gr\xC3\xBC\xC3\x9F"
                                                                              "e App");
    EXPECT_EQ(fs::current_path(), ours);
    for (int i = 0; i < 200 && testing::ReadFile(named / L"started-here.txt").empty(); ++i) {
        Sleep(50);
    }
    EXPECT_EQ(testing::ReadFile(named / L"started-here.txt"), "x\r\n");
}

TEST_F(Win32PlatformServicesTest, AFolderThatCannotBeEnteredIsPathNotFoundAndStartsNothing) {
    testing::WriteFile(folder.Path() / L"plain.txt", "text");
    const fs::path ours = fs::current_path();
    for (const fs::path& target : {folder.Path() / L"missing", folder.Path() / L"plain.txt"}) {
        const RunTimeError error = ErrorOf([&] {
            platform->StartProcessInFolder("cmd.exe /c echo x> started-here.txt", Utf8(target));
        });
        EXPECT_EQ(error.Number(), 76) << Utf8(target);
        EXPECT_EQ(error.Description(), "Path not found");
        EXPECT_EQ(fs::current_path(), ours);
    }
    Sleep(300);
    EXPECT_FALSE(fs::exists(ours / L"started-here.txt"));
}

TEST_F(Win32PlatformServicesTest, StartingAProgramThatIsNowhereIsFileNotFound) {
    const RunTimeError error = ErrorOf([&] {
        platform->StartProcessInFolder("pellatone-no-such-program -classpath \"x\" VEXMORA.Frame11",
                                       Utf8(folder.Path()));
    });
    EXPECT_EQ(error.Number(), 53);
    EXPECT_EQ(error.Description(), "File not found");
}

TEST_F(Win32PlatformServicesTest, StartingAProgramInAMissingFolderFails) {
    const RunTimeError error = ErrorOf([&] {
        platform->StartProcessInFolder(
            Utf8(folder.Path() / L"jre" / L"bin" / L"java.exe") + " -version", Utf8(folder.Path()));
    });
    EXPECT_TRUE(error.Number() == 53 || error.Number() == 76) << error.Number();
}

}  // namespace
}  // namespace pellatone
