#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/run_time_error.h"

namespace pellatone::testing {

// An in-memory file system of files and folders, paths compared as text.
class FakeFileSystem : public FileSystem {
public:
    explicit FakeFileSystem(std::vector<std::string>& log) : log_(log) {}

    bool FileExists(const std::string& path) override {
        log_.push_back("file exists: " + path);
        if (onFileExists) onFileExists(path);
        if (const auto failure = failures.find(path); failure != failures.end()) {
            throw failure->second;
        }
        return files.count(path) != 0;
    }
    void CopyFile(const std::string& sourcePath, const std::string& destinationFolder) override {
        log_.push_back("copy file: " + sourcePath + " -> " + destinationFolder);
        if (const auto failure = failures.find(sourcePath); failure != failures.end()) {
            throw failure->second;
        }
        if (files.count(sourcePath) == 0) throw FileNotFound();
        if (folders.count(destinationFolder) == 0) throw PathNotFound();
        const std::size_t nameStart = sourcePath.find_last_of("\\/") + 1;
        const std::string destination = destinationFolder + sourcePath.substr(nameStart);
        // A folder standing where the file should go refuses the copy.
        if (folders.count(destination + "\\") != 0 || folders.count(destination + "/") != 0) {
            throw PathFileAccessError();
        }
        files.insert(destination);
    }

    std::set<std::string> files;
    std::set<std::string> folders;                 // with their trailing separator
    std::map<std::string, RunTimeError> failures;  // path -> error raised when it is used
    // Called with the path at the start of every existence test.
    std::function<void(const std::string&)> onFileExists;

private:
    std::vector<std::string>& log_;
};

}  // namespace pellatone::testing
