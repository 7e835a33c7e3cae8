#include "platform/platform_services.h"

namespace pellatone {

void PlatformServices::StartProcessInFolder(const std::string& commandLine,
                                            const std::string& folder) {
    const std::string remembered = GetWorkingFolder();
    SetWorkingFolder(folder);
    StartProcess(commandLine);
    SetWorkingFolder(remembered);
}

}  // namespace pellatone
