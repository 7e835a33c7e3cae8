#pragma once

#include <string>

#include "platform/platform_services.h"

namespace pellatone {

// Starts the command hidden with the application folder as its working folder, without waiting,
// and makes the caller's working folder current again. Errors pass to the caller.
void StartServerProcess(PlatformServices& platform, const std::string& commandLine);

}  // namespace pellatone
