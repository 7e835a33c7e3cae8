#include "platform/command_line_arguments.h"
#include "support/table_case.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pellatone {
namespace {

using testing::PrintTo;

struct SplitCase {
    const char* name;
    std::string line;
    std::vector<std::string> arguments;
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, SplitsAsTheWindowsCRuntimeDoes) {
    EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitCommandLineTest,
    ::testing::Values(
        SplitCase{"Empty", "", {}}, SplitCase{"BlanksOnly", "  \t ", {}},
        SplitCase{"BlanksAndTabsSeparate", " a \t b  c ", {"a", "b", "c"}},
        SplitCase{"QuotesGroupAndVanish", R"("a b" c)", {"a b", "c"}},
        SplitCase{"QuotedPartsJoinWithTheirNeighbours", R"("a";"b c":d)", {"a;b c:d"}},
        SplitCase{"EmptyQuotesGiveAnEmptyArgument", R"(a "" b)", {"a", "", "b"}},
        SplitCase{"UnclosedQuoteRunsToTheEnd", R"(a "b c)", {"a", "b c"}},
        SplitCase{"BackslashesWithoutQuoteAreLiteral", R"(C:\a\\b\)", {R"(C:\a\\b\)"}},
        SplitCase{"EvenBackslashesBeforeQuoteHalveAndQuoteDelimits", R"("a\\" b)", {R"(a\)", "b"}},
        SplitCase{"OddBackslashesBeforeQuoteGiveALiteralQuote", R"(a\"b)", {R"(a"b)"}},
        SplitCase{"ThreeBackslashesAndQuote", R"(a\\\"b)", {R"(a\"b)"}},
        SplitCase{"DoubledQuoteInsideQuotesIsLiteral", R"("a""b" c)", {R"(a"b)", "c"}},
        SplitCase{"TrailingBackslashInsideQuotesBeforeSeparator",
                  R"("C:\\Vexmora";x)",
                  {R"(C:\\Vexmora;x)"}}),
    testing::NameOfCase());

}  // namespace
}  // namespace pellatone
