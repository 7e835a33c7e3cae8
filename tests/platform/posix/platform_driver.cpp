// Drives the real Linux services from the test scripts:
//   platform_driver message TEXT     shows TEXT (\r\n in it stands for CR LF), prints "dismissed"
//   platform_driver uncaught N TEXT  reports run-time error N with the description TEXT
//   platform_driver splash           runs the splash window; on the tick prints "tick", unloads
//                                    it and prints "unloaded"; at the end "returned true|false"
//   platform_driver splash-rgb       writes the splash picture, decoded by the windows module's
//                                    decoder in the test picture module beside the driver, as
//                                    raw RGB to stdout
//   platform_driver decode-truncated has that module decode the splash picture cut short and
//                                    prints the run-time error that comes back across to us
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "picture_module.h"
#include "platform/platform.h"
#include "platform/posix/gui/artwork.h"
#include "platform/run_time_error.h"

namespace {

std::string WithCrLf(std::string text) {
    for (std::size_t at = text.find("\\r\\n"); at != std::string::npos;
         at = text.find("\\r\\n", at + 2)) {
        text.replace(at, 4, "\r\n");
    }
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace pellatone;
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "message" && argc == 3) {
        CreatePlatformServices()->ShowMessage(WithCrLf(argv[2]));
        std::cout << "dismissed" << std::endl;
        return 0;
    }
    if (mode == "uncaught" && argc == 4) {
        CreatePlatformServices()->ReportUncaughtError(RunTimeError(std::atoi(argv[2]), argv[3]));
        std::cout << "dismissed" << std::endl;
        return 0;
    }
    if (mode == "splash" && argc == 2) {
        const std::unique_ptr<PlatformServices> services = CreatePlatformServices();
        int ticks = 0;
        const bool shown = RunSplashWindow([&](SplashWindow& splash) {
            std::cout << "tick" << std::endl;
            ++ticks;
            splash.Unload();
            std::cout << "unloaded" << std::endl;
        });
        std::cout << "returned " << (shown ? "true" : "false") << " after " << ticks << " ticks"
                  << std::endl;
        return 0;
    }
    if (mode == "splash-rgb" && argc == 2) {
        const std::vector<unsigned char> rgb =
            testing::DecodeInPictureModule(std::span(kSplashPicture, kSplashPictureSize));
        std::fwrite(rgb.data(), 1, rgb.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (mode == "decode-truncated" && argc == 2) {
        try {
            (void)testing::DecodeInPictureModule(std::span(kSplashPicture, kSplashPictureSize / 2));
        } catch (const RunTimeError& error) {
            std::cout << error.Number() << ": " << error.Description() << std::endl;
            return 0;
        }
        std::cout << "no error" << std::endl;
        return 1;
    }
    std::cerr << "usage: platform_driver message TEXT | uncaught N TEXT | splash | splash-rgb | "
                 "decode-truncated\n";
    return 64;
}
