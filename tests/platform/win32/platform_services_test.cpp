#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "platform/platform_test.h"
#include "support/error_of.h"
#include "support/temporary_folder.h"

namespace pellatone {
namespace {

namespace fs = std::filesystem;
using platform_test::ProcessStart;
using testing::Utf8;

TEST(Win32PlatformServices, ApplicationFolderHoldsTheRunningProgram) {
    const std::string applicationFolder = CreatePlatformServices()->ApplicationFolder();
    ASSERT_FALSE(applicationFolder.empty());
    EXPECT_NE(applicationFolder.back(), '\\');
    EXPECT_TRUE(
        fs::is_regular_file(testing::PathOf(applicationFolder + "/pellatone_win32_tests.exe")))
        << applicationFolder;
}

// The fixture takes us back to our folder, which a failed start leaves elsewhere.
TEST_F(ProcessStart, StartingAProgramInAMissingFolderFails) {
    const RunTimeError error = testing::ErrorOf([&] {
        platform->StartProcessInFolder(Utf8(folder / "jre/bin/java.exe") + " -version",
                                       Utf8(folder.Path()));
    });
    EXPECT_TRUE(error.Number() == 53 || error.Number() == 76) << error.Number();
}

}  // namespace

namespace platform_test {

std::unique_ptr<PlatformServices> ServicesUnderTest() { return CreatePlatformServices(); }

// cmd.exe comes with every Windows (and Wine).
const char* const kWriteHereCommand = "cmd.exe /c cd > started-here.txt";

}  // namespace platform_test
}  // namespace pellatone
