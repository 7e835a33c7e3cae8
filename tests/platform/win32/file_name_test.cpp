#include "platform/win32/file_name.h"

#include <gtest/gtest.h>

#include <string>

namespace pellatone::win32 {
namespace {

struct FileNameCase {
    std::wstring path;
    std::wstring name;
};

class FileNameOfTest : public ::testing::TestWithParam<FileNameCase> {};

TEST_P(FileNameOfTest, TakesWhatFollowsTheLastSeparator) {
    EXPECT_EQ(FileNameOf(GetParam().path), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileNameOfTest,
    ::testing::Values(FileNameCase{L"C:\\maradel\\GsmModemJar\\Comm.jar", L"Comm.jar"},
                      FileNameCase{L"/opt/maradel/GsmModemJar/jdc.jar", L"jdc.jar"},
                      FileNameCase{L"C:\\a/b\\Win32com.dll", L"Win32com.dll"},
                      FileNameCase{L"Comm.jar", L"Comm.jar"}, FileNameCase{L"C:\\folder\\", L""}));

}  // namespace
}  // namespace pellatone::win32
