// The installation of the four extension files through the Windows file system, with each of
// its kernel32 file calls failing in turn: call N of a clean installation fails, for every N, with
// each error a disk or another program can cause. After every run each destination is absent or
// a whole copy, no temporary file or anything else is left, and the user sees the copy's error
// path for that failure, or nothing when the failure did no harm.
#include <windows.h>
// The file-system interface has its own CopyFile; the W call is named in full where meant.
#undef CopyFile

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <type_traits>
#include <vector>

#include "import_table_patch.h"
#include "java_runtime/mod_main.h"
#include "platform/platform.h"
#include "platform/win32/system_error.h"
#include "support/expected_texts.h"
#include "support/fake_platform.h"
#include "support/fake_registry.h"
#include "support/temporary_folder.h"

namespace pellatone {
namespace {

namespace fs = std::filesystem;
using testing::kCopyError;
using testing::MakeWritable;
using testing::ReadFile;
using testing::TemporaryFolder;
using testing::Tree;
using testing::TreeOf;
using testing::Utf8;
using testing::WriteFile;

struct FileCall {
    const char* name;
    bool failsWithAllBitsSet;  // INVALID_HANDLE_VALUE, INVALID_FILE_ATTRIBUTES; else FALSE
    bool actsAnyway;           // a handle is gone even when closing it reports an error
};

constexpr std::array<FileCall, 11> kFileCalls{{
    {"CreateFileW", true, false},
    {"ReadFile", false, false},
    {"WriteFile", false, false},
    {"FlushFileBuffers", false, false},
    {"MoveFileExW", false, false},
    {"DeleteFileW", false, false},
    {"GetFileAttributesW", true, false},
    {"SetFileAttributesW", false, false},
    {"GetFileInformationByHandle", false, false},
    {"SetFileInformationByHandle", false, false},
    {"CloseHandle", false, true},
}};

// While armed, every intercepted call is counted and call number `failAt` fails with `error`.
struct Injection {
    bool armed = false;
    int calls = 0;
    int failAt = 0;
    DWORD error = ERROR_SUCCESS;
    const char* failed = nullptr;
};
Injection injection;
std::array<void*, kFileCalls.size()> originals{};

template <std::size_t Index, typename Result, typename... Arguments>
Result WINAPI Intercepted(Arguments... arguments) {
    const auto original = reinterpret_cast<Result(WINAPI*)(Arguments...)>(originals[Index]);
    if (!injection.armed || ++injection.calls != injection.failAt) return original(arguments...);
    if (kFileCalls[Index].actsAnyway) original(arguments...);
    injection.failed = kFileCalls[Index].name;
    ::SetLastError(injection.error);
    if constexpr (std::is_pointer_v<Result>) {
        return kFileCalls[Index].failsWithAllBitsSet ? INVALID_HANDLE_VALUE : nullptr;
    } else {
        return kFileCalls[Index].failsWithAllBitsSet ? static_cast<Result>(~Result{}) : Result{};
    }
}

// Deduced from the real function's type, so the calling convention must match too.
template <std::size_t Index, typename Result, typename... Arguments>
void* InterceptorOf(Result(WINAPI*)(Arguments...)) {
    Result(WINAPI * interceptor)(Arguments...) = &Intercepted<Index, Result, Arguments...>;
    return reinterpret_cast<void*>(interceptor);
}

template <std::size_t Index>
std::unique_ptr<testing::ImportPatch> Intercept(void* interceptor) {
    auto patch =
        std::make_unique<testing::ImportPatch>("kernel32.dll", kFileCalls[Index].name, interceptor);
    originals[Index] = patch->Original();
    return patch;
}

std::vector<std::unique_ptr<testing::ImportPatch>> InterceptFileCalls() {
    std::vector<std::unique_ptr<testing::ImportPatch>> patches;
    patches.push_back(Intercept<0>(InterceptorOf<0>(&::CreateFileW)));
    patches.push_back(Intercept<1>(InterceptorOf<1>(&::ReadFile)));
    patches.push_back(Intercept<2>(InterceptorOf<2>(&::WriteFile)));
    patches.push_back(Intercept<3>(InterceptorOf<3>(&::FlushFileBuffers)));
    patches.push_back(Intercept<4>(InterceptorOf<4>(&::MoveFileExW)));
    patches.push_back(Intercept<5>(InterceptorOf<5>(&::DeleteFileW)));
    patches.push_back(Intercept<6>(InterceptorOf<6>(&::GetFileAttributesW)));
    patches.push_back(Intercept<7>(InterceptorOf<7>(&::SetFileAttributesW)));
    patches.push_back(Intercept<8>(InterceptorOf<8>(&::GetFileInformationByHandle)));
    patches.push_back(Intercept<9>(InterceptorOf<9>(&::SetFileInformationByHandle)));
    patches.push_back(Intercept<10>(InterceptorOf<10>(&::CloseHandle)));
    return patches;
}

// The four extension files where the runtime holds them; GsmModemJar holds them by name.
const std::array<fs::path, 4> kExtensionFiles{L"lib\\ext\\Comm.jar", L"lib\\javax.comm.properties",
                                              L"bin\\Win32com.dll", L"lib\\ext\\jdc.jar"};

// The extension's fixed source folder, C:\maradel\GsmModemJar\, with files of several sizes: one
// empty, some longer than a copy's buffer, one read-only (its copies take the attribute along).
class SourceFolder {
public:
    SourceFolder() {
        Remove();
        fs::create_directories(kFolder);
        const std::array<std::size_t, 4> sizes{150'000, 700, 70'000, 0};
        for (std::size_t row = 0; row < sizes.size(); ++row) {
            std::string content(sizes[row], '\0');
            for (std::size_t index = 0; index < content.size(); ++index) {
                content[index] = static_cast<char>((index * 131 + row * 7) % 251);
            }
            WriteFile(kFolder / kExtensionFiles[row].filename(), content);
        }
        ::SetFileAttributesW((kFolder / L"Win32com.dll").c_str(), FILE_ATTRIBUTE_READONLY);
        tree = TreeOf(kRoot);
    }
    SourceFolder(const SourceFolder&) = delete;
    SourceFolder& operator=(const SourceFolder&) = delete;
    ~SourceFolder() { Remove(); }

    // A runtime with all four files, as a clean installation leaves it.
    [[nodiscard]] Tree Installed() const {
        Tree installed{{"jre", "/"}, {"jre\\bin", "/"}, {"jre\\lib", "/"}, {"jre\\lib\\ext", "/"}};
        for (const fs::path& file : kExtensionFiles) {
            installed[fs::path("jre") / file] = tree.at(fs::path("GsmModemJar") / file.filename());
        }
        return installed;
    }

    static inline const fs::path kRoot = L"C:\\maradel";
    static inline const fs::path kFolder = kRoot / L"GsmModemJar";
    Tree tree;

private:
    static void Remove() {
        if (!fs::exists(kRoot)) return;
        MakeWritable(kRoot);
        fs::remove_all(kRoot);
    }
};

// The first message starts with the classic text of the failure; the path or advice may follow.
std::string ClassicText(DWORD error) {
    switch (error) {
        case ERROR_DISK_FULL:
            return "Disk full";
        case ERROR_ACCESS_DENIED:
            return "Path/File access error";
        case ERROR_IO_DEVICE:
            return "Device I/O error";
        default: {
            // Followed by the file concerned, before which a closing full stop goes.
            std::string text = win32::SystemErrorDescription(error);
            if (!text.empty() && text.back() == '.') text.pop_back();
            return text;
        }
    }
}

// The names in the temporary and working folders, where a stray file would most likely land.
std::set<fs::path> Surroundings() {
    std::set<fs::path> names;
    for (const fs::path& folder : {fs::temp_directory_path(), fs::current_path()}) {
        for (const auto& entry : fs::directory_iterator(folder)) names.insert(entry.path());
    }
    return names;
}

struct Outcome {
    std::vector<std::string> problems;
    int calls = 0;
    const char* failed = nullptr;
};

// Installs into a fresh runtime while call `failAt` (0: none) fails with `error`.
Outcome Install(const SourceFolder& sources, int failAt, DWORD error) {
    Outcome run;
    const auto surroundings = Surroundings();
    std::vector<std::string> messages;
    Tree runtime;
    {
        TemporaryFolder root;
        fs::create_directories(root.Path() / L"jre" / L"lib" / L"ext");
        fs::create_directories(root.Path() / L"jre" / L"bin");
        std::vector<std::string> log;
        testing::FakePlatform platform(log);
        testing::FakeRegistry registry(log);
        const std::unique_ptr<FileSystem> fileSystem = CreateFileSystem();
        injection = {true, 0, failAt, error, nullptr};
        try {
            InstallCommExtension({platform, registry, *fileSystem, PathConvention::kWindows},
                                 Utf8(root.Path() / L"jre"));
        } catch (...) {
            run.problems.emplace_back("the installation let an exception through");
        }
        injection.armed = false;
        run.calls = injection.calls;
        run.failed = injection.failed;
        messages = platform.messages;
        runtime = TreeOf(root.Path());
    }

    const Tree installed = sources.Installed();
    for (const auto& [path, content] : runtime) {
        const auto expected = installed.find(path);
        if (expected == installed.end()) {
            run.problems.push_back("left behind: " + path.string());
        } else if (expected->second != content) {
            run.problems.push_back("damaged: " + path.string());
        }
    }
    if (TreeOf(SourceFolder::kRoot) != sources.tree) run.problems.emplace_back("sources changed");
    if (Surroundings() != surroundings) run.problems.emplace_back("wrote beside the runtime");
    if (messages.empty()) {
        if (runtime != installed) run.problems.emplace_back("left files uncopied without a word");
    } else if (messages.size() != 2 || messages[0].rfind(ClassicText(error), 0) != 0 ||
               messages[1] != kCopyError) {
        std::string shown;
        for (const std::string& message : messages) shown += " [" + message + "]";
        run.problems.push_back("messages" + shown);
    }
    return run;
}

TEST(FileSystemFaultSweep, EveryFileCallOfAnInstallationFailsInTurn) {
    // It lays its sources out at the fixed C:\maradel, which only a test prefix may lend it.
    ASSERT_NE(std::getenv("WINEPREFIX"), nullptr) << "run under Wine, in the tests' prefix";
    const SourceFolder sources;
    const auto patches = InterceptFileCalls();

    const Outcome clean = Install(sources, 0, ERROR_SUCCESS);
    ASSERT_TRUE(clean.problems.empty()) << clean.problems.front();
    ASSERT_GT(clean.calls, 0);

    int injected = 0;
    int broken = 0;
    for (int failAt = 1; failAt <= clean.calls; ++failAt) {
        for (const DWORD error :
             {ERROR_DISK_FULL, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_IO_DEVICE}) {
            Outcome run = Install(sources, failAt, error);
            if (run.failed == nullptr) run.problems.emplace_back("the call never came");
            injected += run.failed != nullptr ? 1 : 0;
            if (run.problems.empty()) continue;
            ++broken;
            for (const std::string& problem : run.problems) {
                ADD_FAILURE() << "call " << failAt << " (" << (run.failed ? run.failed : "?")
                              << ") failing with error " << error << ": " << problem;
            }
        }
    }
    std::printf("fault sweep: %d injected failures, %d broken\n", injected, broken);
    EXPECT_EQ(broken, 0);
}

}  // namespace
}  // namespace pellatone
