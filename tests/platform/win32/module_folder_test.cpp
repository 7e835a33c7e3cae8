#include "platform/win32/module_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win32_splash_window.h"

namespace pellatone::win32 {
namespace {

struct FolderCase {
    std::wstring modulePath;
    std::wstring folder;
};

class FolderOfModulePathTest : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderOfModulePathTest, DropsTheFileNameAndKeepsOnlyARootsBackslash) {
    EXPECT_EQ(FolderOfModulePath(GetParam().modulePath), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FolderOfModulePathTest,
    ::testing::Values(FolderCase{L"C:\\app\\pellatone.exe", L"C:\\app"},
                      FolderCase{L"C:\\pellatone.exe", L"C:\\"},
                      FolderCase{L"Z:\\tmp\\Pellatone App\\pellatone.exe",
                                 L"Z:\\tmp\\Pellatone App"},
                      FolderCase{L"C:\\a\\b\\c\\pellatone.exe", L"C:\\a\\b\\c"},
                      FolderCase{L"\\\\server\\share\\pellatone.exe", L"\\\\server\\share"},
                      FolderCase{L"\\\\?\\C:\\pellatone.exe", L"\\\\?\\C:\\"},
                      FolderCase{L"\\\\?\\C:\\app\\pellatone.exe", L"\\\\?\\C:\\app"},
                      // A folder name ending in a colon is no drive.
                      FolderCase{L"C:\\odd:\\pellatone.exe", L"C:\\odd:"},
                      FolderCase{L"pellatone.exe", L""}, FolderCase{L"", L""}));

TEST(RunningProgramPathTest, NamesThisTestProgram) {
    const std::wstring path = RunningProgramPath();
    ASSERT_GT(path.size(), 3U);
    EXPECT_EQ(path.substr(1, 2), L":\\");
    EXPECT_TRUE(path.ends_with(L"\\pellatone_win32_tests.exe")) << path.size();
}

struct CentreCase {
    RECT workArea;
    SIZE window;
    RECT expected;
};

class CentredWindowRectTest : public ::testing::TestWithParam<CentreCase> {};

TEST_P(CentredWindowRectTest, CentresInTheWorkArea) {
    const RECT placed = CentredWindowRect(GetParam().workArea, GetParam().window);
    EXPECT_EQ(placed.left, GetParam().expected.left);
    EXPECT_EQ(placed.top, GetParam().expected.top);
    EXPECT_EQ(placed.right, GetParam().expected.right);
    EXPECT_EQ(placed.bottom, GetParam().expected.bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, CentredWindowRectTest,
    ::testing::Values(CentreCase{{0, 0, 1280, 1024}, {503, 550}, {388, 237, 891, 787}},
                      // A task bar on the left or at the top moves the work area's origin.
                      CentreCase{{40, 0, 1920, 1080}, {503, 550}, {728, 265, 1231, 815}},
                      CentreCase{{0, 30, 800, 600}, {503, 550}, {148, 40, 651, 590}},
                      // A window larger than the work area overhangs on every side.
                      CentreCase{{0, 0, 400, 300}, {503, 550}, {-51, -125, 452, 425}}));

}  // namespace
}  // namespace pellatone::win32
