#pragma once

#include <string>

namespace pellatone::win32 {

// StartProcessInFolder as Windows needs it: a bare program name is looked up in the current
// folder, so ours is remembered, `folder` made current for the start and ours current again
// after it. An error passes on at once: a folder that cannot be entered starts nothing, and a
// failed start leaves `folder` current. `System` offers GetWorkingFolder, SetWorkingFolder and
// StartProcess.
template <typename System>
void StartThroughWorkingFolder(System& system, const std::string& commandLine,
                               const std::string& folder) {
    const std::string remembered = system.GetWorkingFolder();
    system.SetWorkingFolder(folder);
    system.StartProcess(commandLine);
    system.SetWorkingFolder(remembered);
}

}  // namespace pellatone::win32
