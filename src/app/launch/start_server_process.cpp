#include "app/launch/start_server_process.h"

namespace pellatone {

void StartServerProcess(PlatformServices& platform, const std::string& commandLine) {
    const std::string remembered = platform.GetWorkingFolder();
    platform.SetWorkingFolder(platform.ApplicationFolder());
    platform.StartProcess(commandLine);
    platform.SetWorkingFolder(remembered);
}

}  // namespace pellatone
