#include "app/launch/server_command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/command_line_arguments.h"
#include "support/table_case.h"

namespace pellatone {
namespace {

using testing::PrintTo;

// What follows the program for the application folders of the rows below, spelled out.
const std::string kAppTail =
    R"(-classpath "C:\app\Vexmora\lib\comm.jar";"C:\app\Vexmora\lib\jdc.jar";"C:\app\Vexmora\lib\jxl.jar";)"
    R"("C:\app\Vexmora\lib\log4j-1.2.8.jar";"C:\app\Vexmora\lib\Vexmora.jar";)"
    R"("C:\app\Vexmora\lib\slf4j-log4j12-1.1.0.jar";"C:\app\Vexmora\lib\slf4j-api-1.1.0.jar";)"
    R"("C:\app\Vexmora\lib\slf4j-simple-1.1.0.jar";"C:\app\Vexmora\lib\swing-layout-1.0.jar";)"
    R"("C:\app\Vexmora\lib\win32com.dll.jar";"C:\app\Vexmora" VEXMORA.Frame11)";
const std::string kDriveRootTail =
    R"(-classpath "C:\\Vexmora\lib\comm.jar";"C:\\Vexmora\lib\jdc.jar";"C:\\Vexmora\lib\jxl.jar";)"
    R"("C:\\Vexmora\lib\log4j-1.2.8.jar";"C:\\Vexmora\lib\Vexmora.jar";)"
    R"("C:\\Vexmora\lib\slf4j-log4j12-1.1.0.jar";"C:\\Vexmora\lib\slf4j-api-1.1.0.jar";)"
    R"("C:\\Vexmora\lib\slf4j-simple-1.1.0.jar";"C:\\Vexmora\lib\swing-layout-1.0.jar";)"
    R"("C:\\Vexmora\lib\win32com.dll.jar";"C:\\Vexmora" VEXMORA.Frame11)";
const std::string kBlanksTail =
    R"(-classpath "C:\P F\Vexmora\lib\comm.jar";"C:\P F\Vexmora\lib\jdc.jar";"C:\P F\Vexmora\lib\jxl.jar";)"
    R"("C:\P F\Vexmora\lib\log4j-1.2.8.jar";"C:\P F\Vexmora\lib\Vexmora.jar";)"
    R"("C:\P F\Vexmora\lib\slf4j-log4j12-1.1.0.jar";"C:\P F\Vexmora\lib\slf4j-api-1.1.0.jar";)"
    R"("C:\P F\Vexmora\lib\slf4j-simple-1.1.0.jar";"C:\P F\Vexmora\lib\swing-layout-1.0.jar";)"
    R"("C:\P F\Vexmora\lib\win32com.dll.jar";"C:\P F\Vexmora" VEXMORA.Frame11)";

TEST(BuildServerCommandLine, WindowsExampleByteForByteWithQuotedExecutable) {
    EXPECT_EQ(
        BuildServerCommandLine("C:\\jre", "C:\\app", PathConvention::kWindows),
        R"("C:\jre\bin\java.exe" -classpath "C:\app\Vexmora\lib\comm.jar";"C:\app\Vexmora\lib\jdc.jar";)"
        R"("C:\app\Vexmora\lib\jxl.jar";"C:\app\Vexmora\lib\log4j-1.2.8.jar";"C:\app\Vexmora\lib\Vexmora.jar";)"
        R"("C:\app\Vexmora\lib\slf4j-log4j12-1.1.0.jar";"C:\app\Vexmora\lib\slf4j-api-1.1.0.jar";)"
        R"("C:\app\Vexmora\lib\slf4j-simple-1.1.0.jar";"C:\app\Vexmora\lib\swing-layout-1.0.jar";)"
        R"("C:\app\Vexmora\lib\win32com.dll.jar";"C:\app\Vexmora" VEXMORA.Frame11)");
}

struct WindowsCase {
    const char* name;
    std::string javaHome;
    std::string applicationFolder;
    std::string expected;
};

class WindowsCommandLine : public ::testing::TestWithParam<WindowsCase> {};

TEST_P(WindowsCommandLine, StartsAsExpectedAndCarriesTheFolderInEveryEntry) {
    const WindowsCase& c = GetParam();
    EXPECT_EQ(BuildServerCommandLine(c.javaHome, c.applicationFolder, PathConvention::kWindows),
              c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowsCommandLine,
    ::testing::Values(WindowsCase{"EmptyJavaHomeGivesBareJava", "", "C:\\app", "java " + kAppTail},
                      WindowsCase{"BlanksInJavaHomeAreQuoted", "C:\\Program Files\\Java\\jre1.6.0",
                                  "C:\\app",
                                  R"("C:\Program Files\Java\jre1.6.0\bin\java.exe" )" + kAppTail},
                      WindowsCase{"TrailingBackslashOfJavaHomeIsKept", "C:\\jre\\", "C:\\app",
                                  R"("C:\jre\\bin\java.exe" )" + kAppTail},
                      WindowsCase{"BlanksOnlyJavaHomeCountsAsAFolder", "  ", "C:\\app",
                                  R"("  \bin\java.exe" )" + kAppTail},
                      WindowsCase{"DriveRootApplicationFolderDoublesTheBackslash", "C:\\jre",
                                  "C:\\", R"("C:\jre\bin\java.exe" )" + kDriveRootTail},
                      WindowsCase{"ApplicationFolderWithBlanks", "C:\\jre", "C:\\P F",
                                  R"("C:\jre\bin\java.exe" )" + kBlanksTail}),
    testing::NameOfCase());

TEST(BuildServerCommandLine, DriveRootEntriesHoldDoubledBackslashes) {
    const std::string line = BuildServerCommandLine("", "C:\\", PathConvention::kWindows);
    EXPECT_NE(line.find("\"C:\\\\Vexmora\\lib\\comm.jar\";"), std::string::npos);
    EXPECT_NE(line.find(";\"C:\\\\Vexmora\" VEXMORA.Frame11"), std::string::npos);
}

TEST(BuildServerCommandLine, GrowsByElevenTimesTheApplicationFolder) {
    const std::size_t shortLine =
        BuildServerCommandLine("", "C:\\a", PathConvention::kWindows).size();
    const std::size_t longLine =
        BuildServerCommandLine("", "C:\\a\\0123456789", PathConvention::kWindows).size();
    EXPECT_EQ(longLine - shortLine, 11U * 11U);
}

TEST(BuildServerCommandLine, EndsWithTheMainClassAndNothingElse) {
    for (const auto convention : {PathConvention::kWindows, PathConvention::kPosix}) {
        const std::string line = BuildServerCommandLine("x", "y", convention);
        EXPECT_TRUE(line.ends_with("\" VEXMORA.Frame11")) << line;
    }
}

TEST(BuildServerCommandLine, PosixConventionUsesSlashesColonsAndBinJava) {
    EXPECT_EQ(
        BuildServerCommandLine("/usr/lib/jvm/java-17", "/opt/pellatone", PathConvention::kPosix),
        R"("/usr/lib/jvm/java-17/bin/java" -classpath "/opt/pellatone/Vexmora/lib/comm.jar":)"
        R"("/opt/pellatone/Vexmora/lib/jdc.jar":"/opt/pellatone/Vexmora/lib/jxl.jar":)"
        R"("/opt/pellatone/Vexmora/lib/log4j-1.2.8.jar":"/opt/pellatone/Vexmora/lib/Vexmora.jar":)"
        R"("/opt/pellatone/Vexmora/lib/slf4j-log4j12-1.1.0.jar":)"
        R"("/opt/pellatone/Vexmora/lib/slf4j-api-1.1.0.jar":)"
        R"("/opt/pellatone/Vexmora/lib/slf4j-simple-1.1.0.jar":)"
        R"("/opt/pellatone/Vexmora/lib/swing-layout-1.0.jar":)"
        R"("/opt/pellatone/Vexmora/lib/win32com.dll.jar":"/opt/pellatone/Vexmora" VEXMORA.Frame11)");
    EXPECT_TRUE(BuildServerCommandLine("", "/", PathConvention::kPosix)
                    .starts_with("java -classpath \"//Vexmora/lib/comm.jar\":"));
}

// The built line, split as the platform splits it, gives exactly the intended arguments.
TEST(BuildServerCommandLine, SplitsIntoProgramSwitchClassPathAndMainClass) {
    struct Case {
        PathConvention convention;
        std::string javaHome, app, program, classPathStart, separator;
    };
    for (const Case& c : {
             Case{PathConvention::kPosix, "/opt/my jre", "/srv/Pella tone", "/opt/my jre/bin/java",
                  "/srv/Pella tone/Vexmora/lib/comm.jar", ":"},
             Case{PathConvention::kWindows, "C:\\Program Files\\jre", "C:\\",
                  "C:\\Program Files\\jre\\bin\\java.exe", "C:\\\\Vexmora\\lib\\comm.jar", ";"},
             Case{PathConvention::kPosix, "", "/a", "java", "/a/Vexmora/lib/comm.jar", ":"},
         }) {
        const auto arguments =
            SplitCommandLine(BuildServerCommandLine(c.javaHome, c.app, c.convention));
        ASSERT_EQ(arguments.size(), 4U);
        EXPECT_EQ(arguments[0], c.program);
        EXPECT_EQ(arguments[1], "-classpath");
        EXPECT_TRUE(arguments[2].starts_with(c.classPathStart + c.separator)) << arguments[2];
        EXPECT_TRUE(
            arguments[2].ends_with(c.separator + c.app + InConvention("\\Vexmora", c.convention)));
        EXPECT_EQ(arguments[3], "VEXMORA.Frame11");
    }
}

// Folders holding quotes and backslashes before them come back from the split byte for byte: no
// quote is lost and no text escapes its entry to become an argument of its own.
TEST(BuildServerCommandLine, QuotesAndBackslashesInFoldersSurviveTheSplit) {
    for (const auto& [javaHome, app] : std::initializer_list<std::pair<std::string, std::string>>{
             {"/opt/jre", "/home/u/My \"SMS\" dir"},
             {"/opt/jre", "/tmp/x\" -Dinjected=1 -jar /tmp/evil.jar \"y"},
             {"/opt/j\"re", "/srv/a\\\"b\\"},
             {"/opt/jre\\", "/srv/trailing\\\\"},
         }) {
        for (const auto convention : {PathConvention::kPosix, PathConvention::kWindows}) {
            const auto arguments =
                SplitCommandLine(BuildServerCommandLine(javaHome, app, convention));
            ASSERT_EQ(arguments.size(), 4U) << app;
            EXPECT_EQ(arguments[0], javaHome + InConvention(convention == PathConvention::kPosix
                                                                ? "\\bin\\java"
                                                                : "\\bin\\java.exe",
                                                            convention));
            EXPECT_TRUE(arguments[2].starts_with(
                app + InConvention("\\Vexmora\\lib\\comm.jar", convention)))
                << arguments[2];
            EXPECT_TRUE(arguments[2].ends_with(app + InConvention("\\Vexmora", convention)));
        }
    }
    EXPECT_EQ(BuildServerCommandLine("", "/a\\\"b", PathConvention::kPosix).substr(0, 32),
              R"(java -classpath "/a\\\"b/Vexmora)");
}

}  // namespace
}  // namespace pellatone
