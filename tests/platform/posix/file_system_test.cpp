#include "platform/posix/file_system.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/run_time_error.h"
#include "support/error_of.h"
#include "support/table_case.h"
#include "temporary_folder.h"

namespace pellatone {
namespace {

using testing::ErrorOf;
using testing::PrintTo;
using testing::ReadFile;
using testing::TemporaryFolder;
using testing::WriteFile;
using Strings = std::vector<std::string>;

class FileExistsTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
    PosixFileSystem fileSystem;
};

TEST_F(FileExistsTest, RegularFileExists) {
    WriteFile(folder / "Comm.jar", "x");
    EXPECT_TRUE(fileSystem.FileExists(folder / "Comm.jar"));
}

TEST_F(FileExistsTest, EmptyFileExists) {
    WriteFile(folder / "empty", "");
    EXPECT_TRUE(fileSystem.FileExists(folder / "empty"));
}

TEST_F(FileExistsTest, SymbolicLinkToAFileCountsAsTheFile) {
    WriteFile(folder / "target", "x");
    std::filesystem::create_symlink(folder / "target", folder / "link");
    EXPECT_TRUE(fileSystem.FileExists(folder / "link"));
}

TEST_F(FileExistsTest, NothingThereIsFalse) {
    EXPECT_FALSE(fileSystem.FileExists(folder / "missing"));
    EXPECT_FALSE(fileSystem.FileExists(folder / "missing/deeper/file"));
    std::filesystem::create_symlink(folder / "gone", folder / "dangling");
    EXPECT_FALSE(fileSystem.FileExists(folder / "dangling"));
}

TEST_F(FileExistsTest, FolderIsFalse) {
    std::filesystem::create_directory(folder / "ext");
    EXPECT_FALSE(fileSystem.FileExists(folder / "ext"));
    EXPECT_FALSE(fileSystem.FileExists(folder.Path() + "/"));
}

TEST_F(FileExistsTest, FileUsedAsAFolderIsFalse) {
    WriteFile(folder / "plain", "x");
    EXPECT_FALSE(fileSystem.FileExists(folder / "plain/Comm.jar"));
}

TEST_F(FileExistsTest, FailingTestRaisesAnError) {
    // A loop of links cannot be resolved: that is neither "there" nor "not there".
    std::filesystem::create_symlink(folder / "b", folder / "a");
    std::filesystem::create_symlink(folder / "a", folder / "b");
    const RunTimeError error = ErrorOf([&] { (void)fileSystem.FileExists(folder / "a/Comm.jar"); });
    EXPECT_EQ(error.Number(), 75);
    EXPECT_THAT(error.Description(), ::testing::EndsWith(": " + folder / "a/Comm.jar"));
}

class CopyFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directory(folder / "source");
        std::filesystem::create_directory(folder / "ext");
        WriteFile(source, "comm archive contents");
    }

    TemporaryFolder folder;
    PosixFileSystem fileSystem;
    std::string source = folder / "source/Comm.jar";
};

TEST_F(CopyFileTest, CopiesUnderTheSourcesName) {
    fileSystem.CopyFile(source, folder / "ext/");
    EXPECT_EQ(folder.Names("ext"), Strings{"Comm.jar"});
    EXPECT_EQ(ReadFile(folder / "ext/Comm.jar"), "comm archive contents");
    EXPECT_EQ(ReadFile(source), "comm archive contents");
}

TEST_F(CopyFileTest, ReplacesAnExistingFile) {
    WriteFile(folder / "ext/Comm.jar", "an old and much longer version of the archive");
    fileSystem.CopyFile(source, folder / "ext/");
    EXPECT_EQ(ReadFile(folder / "ext/Comm.jar"), "comm archive contents");
    EXPECT_EQ(folder.Names("ext"), Strings{"Comm.jar"});
}

TEST_F(CopyFileTest, CopiesLargeAndEmptyFilesWhole) {
    std::string large(300 * 1024 + 7, '\0');
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i * 31 % 251);
    WriteFile(folder / "source/big.bin", large);
    WriteFile(folder / "source/empty.properties", "");
    fileSystem.CopyFile(folder / "source/big.bin", folder / "ext/");
    fileSystem.CopyFile(folder / "source/empty.properties", folder / "ext/");
    EXPECT_EQ(ReadFile(folder / "ext/big.bin"), large);
    EXPECT_EQ(ReadFile(folder / "ext/empty.properties"), "");
}

// As cp gives them: the source's read, write and execute bits under our umask, and never a
// set-user-ID, set-group-ID or sticky bit.
TEST_F(CopyFileTest, TakesThePermissionBitsWithoutPrivilege) {
    struct Case {
        mode_t source;
        mode_t umask;
        mode_t copy;
    };
    for (const Case c : {Case{0751, 022, 0751}, Case{06777, 022, 0755}, Case{01666, 022, 0644},
                         Case{0666, 027, 0640}, Case{0400, 0, 0400}}) {
        ASSERT_EQ(::chmod(source.c_str(), c.source), 0);
        const mode_t previous = ::umask(c.umask);
        fileSystem.CopyFile(source, folder / "ext/");
        ::umask(previous);
        struct stat info {};
        ASSERT_EQ(::stat((folder / "ext/Comm.jar").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.copy) << std::oct << c.source << " under " << c.umask;
        std::filesystem::remove(folder / "ext/Comm.jar");
    }
}

TEST_F(CopyFileTest, FolderWithoutTrailingSlashIsStillAFolder) {
    fileSystem.CopyFile(source, folder / "ext");
    EXPECT_EQ(folder.Names("ext"), Strings{"Comm.jar"});
}

struct CopyFailure {
    std::string name;
    std::string sourceRelative;
    std::string destinationRelative;
    int expectedNumber;
    // The classic text and what it concerns, relative to the test's folder.
    std::string expectedText;
    std::string concerning;
};

class CopyFileFailure : public CopyFileTest, public ::testing::WithParamInterface<CopyFailure> {};

// Whatever fails, the destination holds afterwards exactly what it held before: no copy, no
// temporary file.
TEST_P(CopyFileFailure, RaisesTheErrorAndLeavesNothingBehind) {
    std::filesystem::create_directory(folder / "ext/Comm.jar");  // a folder in the way
    std::filesystem::create_directory(folder / "source/lib");
    ASSERT_EQ(::mkfifo((folder / "source/pipe").c_str(), 0644), 0);
    std::filesystem::create_symlink("/dev/zero", folder / "source/zero");
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = folder / "source/socket";
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const Strings extBefore = folder.Names("ext");
    const Strings topBefore = folder.Names();
    const CopyFailure& c = GetParam();
    const RunTimeError error = ErrorOf(
        [&] { fileSystem.CopyFile(folder / c.sourceRelative, folder / c.destinationRelative); });
    EXPECT_EQ(error.Number(), c.expectedNumber);
    EXPECT_EQ(error.Description(), c.expectedText + ": " + (folder / c.concerning));
    EXPECT_EQ(folder.Names("ext"), extBefore);
    EXPECT_EQ(folder.Names("ext/Comm.jar"), Strings{});
    EXPECT_EQ(folder.Names(), topBefore);
    ::close(listener);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CopyFileFailure,
    ::testing::Values(CopyFailure{"SourceMissing", "source/jdc.jar", "ext/", 53, "File not found",
                                  "source/jdc.jar"},
                      CopyFailure{"SourceFolderMissing", "nowhere/jdc.jar", "ext/", 53,
                                  "File not found", "nowhere/jdc.jar"},
                      CopyFailure{"SourceIsAFolder", "source/lib", "ext/", 53, "File not found",
                                  "source/lib"},
                      // Reading these would block for ever or never end.
                      CopyFailure{"SourceIsANamedPipe", "source/pipe", "ext/", 53, "File not found",
                                  "source/pipe"},
                      CopyFailure{"SourceLinksToADevice", "source/zero", "ext/", 53,
                                  "File not found", "source/zero"},
                      CopyFailure{"SourceIsASocket", "source/socket", "ext/", 53, "File not found",
                                  "source/socket"},
                      CopyFailure{"DestinationFolderMissing", "source/Comm.jar", "lib/ext/", 76,
                                  "Path not found", "lib/ext/"},
                      CopyFailure{"DestinationFolderIsAFile", "source/Comm.jar", "source/Comm.jar/",
                                  76, "Path not found", "source/Comm.jar/"},
                      // No rights would move the folder: nothing to advise.
                      CopyFailure{"FolderInTheWay", "source/Comm.jar", "ext/", 75,
                                  "Path/File access error", "ext/Comm.jar"}),
    testing::NameOfCase());

// A runtime the user may not write into: the error names the file it could not write and, on a
// line of its own, what to do about it.
TEST_F(CopyFileTest, RefusedWriteNamesTheFileAndWhatToDo) {
    const auto copyWithoutTheRightToWrite = [&] {
        if (::geteuid() == 0) {
            // Root may write anywhere; nobody may only read the source.
            ::chmod(folder.Path().c_str(), 0755);
            ::chmod((folder / "source").c_str(), 0755);
            ::chmod(source.c_str(), 0644);
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) std::_Exit(100);
        } else {
            ::chmod((folder / "ext").c_str(), 0555);
        }
        const RunTimeError error = ErrorOf([&] { fileSystem.CopyFile(source, folder / "ext/"); });
        const std::string expected = "Path/File access error: " + folder / "ext/Comm.jar" +
                                     "\r\nRun Pellatone once as root to install the serial "
                                     "extension.";
        std::fprintf(stderr, "%d %s", error.Number(), error.Description().c_str());
        std::_Exit(error.Number() == 75 && error.Description() == expected ? 0 : 1);
    };
    EXPECT_EXIT(copyWithoutTheRightToWrite(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(folder.Names("ext"), Strings{});
}

// A write that fails half way (here: the file size limit) leaves no partial file behind.
TEST_F(CopyFileTest, FailedWriteRemovesTheTemporaryFile) {
    WriteFile(folder / "source/big.bin", std::string(100000, 'x'));
    const auto copyOverTheLimit = [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        const int number = ErrorOf([&] {
                               fileSystem.CopyFile(folder / "source/big.bin", folder / "ext/");
                           }).Number();
        std::_Exit(number != 75 ? 100 : (folder.Names("ext").empty() ? 0 : 101));
    };
    EXPECT_EXIT(copyOverTheLimit(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(folder.Names("ext"), Strings{});
}

// A signal that would end the program, arriving during the copy, ends it only once the temporary
// file is gone: nothing half-written stays beside the destination.
TEST_F(CopyFileTest, SignalDuringTheCopyEndsTheProgramWithoutLeavingAFile) {
    WriteFile(folder / "source/big.bin", std::string(1024 * 1024, 'x'));
    const auto copyWithATermPending = [&] {
        sigset_t term;
        sigemptyset(&term);
        sigaddset(&term, SIGTERM);
        ::sigprocmask(SIG_BLOCK, &term, nullptr);
        ::raise(SIGTERM);
        const int number = ErrorOf([&] {
                               fileSystem.CopyFile(folder / "source/big.bin", folder / "ext/");
                           }).Number();
        if (number == 0 || !folder.Names("ext").empty()) std::_Exit(100);
        ::sigprocmask(SIG_UNBLOCK, &term, nullptr);
        std::_Exit(101);
    };
    EXPECT_EXIT(copyWithATermPending(), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(folder.Names("ext"), Strings{});
}

}  // namespace
}  // namespace pellatone
