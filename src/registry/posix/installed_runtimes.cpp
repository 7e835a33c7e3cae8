#include "registry/posix/installed_runtimes.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/posix/unique_resource.h"
#include "registry/java_runtime_key.h"
#include "registry/key_name.h"

namespace pellatone {

namespace {

constexpr std::string_view kVersionKey = "JAVA_VERSION=";
// A UTF-8 byte-order mark, which some editors put before the first line; it is not text.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// How much of a release file is read: its JAVA_VERSION line sits near the top, and a huge file
// must cost neither time nor memory.
constexpr std::size_t kReleaseFileReadLimit = std::size_t{64} * 1024;
// A registry key name holds at most this many characters.
constexpr std::size_t kLongestKeyName = 255;

std::string_view TrimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

std::string_view Unquoted(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

// Folders directly under `root`, by name; none when the root is missing or unreadable.
std::vector<std::filesystem::path> FoldersUnder(const std::filesystem::path& root) {
    std::vector<std::filesystem::path> folders;
    std::error_code error;
    std::filesystem::directory_iterator entries(root, error);
    for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
        std::error_code typeError;
        if (std::filesystem::is_directory(entries->path(), typeError)) {
            folders.push_back(entries->path());
        }
    }
    std::ranges::sort(folders, [](const auto& left, const auto& right) {
        return left.filename().native() < right.filename().native();
    });
    return folders;
}

// The version whose key `keyPath` names under `root`: empty for the runtime key itself, nullopt
// for a path that is neither that key nor one of its subkeys.
std::optional<std::string_view> VersionNamedBy(RegistryKey root, std::string_view keyPath) {
    const std::size_t keyLength = kJavaRuntimeKey.size();
    if (root != kHkeyLocalMachine || keyPath.size() < keyLength ||
        CompareNamesIgnoringCase(keyPath.substr(0, keyLength), kJavaRuntimeKey) != 0) {
        return std::nullopt;
    }
    const std::string_view rest = keyPath.substr(keyLength);
    if (rest.empty()) return rest;
    // A subkey's name follows one backslash and is not empty.
    if (rest.size() < 2 || rest.front() != '\\') return std::nullopt;
    return rest.substr(1);
}

}  // namespace

std::vector<std::filesystem::path> StandardJavaRuntimeFolders() {
    return {"/usr/lib/jvm", "/usr/lib64/jvm"};
}

std::optional<std::string> JavaVersionInRelease(std::string_view contents) {
    // Only the head counts. A last line without its line break may go on past it, unless the
    // file ends before the limit.
    const bool cut = contents.size() >= kReleaseFileReadLimit;
    std::string_view rest = contents.substr(0, kReleaseFileReadLimit);
    if (rest.starts_with(kByteOrderMark)) rest.remove_prefix(kByteOrderMark.size());
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos && cut) return std::nullopt;
        const std::string_view entry = TrimBlanks(rest.substr(0, end));
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        if (!entry.starts_with(kVersionKey)) continue;
        const std::string_view version = Unquoted(TrimBlanks(entry.substr(kVersionKey.size())));
        // The version names a registry key: one path component, no terminator inside.
        const bool usable =
            !version.empty() && version.size() <= kLongestKeyName &&
            version.find_first_of(std::string_view("\\\0", 2)) == std::string_view::npos;
        if (!usable) return std::nullopt;
        return std::string(version);
    }
    return std::nullopt;
}

std::optional<std::string> ReadJavaVersion(const std::filesystem::path& releaseFile) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(releaseFile, error)) return std::nullopt;
    const posix::UniqueFd release(::open(releaseFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!release) return std::nullopt;
    // Left unfilled: a release file of a few lines touches one page of it, not the whole limit.
    const auto head = std::make_unique_for_overwrite<char[]>(kReleaseFileReadLimit);
    std::size_t size = 0;
    while (size < kReleaseFileReadLimit) {
        const ssize_t count =
            ::read(release.Get(), head.get() + size, kReleaseFileReadLimit - size);
        if (count < 0 && errno == EINTR) continue;
        // A file that could not be read to its end or to the limit names no version.
        if (count < 0) return std::nullopt;
        if (count == 0) break;
        size += static_cast<std::size_t>(count);
    }
    return JavaVersionInRelease({head.get(), size});
}

std::vector<InstalledJavaRuntime> FindInstalledJavaRuntimes(
    std::span<const std::filesystem::path> rootFolders) {
    std::vector<InstalledJavaRuntime> runtimes;
    std::set<std::filesystem::path> placesSeen;
    std::set<std::string, NameLessIgnoringCase> versionsSeen;
    for (const std::filesystem::path& root : rootFolders) {
        for (const std::filesystem::path& folder : FoldersUnder(root)) {
            std::optional<std::string> version = ReadJavaVersion(folder / "release");
            if (!version) continue;
            std::error_code error;
            std::filesystem::path place = std::filesystem::canonical(folder, error);
            if (error) place = folder;
            if (!placesSeen.insert(std::move(place)).second) continue;
            if (!versionsSeen.insert(*version).second) continue;
            runtimes.push_back({std::move(*version), folder.string()});
        }
    }
    return runtimes;
}

const std::vector<InstalledJavaRuntime>& InstalledRuntimeRegistry::Runtimes() {
    if (!lookedUp_) {
        lookedUp_ = true;
        findError_ = ErrorRaisedBy([this] {
            runtimes_ = findRuntimes_();
            std::ranges::stable_sort(runtimes_, [](const auto& left, const auto& right) {
                return NameLessIgnoringCase{}(left.version, right.version);
            });
        });
    }
    if (findError_) throw *findError_;
    return runtimes_;
}

const InstalledJavaRuntime* InstalledRuntimeRegistry::RuntimeOf(std::string_view version) {
    const std::vector<InstalledJavaRuntime>& runtimes = Runtimes();
    const auto found = std::ranges::find_if(runtimes, [&](const auto& runtime) {
        return CompareNamesIgnoringCase(runtime.version, version) == 0;
    });
    return found == runtimes.end() ? nullptr : &*found;
}

bool InstalledRuntimeRegistry::RegKeyExists(RegistryKey root, const std::string& keyPath) {
    const std::optional<std::string_view> version = VersionNamedBy(root, keyPath);
    if (!version) return false;
    return version->empty() ? !Runtimes().empty() : RuntimeOf(*version) != nullptr;
}

SubKeyList InstalledRuntimeRegistry::RegEnumSubKeys(RegistryKey root, const std::string& keyPath) {
    SubKeyList names;
    const std::optional<std::string_view> version = VersionNamedBy(root, keyPath);
    // Only the runtime key has subkeys.
    if (!version || !version->empty()) return names;
    for (const InstalledJavaRuntime& runtime : Runtimes()) names.push_back(runtime.version);
    return names;
}

RegistryValue InstalledRuntimeRegistry::RegReadValue(RegistryKey root, const std::string& keyPath,
                                                     const std::string& valueName,
                                                     const RegistryValue* defaultValue) {
    const std::optional<std::string_view> version = VersionNamedBy(root, keyPath);
    if (version && version->empty() && !Runtimes().empty()) {
        // The runtime key holds no value.
        throw UnsupportedValueType();
    }
    if (version && !version->empty()) {
        if (const InstalledJavaRuntime* runtime = RuntimeOf(*version)) {
            // A version key holds JavaHome alone.
            if (CompareNamesIgnoringCase(valueName, kJavaHomeValueName) != 0) {
                throw UnsupportedValueType();
            }
            return runtime->folder;
        }
    }
    // A key that is not there cannot be opened.
    return defaultValue != nullptr ? *defaultValue : RegistryValue{};
}

}  // namespace pellatone
