#include "platform/win32/module_folder.h"

#include <gtest/gtest.h>

#include <string>

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

}  // namespace
}  // namespace pellatone::win32
