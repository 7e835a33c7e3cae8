// The installation against real folders through the Linux file system.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "java_runtime/mod_main.h"
#include "platform/platform.h"
#include "support/expected_texts.h"
#include "support/fake_platform.h"
#include "support/fake_registry.h"
#include "support/temporary_folder.h"

namespace pellatone {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using testing::FakePlatform;
using testing::FakeRegistry;
using ::testing::IsEmpty;
using testing::kCopyError;
using testing::ReadFile;
using testing::Tree;
using testing::TreeOf;
using testing::WriteFile;

const std::string kSourceFolder = "/opt/maradel/GsmModemJar/";

// The real file system, with the fixed source folder moved into the test's own folder so that
// nothing outside it is read or written.
class RedirectedFileSystem : public FileSystem {
public:
    RedirectedFileSystem(std::unique_ptr<FileSystem> real, std::string sourceFolder)
        : real_(std::move(real)), sourceFolder_(std::move(sourceFolder)) {}

    bool FileExists(const std::string& path) override { return real_->FileExists(path); }
    void CopyFile(const std::string& sourcePath, const std::string& destinationFolder) override {
        if (sourcePath.rfind(kSourceFolder, 0) != 0) {
            throw std::logic_error("copied from outside the source folder: " + sourcePath);
        }
        real_->CopyFile(sourceFolder_ + sourcePath.substr(kSourceFolder.size()), destinationFolder);
    }

private:
    std::unique_ptr<FileSystem> real_;
    std::string sourceFolder_;
};

// The runtime with all four files copied from the sources WriteSources("contents of ") wrote.
const Tree kCompleteRuntime{{"bin", "/"},
                            {"bin/Win32com.dll", "contents of Win32com.dll"},
                            {"lib", "/"},
                            {"lib/ext", "/"},
                            {"lib/ext/Comm.jar", "contents of Comm.jar"},
                            {"lib/ext/jdc.jar", "contents of jdc.jar"},
                            {"lib/javax.comm.properties", "contents of javax.comm.properties"}};

class InstallCommExtensionOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        home_ = root_ / "jre";
        sources_ = root_ / "GsmModemJar";
        for (const fs::path& folder : {home_ / "lib" / "ext", home_ / "bin", sources_}) {
            fs::create_directories(folder);
        }
        WriteSources("contents of ");
        fileSystem_ =
            std::make_unique<RedirectedFileSystem>(CreateFileSystem(), sources_.string() + "/");
        services_ = std::make_unique<JavaRuntimeServices>(
            JavaRuntimeServices{platform_, registry_, *fileSystem_, PathConvention::kPosix});
    }
    void Install() { InstallCommExtension(*services_, home_.string()); }
    void WriteSources(const std::string& prefix) {
        for (const char* name : {"Comm.jar", "javax.comm.properties", "Win32com.dll", "jdc.jar"}) {
            WriteFile(sources_ / name, prefix + name);
        }
    }
    // The failure's own description, then the installation's.
    void ExpectCopyFailure(const std::string& description) const {
        EXPECT_THAT(platform_.messages, ElementsAre(description, kCopyError));
    }

    std::vector<std::string> log_;
    FakePlatform platform_{log_};
    FakeRegistry registry_{log_};
    std::unique_ptr<FileSystem> fileSystem_;
    std::unique_ptr<JavaRuntimeServices> services_;
    testing::TemporaryFolder folder_;
    fs::path root_ = folder_.Path();
    fs::path home_;
    fs::path sources_;
};

TEST_F(InstallCommExtensionOnDisk, CopiesAllFourFilesIntoTheirFolders) {
    Install();
    EXPECT_THAT(platform_.messages, IsEmpty());
    EXPECT_EQ(TreeOf(home_), kCompleteRuntime);
}

TEST_F(InstallCommExtensionOnDisk, PresentFilesStayAsTheyAre) {
    WriteFile(home_ / "lib/ext/Comm.jar", "damaged");
    WriteFile(home_ / "lib/javax.comm.properties", "old");
    WriteFile(home_ / "bin/Win32com.dll", "old");
    Install();
    EXPECT_THAT(platform_.messages, IsEmpty());
    EXPECT_EQ(ReadFile(home_ / "lib/ext/Comm.jar"), "damaged");
    EXPECT_EQ(ReadFile(home_ / "lib/javax.comm.properties"), "old");
    EXPECT_EQ(ReadFile(home_ / "bin/Win32com.dll"), "old");
    EXPECT_EQ(ReadFile(home_ / "lib/ext/jdc.jar"), "contents of jdc.jar");
}

TEST_F(InstallCommExtensionOnDisk, MissingBinFolderKeepsEarlierCopiesAndSkipsTheRest) {
    fs::remove(home_ / "bin");
    Install();
    ExpectCopyFailure("Path not found: " + (home_ / "bin/").string());
    EXPECT_EQ(TreeOf(home_),
              (Tree{{"lib", "/"},
                    {"lib/ext", "/"},
                    {"lib/ext/Comm.jar", "contents of Comm.jar"},
                    {"lib/javax.comm.properties", "contents of javax.comm.properties"}}));
}

TEST_F(InstallCommExtensionOnDisk, MissingSourceFileStopsAtItsRow) {
    fs::remove(sources_ / "javax.comm.properties");
    Install();
    ExpectCopyFailure("File not found: " + (sources_ / "javax.comm.properties").string());
    EXPECT_EQ(TreeOf(home_), (Tree{{"bin", "/"},
                                   {"lib", "/"},
                                   {"lib/ext", "/"},
                                   {"lib/ext/Comm.jar", "contents of Comm.jar"}}));
}

TEST_F(InstallCommExtensionOnDisk, FolderAtTheTestedPathFailsTheCopyAndStaysAFolder) {
    fs::create_directory(home_ / "lib/ext/Comm.jar");
    Install();
    ExpectCopyFailure("Path/File access error: " + (home_ / "lib/ext/Comm.jar").string());
    // It stays a folder, and no half-made copy is left behind.
    EXPECT_EQ(TreeOf(home_),
              (Tree{{"bin", "/"}, {"lib", "/"}, {"lib/ext", "/"}, {"lib/ext/Comm.jar", "/"}}));
}

TEST_F(InstallCommExtensionOnDisk, MissingJavaHomeFailsAtTheFirstCopy) {
    fs::remove_all(home_);
    Install();
    ExpectCopyFailure("Path not found: " + (home_ / "lib/ext/").string());
    EXPECT_FALSE(fs::exists(home_));
}

TEST_F(InstallCommExtensionOnDisk, SecondRunCopiesNothing) {
    Install();
    WriteSources("newer");
    Install();
    EXPECT_THAT(platform_.messages, IsEmpty());
    EXPECT_EQ(TreeOf(home_), kCompleteRuntime);
}

}  // namespace
}  // namespace pellatone
