#pragma once

#include <gtest/gtest.h>

#include <concepts>
#include <ostream>
#include <string>
#include <string_view>

namespace pellatone::testing {

// A row of a test table that names itself: its `name` is its test's name (NameOfCase) and what a
// failure report shows for it (PrintTo, which a test file takes in with `using testing::PrintTo;`
// beside its rows, where gtest looks for it).
template <typename Case>
concept NamedCase = std::constructible_from<std::string_view, decltype(Case::name)>;

template <NamedCase Case>
void PrintTo(const Case& row, std::ostream* out) {
    *out << row.name;
}

// For INSTANTIATE_TEST_SUITE_P.
struct NameOfCase {
    template <NamedCase Case>
    std::string operator()(const ::testing::TestParamInfo<Case>& info) const {
        return std::string(info.param.name);
    }
};

// A row that gives an input and what is expected of it; a failure report shows the input.
template <typename Input, typename Expected>
struct Example {
    Input input;
    Expected expected;
};

template <typename Input, typename Expected>
void PrintTo(const Example<Input, Expected>& row, std::ostream* out) {
    *out << ::testing::PrintToString(row.input);
}

}  // namespace pellatone::testing
