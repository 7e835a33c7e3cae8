#include "platform/line_breaks.h"

namespace pellatone {

std::size_t LineBreakLength(std::string_view text, std::size_t at) {
    if (at >= text.size()) return 0;
    if (text[at] == '\n') return 1;
    if (text[at] != '\r') return 0;
    return at + 1 < text.size() && text[at + 1] == '\n' ? 2 : 1;
}

}  // namespace pellatone
