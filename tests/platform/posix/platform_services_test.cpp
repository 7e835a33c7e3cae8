#include "platform/posix/platform_services.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/platform_test.h"
#include "platform/run_time_error.h"
#include "support/error_of.h"
#include "support/table_case.h"
#include "support/temporary_folder.h"

namespace pellatone {
namespace {

using platform_test::ProcessStart;
using testing::AwaitFile;
using testing::PrintTo;
using testing::TemporaryFolder;
using testing::WriteFile;

using testing::ErrorOf;

// ---- Headless messages -------------------------------------------------------------------

using LineCase = testing::Example<std::string, std::string>;

class HeadlessLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(HeadlessLine, EveryLinePrefixedOnStandardError) {
    PosixPlatformServices services(nullptr);
    ::testing::internal::CaptureStderr();
    services.ShowMessage(GetParam().input);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HeadlessLine,
    ::testing::Values(
        LineCase{"Error While Copying JAR File", "Pellatone: Error While Copying JAR File\n"},
        LineCase{"You have not Installed Java\r\nDownload it",
                 "Pellatone: You have not Installed Java\nPellatone: Download it\n"},
        LineCase{"", "Pellatone: \n"},
        LineCase{"a\r\nb\r\n\r\nc", "Pellatone: a\nPellatone: b\nPellatone: \nPellatone: c\n"},
        LineCase{"ends\r\n", "Pellatone: ends\nPellatone: \n"},
        LineCase{"lone\rcr and lone\nlf",
                 "Pellatone: lone\nPellatone: cr and lone\nPellatone: lf\n"},
        LineCase{"\r\r\n", "Pellatone: \nPellatone: \nPellatone: \n"}));

TEST(HeadlessServices, UncaughtErrorReportGoesToStandardError) {
    PosixPlatformServices services(nullptr);
    ::testing::internal::CaptureStderr();
    services.ReportUncaughtError(RunTimeError(53, "File not found"));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Pellatone: Run-time error '53':\nPellatone: \nPellatone: File not found\n");
}

TEST(EndProgram, FlushesAndEndsWithTheStatus) {
    PosixPlatformServices services(nullptr);
    EXPECT_EXIT(
        {
            // Fully buffered, so only a flush gets the text out.
            static char buffer[BUFSIZ];
            std::setvbuf(stderr, buffer, _IOFBF, sizeof buffer);
            std::fputs("pending text", stderr);
            services.EndProgram(2);
        },
        ::testing::ExitedWithCode(2), "pending text");
}

// ---- Folders ---------------------------------------------------------------------------------

using FolderCase = testing::Example<std::string, std::string>;

class FolderOf : public ::testing::TestWithParam<FolderCase> {};

TEST_P(FolderOf, DropsTheNameAndTheSeparator) {
    EXPECT_EQ(FolderOfPath(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Paths, FolderOf,
                         ::testing::Values(FolderCase{"/opt/pellatone/pellatone", "/opt/pellatone"},
                                           FolderCase{"/pellatone", "/"},
                                           FolderCase{"/a b/c d/pellatone", "/a b/c d"},
                                           FolderCase{"/opt//pellatone", "/opt/"}));

TEST(ApplicationFolder, IsTheFolderOfThisProgram) {
    PosixPlatformServices services(nullptr);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    EXPECT_EQ(services.ApplicationFolder(), self.substr(0, self.rfind('/')));
    EXPECT_NE(services.ApplicationFolder().back(), '/');
}

// ---- Process start ---------------------------------------------------------------------------

TEST(StartProcessInFolder, StartsInItsOwnSessionWithNullStreamsInTheFolder) {
    TemporaryFolder folder;
    std::filesystem::create_directory(folder / "app folder");
    const std::string record = folder / "record.txt";
    PosixPlatformServices services(nullptr);

    // A descriptor of ours without close-on-exec must not reach the child.
    const int leaked = ::open("/dev/zero", O_RDONLY);
    ASSERT_GE(leaked, 3);
    // sh is looked up on PATH; the quoted argument reaches it whole. It writes down what it
    // knows of itself, then waits (boundedly) so that its descriptors can be looked at.
    services.StartProcessInFolder(
        "sh -c \"r='" + record +
            "'; set -- $(cut -d' ' -f1,6 /proc/$$/stat);"
            " { echo pid=$1; echo sid=$2; echo cwd=$(pwd -P); echo end; } >$r.tmp; mv $r.tmp $r;"
            " i=0; while [ ! -e $r.release ] && [ $i -lt 500 ]; do sleep 0.02; i=$((i+1)); done\"",
        folder / "app folder");
    ::close(leaked);

    const std::string contents = AwaitFile(record, "end");
    std::istringstream lines(contents);
    std::string pidLine;
    std::string sidLine;
    std::getline(lines, pidLine);
    std::getline(lines, sidLine);
    ASSERT_EQ(pidLine.rfind("pid=", 0), 0u) << contents;
    const pid_t child = std::stoi(pidLine.substr(4));
    EXPECT_EQ(sidLine, "sid=" + std::to_string(child)) << contents;
    EXPECT_NE(::getsid(0), child);
    EXPECT_NE(contents.find("cwd=" + (folder / "app folder").string() + "\n"), std::string::npos)
        << contents;

    const std::string fdFolder = "/proc/" + std::to_string(child) + "/fd";
    std::vector<std::string> descriptors;
    for (const auto& entry : std::filesystem::directory_iterator(fdFolder)) {
        descriptors.push_back(entry.path().filename().string());
    }
    std::sort(descriptors.begin(), descriptors.end());
    EXPECT_EQ(descriptors, (std::vector<std::string>{"0", "1", "2"}));
    for (const char* fd : {"0", "1", "2"}) {
        EXPECT_EQ(std::filesystem::read_symlink(fdFolder + "/" + fd).string(), "/dev/null")
            << "descriptor " << fd;
    }
    WriteFile(record + ".release", "");

    // It is our child: reap it so that nothing is left over.
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
}

TEST(StartProcessInFolder, ReturnsWithoutWaitingForTheProgram) {
    TemporaryFolder folder;
    const std::string pidFile = folder / "pid";
    PosixPlatformServices services(nullptr);
    services.StartProcessInFolder("/bin/sh -c \"echo $$ >" + pidFile + ".tmp; echo end >>" +
                                      pidFile + ".tmp; mv " + pidFile + ".tmp " + pidFile +
                                      "; exec sleep 30\"",
                                  folder.Path().string());

    const std::string contents = AwaitFile(pidFile, "end");
    const pid_t child = std::atoi(contents.c_str());
    ASSERT_GT(child, 0) << contents;
    EXPECT_EQ(::kill(child, 0), 0) << "the program is no longer running";
    ::kill(child, SIGKILL);
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
}

// The process enters the folder itself: ours is never read or changed, so even one that was
// removed under us does not stand in the way.
TEST_F(ProcessStart, StartsThereAndLeavesOursAsItWasEvenWhenOursIsGone) {
    std::filesystem::create_directory(folder / "app \"folder\"");
    std::filesystem::remove(ours);
    const std::string recorded = folder / "recorded";
    platform->StartProcessInFolder("sh -c \"pwd -P >" + recorded + ".tmp; mv " + recorded +
                                       ".tmp " + recorded + "; echo end >>" + recorded + "\"",
                                   folder / "app \"folder\"");
    EXPECT_EQ(AwaitFile(recorded, "end"), (folder / "app \"folder\"").string() + "\nend\n");
    EXPECT_EQ(std::filesystem::read_symlink("/proc/self/cwd").string(),
              ours.string() + " (deleted)");
}

struct StartFailure {
    std::string name;
    std::string commandLine;
    int expectedNumber;
    std::string expectedDescription;
};

class StartProcessInFolderFailure : public ::testing::TestWithParam<StartFailure> {};

TEST_P(StartProcessInFolderFailure, RaisesTheError) {
    TemporaryFolder folder;
    WriteFile(folder / "not-executable", "#!/bin/sh\n");
    ASSERT_EQ(::chmod((folder / "not-executable").c_str(), 0644), 0);
    std::string commandLine = GetParam().commandLine;
    if (const std::size_t at = commandLine.find("<folder>"); at != std::string::npos) {
        commandLine.replace(at, 8, folder.Path().string());
    }
    PosixPlatformServices services(nullptr);
    const std::filesystem::path ours = std::filesystem::current_path();
    const RunTimeError error =
        ErrorOf([&] { services.StartProcessInFolder(commandLine, folder.Path().string()); });
    EXPECT_EQ(error.Number(), GetParam().expectedNumber);
    EXPECT_EQ(error.Description(), GetParam().expectedDescription);
    EXPECT_EQ(std::filesystem::current_path(), ours);  // unlike Windows, ours is never changed
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartProcessInFolderFailure,
    ::testing::Values(
        StartFailure{"MissingOnPath", "pellatone-no-such-program -classpath x", 53,
                     "File not found"},
        StartFailure{"MissingPath", "/nonexistent/bin/java -version", 53, "File not found"},
        StartFailure{"QuotedMissingPath", "\"/no such/bin/java\" -version", 53, "File not found"},
        StartFailure{"EmptyCommandLine", "", 53, "File not found"},
        StartFailure{"BlankCommandLine", "   ", 53, "File not found"},
        StartFailure{"NotExecutable", "<folder>/not-executable", 75, "Path/File access error"},
        StartFailure{"AFolder", "<folder>", 75, "Path/File access error"}),
    testing::NameOfCase());

}  // namespace

namespace platform_test {

std::unique_ptr<PlatformServices> ServicesUnderTest() {
    return std::make_unique<PosixPlatformServices>(nullptr);
}

const char* const kWriteHereCommand = "sh -c \"pwd > started-here.txt\"";

}  // namespace platform_test
}  // namespace pellatone
