#include "platform/command_line_arguments.h"

#include <cstddef>

namespace pellatone {

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
    std::vector<std::string> arguments;
    std::size_t i = 0;
    const std::size_t n = commandLine.size();
    auto is_blank = [](char c) { return c == ' ' || c == '\t'; };

    while (true) {
        while (i < n && is_blank(commandLine[i])) ++i;
        if (i >= n) break;

        std::string word;
        bool in_quotes = false;
        while (i < n && (in_quotes || !is_blank(commandLine[i]))) {
            const char c = commandLine[i];
            if (c == '\\') {
                std::size_t backslashes = 0;
                while (i < n && commandLine[i] == '\\') {
                    ++backslashes;
                    ++i;
                }
                if (i < n && commandLine[i] == '"') {
                    word.append(backslashes / 2, '\\');
                    if (backslashes % 2 == 1) {
                        word.push_back('"');
                        ++i;
                    }
                    // An even count leaves the quote to be read as a delimiter below.
                } else {
                    word.append(backslashes, '\\');
                }
            } else if (c == '"') {
                if (in_quotes && i + 1 < n && commandLine[i + 1] == '"') {
                    // "" inside quotes: a literal quote, as the C runtime since 2008 reads it.
                    word.push_back('"');
                    i += 2;
                } else {
                    in_quotes = !in_quotes;
                    ++i;
                }
            } else {
                word.push_back(c);
                ++i;
            }
        }
        arguments.push_back(std::move(word));
    }
    return arguments;
}

}  // namespace pellatone
