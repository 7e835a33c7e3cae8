#include "app/startup_sequence.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace pellatone {
namespace {

using ::testing::ElementsAre;
using testing::Fakes;
using testing::FakeSplashWindow;
using ::testing::HasSubstr;
using testing::ProgramEnded;

class StartupSequenceTest : public Fakes, public ::testing::Test {
protected:
    FakeSplashWindow splash{log};
    StartupRun context{{platform, registry, fileSystem, PathConvention::kWindows}, {}};

    // A runtime is listed but its JavaHome is empty, so the launch takes the bare "java".
    StartupSequenceTest() {
        registry.subKeys[kJavaRuntimeKey] = {"1.6.0"};
        registry.subKeys[kJavaRuntimeKey + "\\1.6.0"] = {};
        registry.values[kJavaRuntimeKey + "\\1.6.0|JavaHome"] = std::string();
    }
    static inline const std::string kJavaRuntimeKey =
        "SOFTWARE\\JavaSoft\\Java Runtime Environment";

    // Runs Timer1's handler the way the entry does, reporting uncaught errors.
    void Tick() {
        RunReportingUncaughtErrors(platform, [&] { RunStartupSequence(&splash, context); });
    }
    // The status the tick ended the program with, if it did.
    std::optional<int> TickToTheEnd() {
        try {
            Tick();
        } catch (const ProgramEnded& ended) {
            return ended.exitStatus;
        }
        return std::nullopt;
    }
};

TEST_F(StartupSequenceTest, UnloadsTheWindowFirstThenStartsFromTheApplicationFolder) {
    Tick();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "unload splash");
    EXPECT_EQ(
        log.back(),
        R"(start process in C:\app: java -classpath "C:\app\Vexmora\lib\comm.jar";)"
        R"("C:\app\Vexmora\lib\jdc.jar";"C:\app\Vexmora\lib\jxl.jar";"C:\app\Vexmora\lib\log4j-1.2.8.jar";)"
        R"("C:\app\Vexmora\lib\Vexmora.jar";"C:\app\Vexmora\lib\slf4j-log4j12-1.1.0.jar";)"
        R"("C:\app\Vexmora\lib\slf4j-api-1.1.0.jar";"C:\app\Vexmora\lib\slf4j-simple-1.1.0.jar";)"
        R"("C:\app\Vexmora\lib\swing-layout-1.0.jar";"C:\app\Vexmora\lib\win32com.dll.jar";)"
        R"("C:\app\Vexmora" VEXMORA.Frame11)");
}

TEST_F(StartupSequenceTest, HeadlessRunHasNoWindowToUnload) {
    RunStartupSequence(nullptr, context);
    EXPECT_EQ(platform.startedCommandLines.size(), 1U);
    EXPECT_THAT(log, ::testing::Not(::testing::Contains("unload splash")));
}

TEST_F(StartupSequenceTest, NoJavaRuntimeEndsTheProgramBeforeAnythingStarts) {
    registry.subKeys.clear();
    ASSERT_EQ(TickToTheEnd(), exit_status::kNoJavaRuntime);
    EXPECT_EQ(log.back(), "end program: 2");
    EXPECT_THAT(platform.startedCommandLines, ::testing::IsEmpty());
}

TEST_F(StartupSequenceTest, StartsTheChosenRuntimesJava) {
    registry.values[kJavaRuntimeKey + "\\1.6.0|JavaHome"] = std::string("C:\\jre6");
    for (const char* file : {"\\lib\\ext\\Comm.jar", "\\lib\\javax.comm.properties",
                             "\\bin\\Win32com.dll", "\\lib\\ext\\jdc.jar"}) {
        fileSystem.files.insert(std::string("C:\\jre6") + file);
    }
    Tick();
    EXPECT_EQ(context.JavaHomeFolder, "C:\\jre6");
    ASSERT_EQ(platform.startedCommandLines.size(), 1U);
    EXPECT_TRUE(platform.startedCommandLines[0].starts_with("\"C:\\jre6\\bin\\java.exe\" "))
        << platform.startedCommandLines[0];
}

// No error path takes an error of the start: it is reported as uncaught and ends the program.
TEST_F(StartupSequenceTest, AFailedStartIsReportedAsUncaughtAndEndsTheProgram) {
    platform.failStartProcess = FileNotFound();
    ASSERT_EQ(TickToTheEnd(), exit_status::kUncaughtError);
    EXPECT_EQ(log.front(), "unload splash");
    EXPECT_EQ(log[log.size() - 2], "uncaught error: Run-time error '53':\r\n\r\nFile not found");
    EXPECT_THAT(platform.startedCommandLines, ::testing::IsEmpty());
}

TEST(UncaughtErrorReport, NamesTheNumberThenABlankLineThenTheDescription) {
    EXPECT_EQ(UncaughtErrorReport(RunTimeError(1001, "Unsupported value type")),
              "Run-time error '1001':\r\n\r\nUnsupported value type");
}

class RunReportingUncaughtErrorsTest : public Fakes, public ::testing::Test {};

TEST_F(RunReportingUncaughtErrorsTest, ReportsOtherExceptionsToo) {
    EXPECT_THROW(RunReportingUncaughtErrors(platform, [] { throw std::logic_error("boom"); }),
                 ProgramEnded);
    EXPECT_THAT(log, ElementsAre(HasSubstr("Run-time error '51':\r\n\r\nboom"), "end program: 1"));
}

TEST_F(RunReportingUncaughtErrorsTest, LetsAnOrderlyEndPassUntouched) {
    EXPECT_THROW(RunReportingUncaughtErrors(platform, [&] { platform.EndProgram(2); }),
                 ProgramEnded);
    EXPECT_THAT(log, ElementsAre("end program: 2"));
}

}  // namespace
}  // namespace pellatone
