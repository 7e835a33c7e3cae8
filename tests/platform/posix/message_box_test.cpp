#include "platform/posix/gui/message_box.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace pellatone {
namespace {

struct LabelCase {
    std::string text;
    std::string expected;
};

void PrintTo(const LabelCase& c, std::ostream* out) { *out << ::testing::PrintToString(c.text); }

class BoxLabel : public ::testing::TestWithParam<LabelCase> {};

TEST_P(BoxLabel, ShowsTheTextLiterally) {
    EXPECT_EQ(MessageBoxLabel(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, BoxLabel,
    ::testing::Values(LabelCase{"plain", "plain"}, LabelCase{"a\r\nb", "a\nb"},
                      LabelCase{"mail@host @@", "mail@@host @@@@"}, LabelCase{"@\r\n@", "@@\n@@"},
                      LabelCase{"lone\rcr and lone\nlf", "lone\rcr and lone\nlf"}));

}  // namespace
}  // namespace pellatone
