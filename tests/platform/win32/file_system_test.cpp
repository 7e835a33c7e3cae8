#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "platform/platform.h"
#include "platform/win32/unique_resource.h"
#include "support/error_of.h"
#include "support/table_case.h"
#include "temporary_folder.h"
// The file-system interface has its own CopyFile; the W call is named in full where meant.
#undef CopyFile

namespace pellatone {
namespace {

using testing::PrintTo;

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using testing::EntriesOf;
using ::testing::IsEmpty;
using testing::ReadFile;
using testing::TemporaryFolder;
using testing::Utf8;
using testing::Utf8Folder;
using testing::WriteFile;

class Win32FileSystemTest : public ::testing::Test {
protected:
    Win32FileSystemTest() {
        fs::create_directory(source());
        fs::create_directory(destination());
    }
    [[nodiscard]] fs::path source() const { return root.Path() / L"GsmModemJar"; }
    [[nodiscard]] fs::path destination() const { return root.Path() / L"ext"; }

    // Runs the copy and hands back the error it raised.
    RunTimeError CopyError(const std::string& sourcePath, const std::string& folder) {
        return testing::ErrorOf([&] { fileSystem->CopyFile(sourcePath, folder); });
    }

    TemporaryFolder root;
    std::unique_ptr<FileSystem> fileSystem = CreateFileSystem();
};

struct ExistsCase {
    const char* name;
    const wchar_t* relativePath;
    bool exists;
};

class FileExistsTest : public Win32FileSystemTest,
                       public ::testing::WithParamInterface<ExistsCase> {};

TEST_P(FileExistsTest, IsTrueForAFileOnly) {
    WriteFile(source() / L"Comm.jar", "jar");
    fs::create_directory(source() / L"folder.jar");
    EXPECT_EQ(fileSystem->FileExists(Utf8(root.Path() / GetParam().relativePath)),
              GetParam().exists);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileExistsTest,
    ::testing::Values(ExistsCase{"File", L"GsmModemJar\\Comm.jar", true},
                      ExistsCase{"OtherLetterCase", L"gsmmodemjar\\COMM.JAR", true},
                      ExistsCase{"Folder", L"GsmModemJar\\folder.jar", false},
                      ExistsCase{"Missing", L"GsmModemJar\\jdc.jar", false},
                      ExistsCase{"MissingFolder", L"missing\\Comm.jar", false},
                      ExistsCase{"ThroughAFile", L"GsmModemJar\\Comm.jar\\inner.jar", false},
                      ExistsCase{"DoubledBackslash", L"GsmModemJar\\\\Comm.jar", true}),
    testing::NameOfCase());

TEST_F(Win32FileSystemTest, FileExistsReadsUtf8Names) {
    WriteFile(source() / L"Gr\u00FC\u00DFe.jar", "jar");
    EXPECT_TRUE(fileSystem->FileExists(Utf8(source()) + "\\Gr\xC3\xBC\xC3\x9F"
                                                        "e.jar"));
}

TEST_F(Win32FileSystemTest, CopiesUnderTheSourcesNameAndLeavesNothingElse) {
    WriteFile(source() / L"Comm.jar", "the archive");
    fileSystem->CopyFile(Utf8(source() / L"Comm.jar"), Utf8Folder(destination()));
    EXPECT_EQ(ReadFile(destination() / L"Comm.jar"), "the archive");
    EXPECT_THAT(EntriesOf(destination()), ElementsAre(L"Comm.jar"));
    EXPECT_EQ(ReadFile(source() / L"Comm.jar"), "the archive");
}

TEST_F(Win32FileSystemTest, ReplacesAnExistingFile) {
    WriteFile(source() / L"javax.comm.properties", "new");
    WriteFile(destination() / L"javax.comm.properties", "old and longer");
    fileSystem->CopyFile(Utf8(source() / L"javax.comm.properties"), Utf8Folder(destination()));
    EXPECT_EQ(ReadFile(destination() / L"javax.comm.properties"), "new");
    EXPECT_THAT(EntriesOf(destination()), ElementsAre(L"javax.comm.properties"));
}

TEST_F(Win32FileSystemTest, CopiesAnEmptyFileAndAUtf8Name) {
    WriteFile(source() / L"\u65E5\u672C.dll", "");
    fileSystem->CopyFile(Utf8(source()) + "\\\xE6\x97\xA5\xE6\x9C\xAC.dll",
                         Utf8Folder(destination()));
    EXPECT_THAT(EntriesOf(destination()), ElementsAre(L"\u65E5\u672C.dll"));
    EXPECT_EQ(ReadFile(destination() / L"\u65E5\u672C.dll"), "");
}

TEST_F(Win32FileSystemTest, AFolderWithoutItsTrailingBackslashIsStillTheFolder) {
    WriteFile(source() / L"jdc.jar", "jdc");
    fileSystem->CopyFile(Utf8(source() / L"jdc.jar"), Utf8(destination()));
    EXPECT_THAT(EntriesOf(destination()), ElementsAre(L"jdc.jar"));
}

TEST_F(Win32FileSystemTest, AMissingSourceIsFileNotFound) {
    const RunTimeError error = CopyError(Utf8(source() / L"Comm.jar"), Utf8Folder(destination()));
    EXPECT_EQ(error.Number(), 53);
    EXPECT_EQ(error.Description(), "File not found: " + Utf8(source() / L"Comm.jar"));
    EXPECT_THAT(EntriesOf(destination()), IsEmpty());
}

TEST_F(Win32FileSystemTest, AFolderAsSourceIsFileNotFound) {
    fs::create_directory(source() / L"Comm.jar");
    const RunTimeError error = CopyError(Utf8(source() / L"Comm.jar"), Utf8Folder(destination()));
    EXPECT_EQ(error.Number(), 53);
    EXPECT_THAT(EntriesOf(destination()), IsEmpty());
}

// Whether the file or its whole folder is missing, the source is a file that is not there.
TEST_F(Win32FileSystemTest, AMissingSourceFolderIsFileNotFound) {
    const RunTimeError error =
        CopyError(Utf8(root.Path() / L"maradel" / L"Comm.jar"), Utf8Folder(destination()));
    EXPECT_EQ(error.Number(), 53);
    EXPECT_EQ(error.Description(),
              "File not found: " + Utf8(root.Path() / L"maradel" / L"Comm.jar"));
}

TEST_F(Win32FileSystemTest, AMissingDestinationFolderIsPathNotFound) {
    WriteFile(source() / L"Win32com.dll", "dll");
    const RunTimeError error =
        CopyError(Utf8(source() / L"Win32com.dll"), Utf8Folder(root.Path() / L"bin"));
    EXPECT_EQ(error.Number(), 76);
    EXPECT_EQ(error.Description(), "Path not found: " + Utf8Folder(root.Path() / L"bin"));
    EXPECT_FALSE(fs::exists(root.Path() / L"bin"));
}

TEST_F(Win32FileSystemTest, AFileGivenAsDestinationFolderIsPathNotFound) {
    WriteFile(source() / L"Win32com.dll", "dll");
    WriteFile(root.Path() / L"bin", "a file, not a folder");
    const RunTimeError error =
        CopyError(Utf8(source() / L"Win32com.dll"), Utf8Folder(root.Path() / L"bin"));
    EXPECT_EQ(error.Number(), 76);
    EXPECT_EQ(ReadFile(root.Path() / L"bin"), "a file, not a folder");
}

TEST_F(Win32FileSystemTest, AFolderInTheWayRefusesTheCopyAndLeavesNoTemporaryFile) {
    WriteFile(source() / L"Comm.jar", "the archive");
    fs::create_directory(destination() / L"Comm.jar");
    const RunTimeError error = CopyError(Utf8(source() / L"Comm.jar"), Utf8Folder(destination()));
    // No rights would move the folder: nothing to advise.
    EXPECT_EQ(error.Number(), 75);
    EXPECT_EQ(error.Description(), "Path/File access error: " + Utf8(destination() / L"Comm.jar"));
    EXPECT_THAT(EntriesOf(destination()), ElementsAre(L"Comm.jar"));
    EXPECT_TRUE(fs::is_directory(destination() / L"Comm.jar"));
}

TEST_F(Win32FileSystemTest, AReadOnlyFileInTheWayStaysAndNoTemporaryFileIsLeft) {
    WriteFile(source() / L"jdc.jar", "new");
    WriteFile(destination() / L"jdc.jar", "old");
    const std::wstring target = (destination() / L"jdc.jar").wstring();
    ASSERT_NE(SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY), 0);
    const RunTimeError error = CopyError(Utf8(source() / L"jdc.jar"), Utf8Folder(destination()));
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(error.Number(), 75);
    EXPECT_EQ(ReadFile(destination() / L"jdc.jar"), "old");
    EXPECT_THAT(EntriesOf(destination()), ElementsAre(L"jdc.jar"));
}

TEST_F(Win32FileSystemTest, AReadOnlySourceIsCopiedWithItsAttributeAndTime) {
    WriteFile(source() / L"Win32com.dll", "dll");
    const std::wstring from = (source() / L"Win32com.dll").wstring();
    ASSERT_NE(SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_READONLY), 0);
    fileSystem->CopyFile(Utf8(source() / L"Win32com.dll"), Utf8Folder(destination()));
    const std::wstring to = (destination() / L"Win32com.dll").wstring();
    const DWORD attributes = GetFileAttributesW(to.c_str());
    SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
    SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_READONLY, 0U);
    EXPECT_EQ(fs::last_write_time(destination() / L"Win32com.dll"),
              fs::last_write_time(source() / L"Win32com.dll"));
    EXPECT_EQ(ReadFile(destination() / L"Win32com.dll"), "dll");
    EXPECT_THAT(EntriesOf(destination()), ElementsAre(L"Win32com.dll"));
}

// The copy carries the source's read-only attribute, which must not keep the temporary file
// from being removed when the rename fails.
TEST_F(Win32FileSystemTest, AReadOnlySourceLeavesNoTemporaryFileWhenTheRenameFails) {
    WriteFile(source() / L"Comm.jar", "the archive");
    const std::wstring from = (source() / L"Comm.jar").wstring();
    ASSERT_NE(SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_READONLY), 0);
    fs::create_directory(destination() / L"Comm.jar");
    const RunTimeError error = CopyError(Utf8(source() / L"Comm.jar"), Utf8Folder(destination()));
    SetFileAttributesW(from.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(error.Number(), 75);
    EXPECT_THAT(EntriesOf(destination()), ElementsAre(L"Comm.jar"));
}

// The names in a folder, which is then removed with them; unlike the C runtime's folder
// functions, the system's go past MAX_PATH.
std::set<std::wstring> RemoveFolderListing(const fs::path& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    const HANDLE first = FindFirstFileW((folder / L"*").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) return names;
    {
        const win32::UniqueFindHandle listing(first);
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
TEST_F(Win32FileSystemTest, CopiesIntoAFolderLongerThanMaxPath) {
    WriteFile(source() / L"jdc.jar", "jdc");
    const fs::path outer = destination() / std::wstring(120, L'x');
    const fs::path folder = outer / std::wstring(120, L'y');
    fs::create_directories(folder);
    ASSERT_GT(folder.wstring().size(), std::size_t{MAX_PATH});
    EXPECT_NO_THROW(fileSystem->CopyFile(Utf8(source() / L"jdc.jar"), Utf8Folder(folder)));
    EXPECT_EQ(ReadFile(folder / L"jdc.jar"), "jdc");
    EXPECT_THAT(RemoveFolderListing(folder), ElementsAre(L"jdc.jar"));
    RemoveDirectoryW(outer.c_str());
}

}  // namespace
}  // namespace pellatone
