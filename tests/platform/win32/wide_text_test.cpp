#include "platform/win32/wide_text.h"

#include <gtest/gtest.h>

#include <string>

namespace pellatone::win32 {
namespace {

struct TextPair {
    std::string utf8;
    std::wstring utf16;
};

class WideTextTest : public ::testing::TestWithParam<TextPair> {};

TEST_P(WideTextTest, ConvertsToUtf16) {
    EXPECT_EQ(WideFromUtf8(GetParam().utf8), GetParam().utf16);
}

TEST_P(WideTextTest, ConvertsBackToUtf8) {
    EXPECT_EQ(Utf8FromWide(GetParam().utf16), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WideTextTest,
    ::testing::Values(TextPair{"", L""}, TextPair{"Pellatone", L"Pellatone"},
                      // Line breaks stay CR LF: message boxes show them as they are.
                      TextPair{"Run-time error '53':\r\n\r\nFile not found",
                               L"Run-time error '53':\r\n\r\nFile not found"},
                      TextPair{"C:\\Program Files\\Java\\jre6", L"C:\\Program Files\\Java\\jre6"},
                      TextPair{"Gr\xC3\xBC\xC3\x9F"
                               "e",
                               L"Gr\u00FC\u00DFe"},
                      TextPair{"\xE6\x97\xA5\xE6\x9C\xAC", L"\u65E5\u672C"},
                      // Beyond the basic plane: one code point, a surrogate pair in UTF-16.
                      TextPair{"\xF0\x9F\x93\xB1", L"\xD83D\xDCF1"},
                      // An embedded null is part of the text, not its end.
                      TextPair{std::string("a\0b", 3), std::wstring(L"a\0b", 3)}));

TEST(WideTextInvalidTest, InvalidUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(WideFromUtf8("a\xFF"
                           "b"),
              L"a\uFFFD"
              L"b");
}

TEST(WideTextInvalidTest, ALoneSurrogateBecomesAReplacementCharacter) {
    EXPECT_EQ(Utf8FromWide(std::wstring(L"a\xD800"
                                        L"b")),
              "a\xEF\xBF\xBD"
              "b");
}

}  // namespace
}  // namespace pellatone::win32
