#pragma once

#include <string>

namespace pellatone {

// Splits the command line by the Windows C runtime's rules and starts it, looking a bare program
// name up on PATH, in a session of its own (it outlives us) with standard input and output on
// /dev/null and no other descriptor inherited. The working folder is entered by the new process
// before the program is looked up. It is never waited for.
// Raises RunTimeError: 53 when the program does not exist, 75 when it cannot be executed.
void StartDetachedProcess(const std::string& commandLine, const std::string& workingFolder);

}  // namespace pellatone
