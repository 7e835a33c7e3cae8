#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pellatone {

// Splits one command-line text into arguments by the rules the Windows C runtime applies to its
// command line: blanks and tabs separate words; double quotes group and are removed; 2n
// backslashes before a quote give n backslashes, 2n+1 give n and a literal quote; other
// backslashes are literal; "" inside a quoted part gives a literal quote. Used to start the same
// one-text command line on POSIX systems.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

}  // namespace pellatone
