#pragma once

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "platform/posix/gui_module_abi.h"
#include "platform/run_time_error.h"

namespace pellatone {

// Fills the status, cutting the description short to fit.
inline void Describe(PellatoneGuiStatus& status, int number, const std::string& description) {
    status.number = number;
    const std::size_t length = std::min(description.size(), sizeof status.description - 1);
    std::memcpy(status.description, description.data(), length);
    status.description[length] = '\0';
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
