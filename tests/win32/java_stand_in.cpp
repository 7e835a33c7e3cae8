// Stands in for java.exe in the end-to-end tests: records the command line it was given and its
// working folder, in UTF-8, one per line, in java-invocation.txt beside itself.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(),
                        length, nullptr, nullptr);
    return narrow;
}

std::wstring OwnFolder() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(length);
    return path.substr(0, path.rfind(L'\\'));
}

std::wstring CurrentFolder() {
    std::wstring folder(32768, L'\0');
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    folder.resize(length);
    return folder;
}

}  // namespace

int main() {
    const std::string record = Utf8(GetCommandLineW()) + "\n" + Utf8(CurrentFolder()) + "\n";
    // Written under another name and renamed, so the test never reads half a record.
    const std::wstring folder = OwnFolder();
    const std::wstring partial = folder + L"\\java-invocation.partial";
    const std::wstring complete = folder + L"\\java-invocation.txt";
    std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(partial.c_str(), L"wb"), &std::fclose);
    if (!file) return 2;
    const bool written = std::fwrite(record.data(), 1, record.size(), file.get()) == record.size();
    if (std::fclose(file.release()) != 0 || !written) return 3;
    if (MoveFileExW(partial.c_str(), complete.c_str(), MOVEFILE_REPLACE_EXISTING) == 0) return 4;
    return 0;
}
