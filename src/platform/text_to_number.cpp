#include "platform/text_to_number.h"

#include <clocale>
#include <cstdlib>
#include <string>

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

    // The C library reads it exactly (correctly rounded) in the decimal point of the current
    // locale, so the "." becomes that first. (std::from_chars would do without, but it brings in
    // the maths library for its rounding-mode check, which costs every start a library load.)
    std::string local;
    local.reserve(text.size() + 4);
    const char* decimalPoint = std::localeconv()->decimal_point;
    for (const char c : text) {
        if (c == '.') {
            local += decimalPoint != nullptr && *decimalPoint != '\0' ? decimalPoint : ".";
        } else {
            local += c;
        }
    }
    char* end = nullptr;
    const double value = std::strtod(local.c_str(), &end);
    if (end != local.c_str() + local.size()) throw TypeMismatch();
    return value;
}

}  // namespace pellatone
