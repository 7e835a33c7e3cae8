#include "platform/text_to_number.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/run_time_error.h"
#include "support/comma_locale.h"
#include "support/error_of.h"
#include "support/table_case.h"

namespace pellatone {
namespace {

using testing::ErrorOf;
using NumberCase = testing::Example<std::string, double>;

class TextToNumberReads : public ::testing::TestWithParam<NumberCase> {};

TEST_P(TextToNumberReads, TheDecimalNumber) {
    EXPECT_DOUBLE_EQ(TextToNumber(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, TextToNumberReads,
                         ::testing::Values(NumberCase{"1.5", 1.5}, NumberCase{"1.4", 1.4},
                                           NumberCase{"9", 9.0}, NumberCase{"17.", 17.0},
                                           NumberCase{".5", 0.5}, NumberCase{" 1.6 ", 1.6},
                                           NumberCase{"\t2\t", 2.0}, NumberCase{"-1.5", -1.5},
                                           NumberCase{"+1.5", 1.5}, NumberCase{"010", 10.0}));

class TextToNumberRejects : public ::testing::TestWithParam<std::string> {};

TEST_P(TextToNumberRejects, WithTypeMismatch) {
    const RunTimeError error = ErrorOf([&] { (void)TextToNumber(GetParam()); });
    EXPECT_EQ(error.Number(), 13);
    EXPECT_EQ(error.Description(), "Type mismatch");
}

INSTANTIATE_TEST_SUITE_P(Cases, TextToNumberRejects,
                         ::testing::Values("", " ", ".", "-", "+", "1,5", "1.4.", "1_4", "abc",
                                           "1e5", "0x1", "inf", "nan", "1.5a", "1 5", "+-1",
                                           "1..5"));

// A comma locale must not change how "1.5" and "1.4" read.
TEST(TextToNumber, IgnoresTheUserLocale) {
    const testing::CommaLocale german;
    ASSERT_TRUE(german.Active()) << "no comma locale installed (the test set-up generates it)";
    EXPECT_DOUBLE_EQ(TextToNumber("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(TextToNumber("1.4"), 1.4);
    EXPECT_THROW((void)TextToNumber("1,5"), RunTimeError);
}

}  // namespace
}  // namespace pellatone
