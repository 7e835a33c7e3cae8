#include "platform/text_to_number.h"

#include <charconv>
#include <system_error>

#include "platform/run_time_error.h"

namespace pellatone {

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

double TextToNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);

    std::string_view unsigned_part = text;
    if (!unsigned_part.empty() && (unsigned_part.front() == '+' || unsigned_part.front() == '-')) {
        unsigned_part.remove_prefix(1);
    }
    // Only digits with at most one ".", and at least one digit: "17." and ".5" are numbers,
    // "1e5", "0x1", "inf" and "1,5" are not.
    bool seen_point = false;
    bool seen_digit = false;
    for (char c : unsigned_part) {
        if (IsDigit(c)) {
            seen_digit = true;
        } else if (c == '.' && !seen_point) {
            seen_point = true;
        } else {
            throw TypeMismatch();
        }
    }
    if (!seen_digit) throw TypeMismatch();

    // from_chars does not take a leading "+" and is locale-independent by definition.
    std::string_view parsed = text.front() == '+' ? text.substr(1) : text;
    double value = 0.0;
    const auto [end, error] = std::from_chars(parsed.data(), parsed.data() + parsed.size(), value,
                                              std::chars_format::fixed);
    if (error != std::errc{} || end != parsed.data() + parsed.size()) throw TypeMismatch();
    return value;
}

}  // namespace pellatone
