#pragma once

#include <string>

namespace pellatone {

// A modal FLTK box captioned "Pellatone" with the text, an OK button and no icon; returns when
// dismissed. Needs the display (see DisplayAvailable).
void ShowMessageBox(const std::string& text);

// The text as an FLTK label shows it literally: CR LF becomes a line break and "@", which would
// start a symbol, is doubled.
std::string MessageBoxLabel(const std::string& text);

}  // namespace pellatone
