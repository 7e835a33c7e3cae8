#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "import_table_patch.h"
#include "platform/platform.h"
#include "platform/platform_test.h"
#include "platform/win32/wide_text.h"
#include "support/error_of.h"
#include "support/table_case.h"
#include "support/temporary_folder.h"

namespace pellatone {
namespace {

namespace fs = std::filesystem;
using platform_test::ProcessStart;
using testing::Utf8;

TEST(Win32PlatformServices, ApplicationFolderHoldsTheRunningProgram) {
    const std::string applicationFolder = CreatePlatformServices()->ApplicationFolder();
    ASSERT_FALSE(applicationFolder.empty());
    EXPECT_NE(applicationFolder.back(), '\\');
    EXPECT_TRUE(
        fs::is_regular_file(testing::PathOf(applicationFolder + "/pellatone_win32_tests.exe")))
        << applicationFolder;
}

// The fixture takes us back to our folder, which a failed start leaves elsewhere.
TEST_F(ProcessStart, StartingAProgramInAMissingFolderFails) {
    const RunTimeError error = testing::ErrorOf([&] {
        platform->StartProcessInFolder(Utf8(folder / "jre/bin/java.exe") + " -version",
                                       Utf8(folder.Path()));
    });
    EXPECT_TRUE(error.Number() == 53 || error.Number() == 76) << error.Number();
}

// A text file is no program: Windows' description of that holds an insert for the file's name.
TEST_F(ProcessStart, AProgramThatIsNoProgramIsNamedInTheError) {
    const std::filesystem::path java = folder / "jre/bin/java.exe";
    std::filesystem::create_directories(java.parent_path());
    testing::WriteFile(java, "not a program\n");
    // Built piece by piece: g++ 12 warns wrongly about a + chain here.
    std::string line = "\"";
    line += Utf8(java);
    line += "\" -version";
    const RunTimeError error =
        testing::ErrorOf([&] { platform->StartProcessInFolder(line, Utf8(folder.Path())); });
    EXPECT_EQ(error.Number(), 75);
    EXPECT_NE(error.Description().find(Utf8(java)), std::string::npos) << error.Description();
    EXPECT_EQ(error.Description().find('%'), std::string::npos) << error.Description();
}

// What the program hands CreateProcessW, which refuses every start here so nothing runs.
struct CreateProcessCall {
    std::optional<std::wstring> applicationName;
    std::wstring commandLine;
};
std::optional<CreateProcessCall> recordedCall;

BOOL WINAPI RecordCreateProcess(LPCWSTR applicationName, LPWSTR commandLine,
                                LPSECURITY_ATTRIBUTES /*process*/, LPSECURITY_ATTRIBUTES /*thread*/,
                                BOOL /*inherit*/, DWORD /*flags*/, LPVOID /*environment*/,
                                LPCWSTR /*folder*/, LPSTARTUPINFOW /*startup*/,
                                LPPROCESS_INFORMATION /*started*/) {
    recordedCall = CreateProcessCall{
        applicationName != nullptr ? std::optional<std::wstring>(applicationName) : std::nullopt,
        commandLine};
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
}

// A command line, and the program Windows is told to run (none: Windows looks it up), or the
// error that refuses the line before Windows sees it.
struct StartCase {
    const char* name;
    std::string commandLine;
    const wchar_t* applicationName;
    int refusedWith = 0;
};
using testing::PrintTo;
using namespace std::string_literals;

class CreateProcessUse : public ProcessStart, public ::testing::WithParamInterface<StartCase> {};

TEST_P(CreateProcessUse, NamesTheProgramOrRefusesTheLine) {
    recordedCall.reset();
    const testing::ImportPatch patch("kernel32.dll", "CreateProcessW",
                                     reinterpret_cast<void*>(&RecordCreateProcess));
    const RunTimeError error = testing::ErrorOf(
        [&] { platform->StartProcessInFolder(GetParam().commandLine, Utf8(folder.Path())); });
    if (GetParam().refusedWith != 0) {
        EXPECT_EQ(error.Number(), GetParam().refusedWith);
        EXPECT_FALSE(recordedCall.has_value()) << "CreateProcessW was called";
        return;
    }
    EXPECT_EQ(error.Number(), 53);
    ASSERT_TRUE(recordedCall.has_value());
    // The command line itself goes over exactly as built.
    EXPECT_EQ(recordedCall->commandLine, win32::WideFromUtf8(GetParam().commandLine));
    if (GetParam().applicationName == nullptr) {
        EXPECT_FALSE(recordedCall->applicationName.has_value()) << "a bare name was not looked up";
    } else {
        EXPECT_EQ(recordedCall->applicationName.value_or(L"(none)"), GetParam().applicationName);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CreateProcessUse,
    ::testing::Values(
        StartCase{"QuotedRuntime",
                  R"("C:\Program Files\Java\jre6\bin\java.exe" -classpath "C:\app\Vexmora" X)",
                  LR"(C:\Program Files\Java\jre6\bin\java.exe)"},
        // Windows' own reading would stop at the quote and try "C:\evil.exe".
        StartCase{"QuoteInTheFolder", R"("C:\evil\" C:\jre\bin\java.exe" -version)",
                  LR"(C:\evil" C:\jre\bin\java.exe)"},
        StartCase{"RelativeFolder", R"(jre\bin\java.exe -version)", LR"(jre\bin\java.exe)"},
        StartCase{"ForwardSlashes", R"("C:/jre/bin/java.exe" -version)", LR"(C:/jre/bin/java.exe)"},
        StartCase{"DriveRelative", R"(C:java.exe -version)", LR"(C:java.exe)"},
        StartCase{"BareJava", R"(java -classpath "C:\app\Vexmora" VEXMORA.Frame11)", nullptr},
        StartCase{"QuotedBareJava", R"("java" -version)", nullptr},
        // Everything after the NUL would be lost on the way.
        StartCase{"NulInTheLine", "\"C:\\evil\0C:\\jre\\bin\\java.exe\" -version"s, nullptr, 5}),
    testing::NameOfCase());

}  // namespace

namespace platform_test {

std::unique_ptr<PlatformServices> ServicesUnderTest() { return CreatePlatformServices(); }

// cmd.exe comes with every Windows (and Wine).
const char* const kWriteHereCommand = "cmd.exe /c cd > started-here.txt";

}  // namespace platform_test
}  // namespace pellatone
