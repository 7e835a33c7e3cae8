#pragma once

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace pellatone::testing {

// A path as the program's UTF-8 text, and back; '/' in the text is the system's separator.
inline std::string Utf8(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return {text.begin(), text.end()};
}

inline std::filesystem::path PathOf(std::string_view utf8) {
    std::filesystem::path path(std::u8string(utf8.begin(), utf8.end()));
    return path.make_preferred();
}

inline void WriteFile(const std::filesystem::path& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out) throw std::runtime_error("cannot write " + Utf8(path));
}

inline std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Waits (boundedly) for a file another process writes to hold `marker`; what it then holds.
inline std::string AwaitFile(const std::filesystem::path& path, std::string_view marker) {
    std::string contents;
    for (int i = 0; i < 500 && contents.find(marker) == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        contents = ReadFile(path);
    }
    return contents;
}

// Everything under a folder: relative path -> content, "/" for a folder, "->" and its target for
// a link, "?" for anything else (a pipe is never read).
using Tree = std::map<std::filesystem::path, std::string>;

inline Tree TreeOf(const std::filesystem::path& folder) {
    Tree tree;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        const auto type = entry.symlink_status().type();
        tree[entry.path().lexically_relative(folder)] =
            type == std::filesystem::file_type::directory ? "/"
            : type == std::filesystem::file_type::regular ? ReadFile(entry.path())
            : type == std::filesystem::file_type::symlink
                ? "->" + Utf8(std::filesystem::read_symlink(entry.path()))
                : "?";
    }
    return tree;
}

// Read-only files and folders would outlive the folders they are in. Links are left alone: their
// targets are not ours.
inline void MakeWritable(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::error_code ignored;
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto entry = fs::recursive_directory_iterator(folder, ignored);
         entry != fs::recursive_directory_iterator(); entry.increment(ignored)) {
        if (!entry->is_symlink(ignored)) {
            fs::permissions(entry->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
}

// A fresh folder in the system's temporary folder, removed with everything in it at the end of
// the test. Its path is canonical, so it compares equal to what the system reports.
class TemporaryFolder {
public:
    TemporaryFolder() {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        std::random_device random;
        do {
            path_ = base / ("pellatone-test-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
        path_ = std::filesystem::canonical(path_);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder() {
        MakeWritable(path_);
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
    [[nodiscard]] std::filesystem::path operator/(std::string_view relative) const {
        return path_ / PathOf(relative);
    }

    // The names in the folder or one under it, sorted.
    [[nodiscard]] std::vector<std::string> Names(std::string_view sub = "") const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(*this / sub)) {
            names.push_back(Utf8(entry.path().filename()));
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};

}  // namespace pellatone::testing
