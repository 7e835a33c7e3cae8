#include "platform/win32/working_folder_start.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/error_of.h"
#include "support/fake_platform.h"
#include "support/table_case.h"

namespace pellatone {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::ErrorOf;
using testing::FakePlatform;
using testing::PrintTo;
using win32::StartThroughWorkingFolder;

// The start made current for the start alone, on a platform that cannot name a folder in it.
TEST(StartThroughWorkingFolder, MakesTheFolderCurrentForTheStartThenOursAgain) {
    std::vector<std::string> log;
    FakePlatform platform(log);
    StartThroughWorkingFolder(platform, "java -version", "C:\\app");
    EXPECT_THAT(log, ElementsAre("get working folder", "set working folder: C:\\app",
                                 "start process in C:\\app: java -version",
                                 "set working folder: C:\\users\\me"));
    EXPECT_EQ(platform.workingFolder, "C:\\users\\me");
}

struct FailureCase {
    const char* name;
    void (*arrange)(FakePlatform&);
    int number;
    std::string description;
    // The steps taken, the failing one last.
    std::vector<std::string> steps;
    bool started;
    std::string workingFolderAfterwards;
};

class StartThroughWorkingFolderFailure : public ::testing::TestWithParam<FailureCase> {};

// A step that fails raises its error at once and no later step is taken: a folder that cannot be
// entered starts nothing, and a failed start leaves the folder where the start needed it, as the
// classic program leaves it.
TEST_P(StartThroughWorkingFolderFailure, RaisesTheErrorOfTheFailingStepAndStops) {
    const FailureCase& c = GetParam();
    std::vector<std::string> log;
    FakePlatform platform(log);
    c.arrange(platform);
    const RunTimeError error =
        ErrorOf([&] { StartThroughWorkingFolder(platform, "java -version", "C:\\app"); });
    EXPECT_EQ(error.Number(), c.number);
    EXPECT_EQ(error.Description(), c.description);
    EXPECT_THAT(log, ElementsAreArray(c.steps));
    EXPECT_EQ(platform.startedCommandLines.size(), c.started ? 1U : 0U);
    EXPECT_EQ(platform.workingFolder, c.workingFolderAfterwards);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartThroughWorkingFolderFailure,
    ::testing::Values(
        FailureCase{"WorkingFolderCannotBeRead",
                    [](FakePlatform& p) { p.failGetWorkingFolder = PathFileAccessError(); },
                    75,
                    "Path/File access error",
                    {"get working folder"},
                    false,
                    "C:\\users\\me"},
        FailureCase{"ApplicationFolderCannotBeEntered",
                    [](FakePlatform& p) { p.failSetWorkingFolderTo = "C:\\app"; },
                    76,
                    "Path not found",
                    {"get working folder", "set working folder: C:\\app"},
                    false,
                    "C:\\users\\me"},
        FailureCase{"JavaCannotBeFound",
                    [](FakePlatform& p) { p.failStartProcess = FileNotFound(); },
                    53,
                    "File not found",
                    {"get working folder", "set working folder: C:\\app",
                     "start process in C:\\app: java -version"},
                    false,
                    "C:\\app"},
        FailureCase{
            "RememberedFolderCannotBeRestored",
            [](FakePlatform& p) { p.failSetWorkingFolderTo = "C:\\users\\me"; },
            76,
            "Path not found",
            {"get working folder", "set working folder: C:\\app",
             "start process in C:\\app: java -version", "set working folder: C:\\users\\me"},
            true,
            "C:\\app"}),
    testing::NameOfCase());

}  // namespace
}  // namespace pellatone
