#include "registry/posix/java_runtime_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <memory>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "platform/posix/unique_resource.h"
#include "platform/run_time_error.h"
#include "registry/java_runtime_key.h"
#include "registry/key_name.h"
#include "registry/m_registry.h"

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
// The store's handles, clear of the predefined roots.
constexpr RegistryKey kFirstHandle = 0x1000;

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

// The names along a key path; none for the empty path, which names the key it starts from.
std::vector<std::string_view> Components(std::string_view keyPath) {
    std::vector<std::string_view> components;
    if (keyPath.empty()) return components;
    for (std::size_t end = keyPath.find('\\'); end != std::string_view::npos;
         end = keyPath.find('\\')) {
        components.push_back(keyPath.substr(0, end));
        keyPath.remove_prefix(end + 1);
    }
    components.push_back(keyPath);
    return components;
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

// What a store that failed to build reads as: every read fails as the build did.
class UnbuiltRegistry final : public RegistryAccess {
public:
    explicit UnbuiltRegistry(const RunTimeError& error) : error_(std::make_exception_ptr(error)) {}

    bool RegKeyExists(RegistryKey /*root*/, const std::string& /*keyPath*/) override {
        std::rethrow_exception(error_);
    }
    SubKeyList RegEnumSubKeys(RegistryKey /*root*/, const std::string& /*keyPath*/) override {
        std::rethrow_exception(error_);
    }
    RegistryValue RegReadValue(RegistryKey /*root*/, const std::string& /*keyPath*/,
                               const std::string& /*valueName*/,
                               const RegistryValue* /*defaultValue*/) override {
        std::rethrow_exception(error_);
    }

private:
    std::exception_ptr error_;
};

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

JavaRuntimeStore::JavaRuntimeStore(std::vector<InstalledJavaRuntime> runtimes)
    : runtimeKeyPath_(Components(kJavaRuntimeKey)), runtimes_(std::move(runtimes)) {
    std::ranges::stable_sort(runtimes_, [](const auto& left, const auto& right) {
        return NameLessIgnoringCase{}(left.version, right.version);
    });
}

std::optional<std::size_t> JavaRuntimeStore::KeyOf(RegistryKey key) const {
    if (key == kHkeyLocalMachine) return 0;
    const std::size_t keys = runtimes_.empty() ? 1 : runtimeKeyPath_.size() + 1 + runtimes_.size();
    if (key < kFirstHandle || key - kFirstHandle >= keys) return std::nullopt;
    return key - kFirstHandle;
}

std::size_t JavaRuntimeStore::SubKeyCount(std::size_t key) const {
    if (runtimes_.empty() || key > runtimeKeyPath_.size()) return 0;
    return key < runtimeKeyPath_.size() ? 1 : runtimes_.size();
}

std::string_view JavaRuntimeStore::SubKeyName(std::size_t key, std::size_t index) const {
    return key < runtimeKeyPath_.size() ? runtimeKeyPath_[key] : runtimes_[index].version;
}

RegistryStatus JavaRuntimeStore::OpenKey(RegistryKey root, const std::string& keyPath,
                                         RegistryKey& opened) {
    std::optional<std::size_t> key = KeyOf(root);
    if (!key) return registry_status::kInvalidHandle;
    for (const std::string_view component : Components(keyPath)) {
        std::size_t index = 0;
        const std::size_t count = SubKeyCount(*key);
        while (index < count && CompareNamesIgnoringCase(SubKeyName(*key, index), component) != 0) {
            ++index;
        }
        if (index == count) return registry_status::kFileNotFound;
        *key += 1 + index;  // a key's subkeys are numbered right after it
    }
    opened = kFirstHandle + *key;
    return registry_status::kSuccess;
}

// Handles only name keys: nothing is held for them.
void JavaRuntimeStore::CloseKey(RegistryKey /*key*/) noexcept {}

RegistryStatus JavaRuntimeStore::EnumKey(RegistryKey key, std::uint32_t index,
                                         std::span<char> name) {
    const std::optional<std::size_t> listed = KeyOf(key);
    if (!listed) return registry_status::kInvalidHandle;
    if (index >= SubKeyCount(*listed)) return registry_status::kNoMoreItems;
    const std::string_view found = SubKeyName(*listed, index);
    if (found.size() >= kSubKeyNameUnits || found.size() >= name.size()) {
        return registry_status::kMoreData;
    }
    std::ranges::copy(found, name.begin());
    name[found.size()] = '\0';
    return registry_status::kSuccess;
}

RegistryStatus JavaRuntimeStore::QueryValue(RegistryKey key, const std::string& valueName,
                                            std::uint32_t& type, std::span<std::uint8_t> data,
                                            std::uint32_t& size) {
    const std::optional<std::size_t> holder = KeyOf(key);
    if (!holder) return registry_status::kInvalidHandle;
    const std::size_t firstVersion = runtimeKeyPath_.size() + 1;
    if (*holder < firstVersion || CompareNamesIgnoringCase(valueName, kJavaHomeValueName) != 0) {
        return registry_status::kFileNotFound;
    }
    // Stored as an installer stores it: the text and its terminator.
    const std::string& folder = runtimes_[*holder - firstVersion].folder;
    type = registry_type::kString;
    size = static_cast<std::uint32_t>(folder.size() + 1);
    if (folder.size() >= data.size()) return registry_status::kMoreData;
    std::ranges::copy(folder, data.begin());
    data[folder.size()] = 0;
    return registry_status::kSuccess;
}

std::unique_ptr<RegistryAccess> RegistryOverStore(
    const std::function<std::unique_ptr<RegistryBackend>()>& buildStore) {
    std::unique_ptr<RegistryAccess> registry;
    const std::optional<RunTimeError> error =
        ErrorRaisedBy([&] { registry = std::make_unique<MRegistry>(buildStore()); });
    if (error) return std::make_unique<UnbuiltRegistry>(*error);
    return registry;
}

}  // namespace pellatone
