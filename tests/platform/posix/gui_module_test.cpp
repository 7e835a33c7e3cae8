#include "platform/posix/gui_module.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/posix/platform_services.h"
#include "platform/run_time_error.h"
#include "support/error_of.h"
#include "support/table_case.h"
#include "support/temporary_folder.h"

namespace pellatone {
namespace {

using testing::PrintTo;
using testing::TemporaryFolder;
using testing::WriteFile;

using testing::ErrorOf;

std::string ModuleBesideThisProgram() {
    return RunningProgramFolder() + "/" + std::string(kGuiModuleFileName);
}

// The shared object that holds a function of the C library's maths, as the loader sees it.
std::string LibraryOf(void* function) {
    Dl_info info{};
    if (::dladdr(function, &info) == 0 || info.dli_fname == nullptr) return "(unknown)";
    return info.dli_fname;
}

// ---- Failures ------------------------------------------------------------------------------

struct LoadFailure {
    std::string name;
    // What to put where the module is looked for; "<missing>" puts nothing there.
    std::string contents;
    std::string reason;
};

class GuiModuleLoadFailure : public ::testing::TestWithParam<LoadFailure> {};

TEST_P(GuiModuleLoadFailure, RaisesErrorInLoadingDllWithTheLoadersReason) {
    TemporaryFolder folder;
    const std::string path = folder / std::string(kGuiModuleFileName);
    if (GetParam().contents != "<missing>") WriteFile(path, GetParam().contents);
    const RunTimeError error = ErrorOf([&] { (void)LoadGuiModule(path); });
    EXPECT_EQ(error.Number(), 48);
    EXPECT_EQ(error.Description(), path + ": " + GetParam().reason);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GuiModuleLoadFailure,
    ::testing::Values(LoadFailure{"Missing", "<missing>",
                                  "cannot open shared object file: No such file or directory"},
                      LoadFailure{"Empty", "", "file too short"},
                      LoadFailure{"NotAnObject", std::string(128, 'x'), "invalid ELF header"}),
    testing::NameOfCase());

TEST(GuiModuleLoad, ALibraryWithoutTheEntryIsRefused) {
    // The maths library is a real shared object, loaded already, without our entry.
    const std::string library = LibraryOf(reinterpret_cast<void*>(&::cbrt));
    ASSERT_NE(library, "(unknown)");
    const RunTimeError error = ErrorOf([&] { (void)LoadGuiModule(library); });
    EXPECT_EQ(error.Number(), 48);
    EXPECT_EQ(error.Description(), library + ": undefined symbol: pellatone_gui_open");
}

// ---- The real module -----------------------------------------------------------------------

TEST(GuiModuleLoad, TheModuleBesideTheProgramStaysLoadedAndPrivate) {
    (void)LoadGuiModule(ModuleBesideThisProgram());
    // Loaded locally: its symbols do not join the program's.
    EXPECT_EQ(::dlsym(RTLD_DEFAULT, kGuiModuleEntry), nullptr);
    // And it stays loaded although the loader let go of its handle.
    void* handle = ::dlopen(ModuleBesideThisProgram().c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr) << ::dlerror();
    ::dlclose(handle);
}

// As the program's own handler does: an error inside the tick is reported there, and the program
// ends from inside the module's event loop with the report out and the status it was given.
TEST(GuiModuleErrors, AnErrorInsideTheTickIsReportedAndEndsTheProgram) {
    const char* display = std::getenv("DISPLAY");
    if (display == nullptr || *display == '\0') GTEST_SKIP() << "no X display";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            GuiModule gui = LoadGuiModule(ModuleBesideThisProgram());
            std::string whyNot;
            if (!gui.OpenDisplay(whyNot)) std::exit(99);
            PosixPlatformServices services(nullptr);
            (void)gui.RunSplashWindow([&](SplashWindow& /*splash*/) {
                services.ReportUncaughtError(RunTimeError(76, "Path not found"));
                services.EndProgram(exit_status::kUncaughtError);
            });
        },
        ::testing::ExitedWithCode(exit_status::kUncaughtError),
        "Pellatone: Run-time error '76':\nPellatone: \nPellatone: Path not found\n");
}

}  // namespace
}  // namespace pellatone
