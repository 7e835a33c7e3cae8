#include "platform/run_time_error.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "support/table_case.h"

namespace pellatone {
namespace {

struct ConcerningCase {
    const char* name;
    const char* description;
    const char* path;
    std::string_view remedy;
    const char* expected;
};
using testing::PrintTo;

class ErrorNamingTest : public ::testing::TestWithParam<ConcerningCase> {};

TEST_P(ErrorNamingTest, NamesThePathOnceAfterTheText) {
    const RunTimeError error =
        ErrorNaming(RunTimeError(75, GetParam().description), GetParam().path, GetParam().remedy);
    EXPECT_EQ(error.Number(), 75);
    EXPECT_EQ(error.Description(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ErrorNamingTest,
    ::testing::Values(
        ConcerningCase{"Classic",
                       "File not found",
                       "C:\\maradel\\GsmModemJar\\jdc.jar",
                       {},
                       "File not found: C:\\maradel\\GsmModemJar\\jdc.jar"},
        ConcerningCase{"NoPath", "Disk full", "", {}, "Disk full"},
        ConcerningCase{"Remedy", "Path/File access error", "/usr/lib/jvm/j/lib/ext/Comm.jar",
                       "Run Pellatone once as root to install the serial extension.",
                       "Path/File access error: /usr/lib/jvm/j/lib/ext/Comm.jar\r\n"
                       "Run Pellatone once as root to install the serial extension."},
        ConcerningCase{"FullStopDropped",
                       "Sharing violation.",
                       "C:\\maradel\\GsmModemJar\\Comm.jar",
                       {},
                       "Sharing violation: C:\\maradel\\GsmModemJar\\Comm.jar"},
        ConcerningCase{"OnlyTheLastStop", "Error 2.5.", "C:\\a", {}, "Error 2.5: C:\\a"},
        ConcerningCase{
            "FullStopKeptWithoutPath", "Sharing violation.", "", {}, "Sharing violation."},
        ConcerningCase{"AlreadyNamed",
                       "C:\\jre\\bin\\java.exe is not a valid Win32 application.",
                       "C:\\jre\\bin\\java.exe",
                       {},
                       "C:\\jre\\bin\\java.exe is not a valid Win32 application."}),
    testing::NameOfCase());

}  // namespace
}  // namespace pellatone
