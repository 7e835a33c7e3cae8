#pragma once

#include <clocale>
#include <locale>
#include <stdexcept>
#include <string>

namespace pellatone::testing {

// Switches the C and C++ locales to German, whose decimal separator is a comma, for the
// lifetime of the object, and restores the previous ones afterwards. Active() tells whether the
// switch took; on Linux the test set-up generates de_DE.UTF-8, Windows spells its names otherwise.
class CommaLocale {
public:
    CommaLocale() : previousC_(std::setlocale(LC_ALL, nullptr)) {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de-DE", "German_Germany.1252"}) {
            if (std::setlocale(LC_ALL, name) != nullptr) {
                active_ = true;
                try {
                    std::locale::global(std::locale(name));
                } catch (const std::runtime_error&) {
                    // The C++ library may not know every name the C library does.
                }
                break;
            }
        }
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;
    ~CommaLocale() {
        std::locale::global(previousCpp_);
        std::setlocale(LC_ALL, previousC_.c_str());
    }

    [[nodiscard]] bool Active() const {
        return active_ && std::string(std::localeconv()->decimal_point) == ",";
    }

private:
    std::string previousC_;
    std::locale previousCpp_;
    bool active_ = false;
};

}  // namespace pellatone::testing
