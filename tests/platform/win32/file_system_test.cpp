#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "platform/platform_test.h"
#include "platform/win32/unique_resource.h"
#include "support/error_of.h"
#include "support/expected_texts.h"
// The file-system interface has its own CopyFile; the W call is named in full where meant.
#undef CopyFile

namespace pellatone::platform_test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using testing::ReadFile;
using testing::Utf8;
using testing::WriteFile;
using Strings = std::vector<std::string>;

INSTANTIATE_TEST_SUITE_P(Win32, FileExists,
                         ::testing::Values(ExistsCase{"OtherLetterCase", "SOURCE/comm.JAR", true},
                                           ExistsCase{"DoubledSeparator", "source//Comm.jar",
                                                      true}),
                         testing::NameOfCase());

void SetReadOnly(const fs::path& path) {
    ASSERT_NE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY), 0);
}

// The copy carries the source's read-only attribute, which must not keep the temporary file from
// being removed when the rename fails.
void MakeReadOnlySourceAndAFolderInTheWay(const testing::TemporaryFolder& folder) {
    SetReadOnly(folder / "source/Comm.jar");
    fs::create_directory(folder / "ext/Comm.jar");
}

INSTANTIATE_TEST_SUITE_P(Win32, CopyFileFailure,
                         ::testing::Values(CopyFailure{"ReadOnlySourceAndAFolderInTheWay",
                                                       "source/Comm.jar", "ext/", 75,
                                                       "Path/File access error", "ext/Comm.jar",
                                                       MakeReadOnlySourceAndAFolderInTheWay}),
                         testing::NameOfCase());

TEST_F(FileSystemTest, AReadOnlySourceIsCopiedWithItsAttributeAndTime) {
    SetReadOnly(folder / "source/Comm.jar");
    fileSystem->CopyFile(Utf8(folder / "source/Comm.jar"), Utf8(folder / "ext/"));
    EXPECT_NE(GetFileAttributesW((folder / "ext/Comm.jar").c_str()) & FILE_ATTRIBUTE_READONLY, 0U);
    EXPECT_EQ(fs::last_write_time(folder / "ext/Comm.jar"),
              fs::last_write_time(folder / "source/Comm.jar"));
    EXPECT_EQ(ReadFile(folder / "ext/Comm.jar"), "comm archive contents");
    EXPECT_EQ(folder.Names("ext"), Strings{"Comm.jar"});
}

struct MeanwhileCase {
    const char* name;
    const char* placed;
    bool installed;
};

class InstalledMeanwhile : public FileSystemTest,
                           public ::testing::WithParamInterface<MeanwhileCase> {};

// Another program put a file in place after this one found the file absent: it is left as it is,
// and counts as installed only when it is the very file.
TEST_P(InstalledMeanwhile, CountsOnlyTheSameFile) {
    ASSERT_FALSE(fileSystem->FileExists(Utf8(folder / "ext/Comm.jar")));
    WriteFile(folder / "ext/Comm.jar", GetParam().placed);
    const RunTimeError error = testing::ErrorOf(
        [&] { fileSystem->CopyFile(Utf8(folder / "source/Comm.jar"), Utf8(folder / "ext/")); });
    EXPECT_EQ(error.Number(), GetParam().installed ? 0 : 58);
    EXPECT_EQ(error.Description(), GetParam().installed
                                       ? "no error"
                                       : testing::ForeignFileText(Utf8(folder / "ext/Comm.jar")));
    EXPECT_EQ(ReadFile(folder / "ext/Comm.jar"), GetParam().placed);
    EXPECT_EQ(folder.Names("ext"), Strings{"Comm.jar"});
}

INSTANTIATE_TEST_SUITE_P(Files, InstalledMeanwhile,
                         ::testing::Values(MeanwhileCase{"Equal", "comm archive contents", true},
                                           MeanwhileCase{"Shorter", "comm archive", false},
                                           MeanwhileCase{"Different", "comm archive CONTENTS",
                                                         false}),
                         testing::NameOfCase());

void CloseListing(HANDLE listing) noexcept { FindClose(listing); }
// A folder listing from FindFirstFileW, once it is known to have succeeded.
using UniqueListing = win32::UniqueResource<HANDLE, &CloseListing>;

// The names in a folder, which is then removed with them; unlike the C runtime's folder
// functions, the system's go past MAX_PATH.
std::set<std::wstring> RemoveFolderListing(const fs::path& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE first = FindFirstFileW((folder / L"*").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) return names;
    {
        const UniqueListing listing(first);
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") names.insert(name);
        } while (FindNextFileW(listing.Get(), &found) != 0);
    }
    for (const std::wstring& name : names) DeleteFileW((folder / name).c_str());
    RemoveDirectoryW(folder.c_str());
    return names;
}

// GetTempFileNameW takes folders of at most MAX_PATH - 14 characters, though the system (here
// Wine) takes longer paths.
TEST_F(FileSystemTest, CopiesIntoAFolderLongerThanMaxPath) {
    const fs::path outer = folder / std::string(120, 'x');
    const fs::path longFolder = outer / std::wstring(120, L'y');
    fs::create_directories(longFolder);
    ASSERT_GT(longFolder.wstring().size(), std::size_t{MAX_PATH});
    EXPECT_NO_THROW(
        fileSystem->CopyFile(Utf8(folder / "source/Comm.jar"), Utf8(longFolder) + "\\"));
    EXPECT_EQ(ReadFile(longFolder / L"Comm.jar"), "comm archive contents");
    EXPECT_THAT(RemoveFolderListing(longFolder), ElementsAre(L"Comm.jar"));
    RemoveDirectoryW(outer.c_str());
}

}  // namespace
}  // namespace pellatone::platform_test
