#include "platform/platform_services.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/error_of.h"
#include "support/fake_platform.h"

namespace pellatone {
namespace {

using ::testing::ElementsAre;
using testing::ErrorOf;
using testing::FakePlatform;

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

// A start that fails raises its error at once: nothing is started and the program ends on the
// report, with the folder left where the start needed it, as the classic program leaves it.
TEST(StartThroughWorkingFolder, AFailedStartRaisesItsErrorWithNothingStarted) {
    std::vector<std::string> log;
    FakePlatform platform(log);
    platform.failStartProcess = FileNotFound();
    EXPECT_EQ(
        ErrorOf([&] { StartThroughWorkingFolder(platform, "java -version", "C:\\app"); }).Number(),
        53);
    EXPECT_TRUE(platform.startedCommandLines.empty());
    EXPECT_EQ(log.back(), "start process in C:\\app: java -version");
    EXPECT_EQ(platform.workingFolder, "C:\\app");
}

}  // namespace
}  // namespace pellatone
