#include "platform_test.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/error_of.h"

namespace pellatone::platform_test {

namespace fs = std::filesystem;
using testing::ErrorOf;
using testing::PrintTo;
using testing::ReadFile;
using testing::Utf8;
using testing::WriteFile;
using Strings = std::vector<std::string>;

FileSystemTest::FileSystemTest() {
    fs::create_directory(folder / "source");
    fs::create_directory(folder / "ext");
    WriteFile(folder / "source/Comm.jar", "comm archive contents");
}

TEST_P(FileExists, IsTrueForAFileOnly) {
    WriteFile(folder / "source/empty", "");
    WriteFile(folder / "source/Gr\u00FC\u00DFe.jar", "jar");
    fs::create_directory(folder / "source/lib");
    EXPECT_EQ(fileSystem->FileExists(Utf8(folder / GetParam().path)), GetParam().exists);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FileExists,
    ::testing::Values(ExistsCase{"File", "source/Comm.jar", true},
                      ExistsCase{"EmptyFile", "source/empty", true},
                      ExistsCase{"Utf8Name", "source/Gr\u00FC\u00DFe.jar", true},
                      ExistsCase{"Folder", "source/lib", false},
                      ExistsCase{"FolderWithItsSeparator", "source/lib/", false},
                      ExistsCase{"Missing", "source/jdc.jar", false},
                      ExistsCase{"MissingFolder", "nowhere/deeper/Comm.jar", false},
                      ExistsCase{"ThroughAFile", "source/Comm.jar/inner.jar", false}),
    testing::NameOfCase());

struct CopyCase {
    const char* name;
    std::string file;
    std::string contents;
    const char* destination;
    const char* before = nullptr;  // what the destination held, if anything
};

class CopyFile : public FileSystemTest, public ::testing::WithParamInterface<CopyCase> {};

// A whole copy under the source's name, and nothing else in the destination.
TEST_P(CopyFile, CopiesUnderTheSourcesName) {
    const CopyCase& c = GetParam();
    WriteFile(folder / ("source/" + c.file), c.contents);
    if (c.before != nullptr) WriteFile(folder / ("ext/" + c.file), c.before);
    fileSystem->CopyFile(Utf8(folder / ("source/" + c.file)), Utf8(folder / c.destination));
    EXPECT_EQ(folder.Names("ext"), Strings{c.file});
    EXPECT_EQ(ReadFile(folder / ("ext/" + c.file)), c.contents);
    EXPECT_EQ(ReadFile(folder / ("source/" + c.file)), c.contents);
}

std::string LargeContents() {
    std::string large(300 * 1024 + 7, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 31 % 251);
    return large;
}

INSTANTIATE_TEST_SUITE_P(
    Files, CopyFile,
    ::testing::Values(CopyCase{"Archive", "Comm.jar", "comm archive contents", "ext/"},
                      // Put there by another start meanwhile: installed, and left as it is.
                      CopyCase{"AnEqualFileAlreadyThere", "javax.comm.properties", "new", "ext/",
                               "new"},
                      CopyCase{"LargerThanABuffer", "big.bin", LargeContents(), "ext/"},
                      CopyCase{"EmptyWithAUtf8Name", "\u65E5\u672C.dll", "", "ext/"},
                      CopyCase{"IntoAFolderWithoutItsSeparator", "jdc.jar", "jdc", "ext"}),
    testing::NameOfCase());

// Whatever fails, nothing changes: no copy, no temporary file.
TEST_P(CopyFileFailure, RaisesTheErrorAndLeavesNothingBehind) {
    const CopyFailure& c = GetParam();
    if (c.prepare != nullptr) c.prepare(folder);
    const testing::Tree before = testing::TreeOf(folder.Path());
    const RunTimeError error = ErrorOf(
        [&] { fileSystem->CopyFile(Utf8(folder / c.source), Utf8(folder / c.destination)); });
    EXPECT_EQ(error.Number(), c.number);
    EXPECT_EQ(error.Description(), std::string(c.text) + ": " + Utf8(folder / c.concerning));
    EXPECT_EQ(testing::TreeOf(folder.Path()), before);
}

void MakeFolderInTheWay(const testing::TemporaryFolder& folder) {
    fs::create_directory(folder / "ext/Comm.jar");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyFileFailure,
    ::testing::Values(CopyFailure{"SourceMissing", "source/jdc.jar", "ext/", 53, "File not found",
                                  "source/jdc.jar"},
                      CopyFailure{"SourceFolderMissing", "nowhere/jdc.jar", "ext/", 53,
                                  "File not found", "nowhere/jdc.jar"},
                      CopyFailure{"SourceIsAFolder", "source", "ext/", 53, "File not found",
                                  "source"},
                      CopyFailure{"DestinationFolderMissing", "source/Comm.jar", "lib/ext/", 76,
                                  "Path not found", "lib/ext/"},
                      CopyFailure{"DestinationFolderIsAFile", "source/Comm.jar", "source/Comm.jar/",
                                  76, "Path not found", "source/Comm.jar/"},
                      // No rights would move the folder: nothing to advise.
                      CopyFailure{"FolderInTheWay", "source/Comm.jar", "ext/", 75,
                                  "Path/File access error", "ext/Comm.jar", MakeFolderInTheWay}),
    testing::NameOfCase());

ProcessStart::ProcessStart() {
    fs::create_directory(ours);
    fs::current_path(ours);
}

ProcessStart::~ProcessStart() { fs::current_path(remembered); }

TEST_F(ProcessStart, StartsInTheFolderWithoutWaitingAndKeepsOurs) {
    const fs::path app = folder / "Gr\u00FC\u00DFe App";
    fs::create_directory(app);
    platform->StartProcessInFolder(kWriteHereCommand, Utf8(app));
    EXPECT_EQ(fs::current_path(), ours);
    EXPECT_NE(testing::AwaitFile(app / "started-here.txt", "\n"), "");
}

TEST_F(ProcessStart, AFolderThatCannotBeEnteredIsPathNotFoundAndStartsNothing) {
    testing::WriteFile(folder / "plain", "x");
    for (const std::string& target :
         {Utf8(folder / "missing"), Utf8(folder / "missing/deeper"), Utf8(folder / "plain"),
          Utf8(folder / "plain/x"), std::string()}) {
        const RunTimeError error =
            ErrorOf([&] { platform->StartProcessInFolder(kWriteHereCommand, target); });
        EXPECT_EQ(error.Number(), 76) << target;
        EXPECT_EQ(error.Description(), "Path not found");
        EXPECT_EQ(fs::current_path(), ours);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(ours / "started-here.txt"));
}

TEST_F(ProcessStart, AProgramThatIsNowhereIsFileNotFound) {
    const RunTimeError error = ErrorOf([&] {
        platform->StartProcessInFolder("pellatone-no-such-program -classpath \"x\" VEXMORA.Frame11",
                                       Utf8(folder.Path()));
    });
    EXPECT_EQ(error.Number(), 53);
    EXPECT_EQ(error.Description(), "File not found");
}

// The system takes a command line only up to a NUL; cut short there, it is refused whole.
TEST_F(ProcessStart, ALineWithANulStartsNothing) {
    const fs::path app = folder / "app";
    fs::create_directory(app);
    const std::string line = std::string(kWriteHereCommand) + '\0' + " -version";
    const RunTimeError error = ErrorOf([&] { platform->StartProcessInFolder(line, Utf8(app)); });
    EXPECT_EQ(error.Number(), 5);
    EXPECT_EQ(error.Description(), "Invalid procedure call or argument");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(app / "started-here.txt"));
}

}  // namespace pellatone::platform_test
