#pragma once

#include <string>

#include "platform/file_system.h"
#include "platform/run_time_error.h"

namespace pellatone {

// Files on a POSIX file system. A copy is written to an unnamed file in its destination folder
// (a hidden named one where the file system has none) and given its name only when complete,
// never in place of another file, so a reader never sees half a file.
class PosixFileSystem final : public FileSystem {
public:
    [[nodiscard]] bool FileExists(const std::string& path) override;
    void CopyFile(const std::string& sourcePath, const std::string& destinationFolder) override;
};

// The error for a folder that could not be used: one that is not there is a missing path,
// whichever way the system words it.
RunTimeError FolderError(int errnoValue);

}  // namespace pellatone
