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
#include <utility>
#include <vector>

#include "platform/platform_test.h"
#include "platform/run_time_error.h"
#include "support/error_of.h"
#include "support/expected_texts.h"

namespace pellatone::platform_test {
namespace {

using testing::ErrorOf;
using testing::TemporaryFolder;
using testing::WriteFile;
using Strings = std::vector<std::string>;

TEST_F(FileSystemTest, ALinkCountsAsWhatItLeadsTo) {
    std::filesystem::create_symlink(folder / "source/Comm.jar", folder / "link");
    std::filesystem::create_symlink(folder / "gone", folder / "dangling");
    EXPECT_TRUE(fileSystem->FileExists(folder / "link"));
    EXPECT_FALSE(fileSystem->FileExists(folder / "dangling"));
}

TEST_F(FileSystemTest, FailingTestOfExistenceRaisesAnError) {
    // A loop of links cannot be resolved: that is neither "there" nor "not there".
    std::filesystem::create_symlink(folder / "b", folder / "a");
    std::filesystem::create_symlink(folder / "a", folder / "b");
    const RunTimeError error =
        ErrorOf([&] { (void)fileSystem->FileExists(folder / "a/Comm.jar"); });
    EXPECT_EQ(error.Number(), 75);
    EXPECT_THAT(error.Description(), ::testing::EndsWith(": " + (folder / "a/Comm.jar").string()));
}

// As cp gives them: the source's read, write and execute bits under our umask, and never a
// set-user-ID, set-group-ID or sticky bit.
TEST_F(FileSystemTest, CopyTakesThePermissionBitsWithoutPrivilege) {
    struct Case {
        mode_t source;
        mode_t umask;
        mode_t copy;
    };
    const std::string source = folder / "source/Comm.jar";
    for (const Case c : {Case{0751, 022, 0751}, Case{06777, 022, 0755}, Case{01666, 022, 0644},
                         Case{0666, 027, 0640}, Case{0400, 0, 0400}}) {
        ASSERT_EQ(::chmod(source.c_str(), c.source), 0);
        const mode_t previous = ::umask(c.umask);
        fileSystem->CopyFile(source, folder / "ext/");
        ::umask(previous);
        struct stat info = {};
        ASSERT_EQ(::stat((folder / "ext/Comm.jar").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.copy) << std::oct << c.source << " under " << c.umask;
        std::filesystem::remove(folder / "ext/Comm.jar");
    }
}

// Another program put a file in place while ours was being written: one that is not the source's
// equal is left as it is and named, and ours goes. (An equal one is a row of the shared table.)
TEST_F(FileSystemTest, AFileInstalledMeanwhileThatDiffersIsKeptAndReported) {
    for (const char* theirs : {"comm archive", "comm archive content!", "comm archive contents+"}) {
        WriteFile(folder / "ext/Comm.jar", theirs);
        const RunTimeError error =
            ErrorOf([&] { fileSystem->CopyFile(folder / "source/Comm.jar", folder / "ext/"); });
        EXPECT_EQ(std::pair(error.Number(), error.Description()),
                  std::pair(58, testing::ForeignFileText(folder / "ext/Comm.jar")));
        EXPECT_EQ(testing::ReadFile(folder / "ext/Comm.jar"), theirs);
        EXPECT_EQ(folder.Names("ext"), Strings{"Comm.jar"});
    }
}

// A link that leads nowhere counts as no file: the copy takes its place.
TEST_F(FileSystemTest, ADanglingLinkMakesWayForTheCopy) {
    std::filesystem::create_symlink(folder / "gone", folder / "ext/Comm.jar");
    fileSystem->CopyFile(folder / "source/Comm.jar", folder / "ext/");
    EXPECT_FALSE(std::filesystem::is_symlink(folder / "ext/Comm.jar"));
    EXPECT_EQ(testing::ReadFile(folder / "ext/Comm.jar"), "comm archive contents");
}

// Reading these would block for ever or never end.
void MakePipe(const TemporaryFolder& folder) {
    ASSERT_EQ(::mkfifo((folder / "source/pipe").c_str(), 0644), 0);
}

void MakeDeviceLink(const TemporaryFolder& folder) {
    std::filesystem::create_symlink("/dev/zero", folder / "source/zero");
}

void MakeSocket(const TemporaryFolder& folder) {
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = folder / "source/socket";
    ASSERT_LT(path.size(), sizeof address.sun_path);
    path.copy(address.sun_path, path.size());
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(listener);  // the socket's file stays
}

INSTANTIATE_TEST_SUITE_P(
    Posix, CopyFileFailure,
    ::testing::Values(CopyFailure{"SourceIsANamedPipe", "source/pipe", "ext/", 53, "File not found",
                                  "source/pipe", MakePipe},
                      CopyFailure{"SourceLinksToADevice", "source/zero", "ext/", 53,
                                  "File not found", "source/zero", MakeDeviceLink},
                      CopyFailure{"SourceIsASocket", "source/socket", "ext/", 53, "File not found",
                                  "source/socket", MakeSocket}),
    testing::NameOfCase());

// A runtime the user may not write into: the error names the file it could not write and, on a
// line of its own, what to do about it.
TEST_F(FileSystemTest, RefusedWriteNamesTheFileAndWhatToDo) {
    const std::string source = folder / "source/Comm.jar";
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
        const RunTimeError error = ErrorOf([&] { fileSystem->CopyFile(source, folder / "ext/"); });
        const std::string expected =
            "Path/File access error: " + (folder / "ext/Comm.jar").string() +
            "\r\nRun Pellatone once as root to install the serial "
            "extension.";
        std::fprintf(stderr, "%d %s", error.Number(), error.Description().c_str());
        std::_Exit(error.Number() == 75 && error.Description() == expected ? 0 : 1);
    };
    EXPECT_EXIT(copyWithoutTheRightToWrite(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(folder.Names("ext"), Strings{});
}

// A write that fails half way (here: the file size limit) leaves no partial file behind.
TEST_F(FileSystemTest, FailedWriteRemovesTheTemporaryFile) {
    WriteFile(folder / "source/big.bin", std::string(100000, 'x'));
    const auto copyOverTheLimit = [&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        const int number = ErrorOf([&] {
                               fileSystem->CopyFile(folder / "source/big.bin", folder / "ext/");
                           }).Number();
        std::_Exit(number != 75 ? 100 : (folder.Names("ext").empty() ? 0 : 101));
    };
    EXPECT_EXIT(copyOverTheLimit(), ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(folder.Names("ext"), Strings{});
}

// A signal that would end the program, arriving during the copy, ends it only once the temporary
// file is gone: nothing half-written stays beside the destination.
TEST_F(FileSystemTest, SignalDuringTheCopyEndsTheProgramWithoutLeavingAFile) {
    WriteFile(folder / "source/big.bin", std::string(1024 * 1024, 'x'));
    const auto copyWithATermPending = [&] {
        sigset_t term;
        sigemptyset(&term);
        sigaddset(&term, SIGTERM);
        ::sigprocmask(SIG_BLOCK, &term, nullptr);
        ::raise(SIGTERM);
        const int number = ErrorOf([&] {
                               fileSystem->CopyFile(folder / "source/big.bin", folder / "ext/");
                           }).Number();
        if (number == 0 || !folder.Names("ext").empty()) std::_Exit(100);
        ::sigprocmask(SIG_UNBLOCK, &term, nullptr);
        std::_Exit(101);
    };
    EXPECT_EXIT(copyWithATermPending(), ::testing::KilledBySignal(SIGTERM), "");
    EXPECT_EQ(folder.Names("ext"), Strings{});
}

}  // namespace
}  // namespace pellatone::platform_test
