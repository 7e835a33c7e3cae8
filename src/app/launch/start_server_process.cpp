#include "app/launch/start_server_process.h"

namespace pellatone {

void StartServerProcess(PlatformServices& platform, const std::string& commandLine) {
    platform.StartProcessInFolder(commandLine, platform.ApplicationFolder());
}

}  // namespace pellatone
