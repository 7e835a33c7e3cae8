// Test helper that runs under Wine beside the program: waits for the program's message boxes (top-
// level dialogs of class #32770 of a process running pellatone.exe, whatever their caption),
// records each in the order they appear and dismisses it.
//
//   message_box_clicker.exe RECORD_FILE BOX_COUNT TIMEOUT_SECONDS
//
// Each box becomes one line of RECORD_FILE (UTF-8): its caption, its buttons (the visible ones by
// their ids, such as "OK" or "OK,Cancel"), "icon" or "no icon" and its text, separated by tabs.
// Backslash, tab, CR and LF are written as \\, \t, \r and \n so that a line holds exactly one
// box. A box is dismissed with OK, or with its first button when it has none. The file is
// rewritten after every box. Exits
// 0 once BOX_COUNT boxes were answered, 1 when the time ran out first, 2 on bad arguments or when
// the record cannot be written. A BOX_COUNT of 0 answers every box until the time is up, then
// exits 0: the record then tells how many came, none included.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/win32/unique_resource.h"
#include "platform/win32/wide_text.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kProgramName[] = L"pellatone.exe";
// The icon control of a message box: Windows gives it this id, Wine stc1.
constexpr int kWindowsIconId = 20;

std::string Escaped(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
            case '\\':
                escaped += "\\\\";
                break;
            case '\t':
                escaped += "\\t";
                break;
            case '\r':
                escaped += "\\r";
                break;
            case '\n':
                escaped += "\\n";
                break;
            default:
                escaped += c;
        }
    }
    return escaped;
}

std::wstring TextOf(HWND window) {
    // WM_GETTEXT is carried across processes, unlike GetWindowTextW on another process's
    // control.
    DWORD_PTR length = 0;
    if (SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length) == 0) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 5000, &copied);
    text.resize(static_cast<std::size_t>(copied));
    return text;
}

std::wstring ClassOf(HWND window) {
    std::wstring name(256, L'\0');
    const int length = GetClassNameW(window, name.data(), static_cast<int>(name.size()));
    name.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return name;
}

bool IsStatic(HWND control) { return _wcsicmp(ClassOf(control).c_str(), L"Static") == 0; }

// The message text: the box's static control that is not its icon.
std::wstring MessageTextOf(HWND box) {
    std::wstring found;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsStatic(child)) continue;
        const LONG_PTR style = GetWindowLongPtrW(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) continue;
        found = TextOf(child);
        if (!found.empty()) break;
    }
    return found;
}

// Whether the box shows an icon: a visible icon control that holds one.
bool HasIcon(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsStatic(child) || IsWindowVisible(child) == 0) continue;
        const bool iconControl = (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON ||
                                 GetDlgCtrlID(child) == kWindowsIconId;
        DWORD_PTR icon = 0;
        if (iconControl &&
            SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon) != 0 &&
            icon != 0) {
            return true;
        }
    }
    return false;
}

// The ids of the box's visible buttons, in their order.
std::vector<int> ButtonsOf(HWND box) {
    std::vector<int> ids;
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (_wcsicmp(ClassOf(child).c_str(), L"Button") == 0 && IsWindowVisible(child) != 0) {
            ids.push_back(GetDlgCtrlID(child));
        }
    }
    return ids;
}

std::string ButtonName(int id) {
    switch (id) {
        case IDOK:
            return "OK";
        case IDCANCEL:
            return "Cancel";
        case IDABORT:
            return "Abort";
        case IDRETRY:
            return "Retry";
        case IDIGNORE:
            return "Ignore";
        case IDYES:
            return "Yes";
        case IDNO:
            return "No";
        case IDHELP:
            return "Help";
        case IDTRYAGAIN:
            return "Try Again";
        case IDCONTINUE:
            return "Continue";
        default:
            return "button " + std::to_string(id);
    }
}

bool OfTheProgram(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    const pellatone::win32::UniqueKernelHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process) return false;
    std::wstring image(MAX_PATH, L'\0');
    auto size = static_cast<DWORD>(image.size());
    if (QueryFullProcessImageNameW(process.Get(), 0, image.data(), &size) == 0) return false;
    image.resize(size);
    const std::size_t slash = image.find_last_of(L"\\/");
    return _wcsicmp(image.c_str() + (slash == std::wstring::npos ? 0 : slash + 1), kProgramName) ==
           0;
}

HWND FindOpenBox() {
    HWND box = nullptr;
    while ((box = FindWindowExW(nullptr, box, kDialogClass, nullptr)) != nullptr) {
        if (IsWindowVisible(box) != 0 && OfTheProgram(box)) return box;
    }
    return nullptr;
}

// The box's record line: caption, buttons, icon and text.
std::string RecordOf(HWND box, const std::vector<int>& buttons) {
    std::string names;
    for (const int id : buttons) {
        if (!names.empty()) names += ',';
        names += ButtonName(id);
    }
    using pellatone::win32::Utf8FromWide;
    return Escaped(Utf8FromWide(TextOf(box))) + "\t" + (names.empty() ? "none" : names) + "\t" +
           (HasIcon(box) ? "icon" : "no icon") + "\t" + Escaped(Utf8FromWide(MessageTextOf(box)));
}

bool WriteRecord(const std::wstring& path, const std::vector<std::string>& lines) {
    std::unique_ptr<FILE, int (*)(FILE*)> file(_wfopen(path.c_str(), L"wb"), &std::fclose);
    if (!file) return false;
    for (const std::string& line : lines) {
        const std::string text = line + "\n";
        if (std::fwrite(text.data(), 1, text.size(), file.get()) != text.size()) return false;
    }
    return std::fclose(file.release()) == 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fputs("usage: message_box_clicker RECORD_FILE BOX_COUNT TIMEOUT_SECONDS\n", stderr);
        return 2;
    }
    const std::wstring recordPath = argv[1];
    const long wanted = std::wcstol(argv[2], nullptr, 10);
    if (wanted < 0) return 2;
    const auto deadline = Clock::now() + std::chrono::seconds(std::wcstol(argv[3], nullptr, 10));
    std::vector<std::string> records;
    if (!WriteRecord(recordPath, records)) return 2;

    const bool untilTimeout = wanted == 0;
    while (untilTimeout || static_cast<long>(records.size()) < wanted) {
        if (Clock::now() >= deadline) return untilTimeout ? 0 : 1;
        const HWND box = FindOpenBox();
        if (box == nullptr) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        const std::vector<int> buttons = ButtonsOf(box);
        records.push_back(RecordOf(box, buttons));
        if (!WriteRecord(recordPath, records)) return 2;
        bool hasOk = false;
        for (const int id : buttons) hasOk = hasOk || id == IDOK;
        const int press = hasOk || buttons.empty() ? IDOK : buttons.front();
        PostMessageW(box, WM_COMMAND, MAKEWPARAM(press, BN_CLICKED), 0);
        // The next box may only be taken for a new one once this one is gone.
        while (IsWindow(box) != 0) {
            if (Clock::now() >= deadline) return untilTimeout ? 0 : 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    return 0;
}
