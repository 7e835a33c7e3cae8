#pragma once

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>

#include "platform/posix/gui_module_abi.h"
#include "platform/run_time_error.h"

namespace pellatone {

// Fills the status, cutting the description short to fit. snprintf into the fixed field is what
// the fortified C library checks against the field's size.
inline void Describe(PellatoneGuiStatus& status, int number, const std::string& description) {
    status.number = number;
    const auto length =
        static_cast<int>(std::min(description.size(), sizeof status.description - 1));
    std::snprintf(status.description, sizeof status.description, "%.*s", length,
                  description.data());
}

// Runs the work of one entry point of a module and records how it failed, if it did; nothing
// leaves the module, since the program runs on a C++ runtime of its own.
template <typename Work>
void Guarded(PellatoneGuiStatus* status, Work&& work) noexcept {
    try {
        const std::optional<RunTimeError> error = ErrorRaisedBy(std::forward<Work>(work));
        if (error) Describe(*status, error->Number(), error->Description());
    } catch (...) {
        Describe(*status, error_number::kInternalError, "Unexpected error in the windows module");
    }
}

}  // namespace pellatone
