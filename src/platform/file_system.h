#pragma once

#include <string>

namespace pellatone {

// The file-system object: the two file operations the extension installation needs, one
// instance for the whole run.
class FileSystem {
public:
    FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;
    virtual ~FileSystem() = default;

    // True when a file (not a folder) exists at the path. Raises RunTimeError when the test
    // itself fails.
    [[nodiscard]] virtual bool FileExists(const std::string& path) = 0;

    // Copies the source file into the existing destination folder (given with its trailing
    // separator) under the source's own name. The file appears complete or not at all, and no
    // temporary file outlives the copy, even when the program is killed. A file that another
    // program put in place meanwhile counts as installed only when it equals the source; one
    // that differs is left as it is and reported (ForeignFileInPlace). Raises RunTimeError when
    // the source or the folder is missing or the copy is refused or fails.
    virtual void CopyFile(const std::string& sourcePath, const std::string& destinationFolder) = 0;
};

}  // namespace pellatone
