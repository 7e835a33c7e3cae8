#pragma once

#include <functional>

#include "platform/run_time_error.h"

namespace pellatone::testing {

// The run-time error the operation raised, or number 0 "no error" when it raised none.
inline RunTimeError ErrorOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const RunTimeError& error) {
        return error;
    }
    return {0, "no error"};
}

}  // namespace pellatone::testing
