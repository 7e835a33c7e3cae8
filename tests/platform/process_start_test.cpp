#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "native_test.h"
#include "support/error_of.h"

namespace pellatone::native_test {

namespace fs = std::filesystem;
using testing::ErrorOf;
using testing::Utf8;

// Started from a current folder of ours with a UTF-8 name, which is made current again after.
class ProcessStart : public ::testing::Test {
protected:
    ProcessStart() {
        fs::create_directory(ours);
        fs::current_path(ours);
    }
    ~ProcessStart() override { fs::current_path(remembered); }

    // The first line the started program wrote, waited for (boundedly).
    [[nodiscard]] std::string Recorded() const {
        std::string text;
        for (int i = 0; i < 500 && text.find('\n') == std::string::npos; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            text = testing::ReadFile(record);
        }
        return text.substr(0, text.find_first_of("\r\n"));
    }

    const fs::path remembered = fs::current_path();
    testing::TemporaryFolder folder;
    const fs::path ours = folder /
                          "Gr\xC3\xBC\xC3\x9F"
                          "e";
    const fs::path record = folder / "record.txt";
    std::unique_ptr<PlatformServices> platform = ServicesUnderTest();
};

TEST_F(ProcessStart, StartsInTheFolderWithoutWaitingAndKeepsOurs) {
    const fs::path app = folder /
                         "Gr\xC3\xBC\xC3\x9F"
                         "e App";
    fs::create_directory(app);
    platform->StartProcessInFolder(RecordFolderCommand(Utf8(record)), Utf8(app));
    EXPECT_EQ(fs::current_path(), ours);
    EXPECT_EQ(Recorded(), Utf8(app));
}

TEST_F(ProcessStart, AFolderThatCannotBeEnteredIsPathNotFoundAndStartsNothing) {
    testing::WriteFile(folder / "plain", "x");
    for (const std::string& target :
         {Utf8(folder / "missing"), Utf8(folder / "missing/deeper"), Utf8(folder / "plain"),
          Utf8(folder / "plain/x"), std::string()}) {
        const RunTimeError error = ErrorOf(
            [&] { platform->StartProcessInFolder(RecordFolderCommand(Utf8(record)), target); });
        EXPECT_EQ(error.Number(), 76) << target;
        EXPECT_EQ(error.Description(), "Path not found");
        EXPECT_EQ(fs::current_path(), ours);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(fs::exists(record));
}

TEST_F(ProcessStart, AProgramThatIsNowhereIsFileNotFound) {
    const RunTimeError error = ErrorOf([&] {
        platform->StartProcessInFolder("pellatone-no-such-program -classpath \"x\" VEXMORA.Frame11",
                                       Utf8(folder.Path()));
    });
    EXPECT_EQ(error.Number(), 53);
    EXPECT_EQ(error.Description(), "File not found");
    EXPECT_EQ(fs::current_path(), ours);
}

}  // namespace pellatone::native_test
