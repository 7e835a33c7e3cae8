#include "registry/registry_value.h"

#include <type_traits>

namespace pellatone {

std::string RegistryValueToText(const RegistryValue& value) {
    return std::visit(
        [](const auto& held) -> std::string {
            using Held = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<Held, std::monostate>) {
                return {};
            } else if constexpr (std::is_same_v<Held, std::string>) {
                return held;
            } else if constexpr (std::is_same_v<Held, ByteArray>) {
                return {held.begin(), held.end()};
            } else {
                return std::to_string(held);
            }
        },
        value);
}

}  // namespace pellatone
