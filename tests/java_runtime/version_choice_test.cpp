#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "java_runtime/mod_main.h"
#include "platform/run_time_error.h"
#include "support/error_of.h"
#include "support/table_case.h"

namespace pellatone {
namespace {

using testing::ErrorOf;
using testing::PrintTo;

struct ChoiceCase {
    const char* name;
    SubKeyList names;
    std::optional<std::string> chosen;
};

class JavaVersionChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(JavaVersionChoice, IsTheFirstNameOfVersionOnePointFiveOrMore) {
    EXPECT_EQ(ChooseJavaVersion(GetParam().names), GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, JavaVersionChoice,
    ::testing::Values(
        ChoiceCase{"ExactlyTheMinimum", {"1.5"}, "1.5"},
        ChoiceCase{"MinimumWithPatchLevel", {"1.5.0"}, "1.5.0"},
        ChoiceCase{"JustBelowTheMinimum", {"1.4.2_19"}, std::nullopt},
        ChoiceCase{"ShortNameReadWhole", {"9"}, "9"},
        ChoiceCase{"ModernVersionPrefixEndsInPoint", {"17.0.15"}, "17.0.15"},
        ChoiceCase{"OneAloneIsTooOld", {"1"}, std::nullopt},
        ChoiceCase{"TwoDigitsReadWhole", {"10"}, "10"},
        // Only three characters count: "1.10" reads as 1.1.
        ChoiceCase{"MinorVersionTenReadsAsOnePointOne", {"1.10"}, std::nullopt},
        ChoiceCase{"HigherFirstWins", {"1.6", "1.5"}, "1.6"},
        ChoiceCase{"LowerFirstWins", {"1.5", "1.6"}, "1.5"},
        ChoiceCase{"FirstQualifyingNotHighest", {"1.4.2_19", "1.5.0_06", "1.6.0_03"}, "1.5.0_06"},
        ChoiceCase{"NoneQualifies", {"1.3.1", "1.4.2_19", "1.4"}, std::nullopt},
        ChoiceCase{"EmptyList", {}, std::nullopt},
        // The walk stops on the chosen name: what follows is never read.
        ChoiceCase{"NonNumberAfterTheChoice", {"1.6.0", "abc", ""}, "1.6.0"},
        ChoiceCase{"NameReturnedWhole", {"1.5x-custom"}, "1.5x-custom"},
        ChoiceCase{"BlankLeadPrefixReadsAsOne", {" 1.6"}, std::nullopt}),
    testing::NameOfCase());

class JavaVersionChoiceRejects : public ::testing::TestWithParam<SubKeyList> {};

TEST_P(JavaVersionChoiceRejects, ANonNumberBeforeAnyQualifyingName) {
    const RunTimeError error = ErrorOf([&] { (void)ChooseJavaVersion(GetParam()); });
    EXPECT_EQ(error.Number(), 13);
    EXPECT_EQ(error.Description(), "Type mismatch");
}

INSTANTIATE_TEST_SUITE_P(Cases, JavaVersionChoiceRejects,
                         ::testing::Values(SubKeyList{"abc", "1.6"},
                                           SubKeyList{"1.4", "x.5", "1.6"}, SubKeyList{""},
                                           SubKeyList{"1,5"}, SubKeyList{"1e5"},
                                           SubKeyList{"1.4", "CurrentVersion"}, SubKeyList{"1_5"}));

}  // namespace
}  // namespace pellatone
