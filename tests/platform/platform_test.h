#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "support/table_case.h"
#include "support/temporary_folder.h"

// The behaviour every platform's file system and services share, run against the ones being built
// for; a platform's own test adds its rows to these suites.
namespace pellatone::platform_test {

// Given by each platform's own test: its services, and a command line that writes a line to
// started-here.txt in the folder it runs in.
std::unique_ptr<PlatformServices> ServicesUnderTest();
extern const char* const kWriteHereCommand;

// A source folder holding Comm.jar, and an empty destination folder; paths below are relative to
// the test's folder, '/' for the separator.
class FileSystemTest : public ::testing::Test {
protected:
    FileSystemTest();

    testing::TemporaryFolder folder;
    std::unique_ptr<FileSystem> fileSystem = CreateFileSystem();
};

struct ExistsCase {
    const char* name;
    const char* path;
    bool exists;
};

class FileExists : public FileSystemTest, public ::testing::WithParamInterface<ExistsCase> {};

// A copy that fails: what it raises, with the classic text and what it concerns, and that the
// test's folder holds exactly what it held before. `prepare` sets the scene beyond the usual.
struct CopyFailure {
    const char* name;
    const char* source;
    const char* destination;
    int number;
    const char* text;
    const char* concerning;
    void (*prepare)(const testing::TemporaryFolder&) = nullptr;
};

class CopyFileFailure : public FileSystemTest, public ::testing::WithParamInterface<CopyFailure> {};

// Started from a current folder of ours with a UTF-8 name, which is made current again after.
class ProcessStart : public ::testing::Test {
protected:
    ProcessStart();
    ~ProcessStart() override;

    const std::filesystem::path remembered = std::filesystem::current_path();
    testing::TemporaryFolder folder;
    const std::filesystem::path ours = folder / "Gr\u00FC\u00DFe";
    std::unique_ptr<PlatformServices> platform = ServicesUnderTest();
};

}  // namespace pellatone::platform_test
