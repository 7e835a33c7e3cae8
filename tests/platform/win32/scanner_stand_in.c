/* Stands in for an on-access virus scanner: each file that appears in the FOLDERs is opened as
 * soon as its writer lets go of it, sharing read access only, and held for 300 ms. Prints "ready"
 * once it knows what was there before, then each file it held; ends when END-FILE exists. The
 * stand-in java's own records ("java-...") are left alone.
 *
 *   scanner_stand_in END-FILE FOLDER...
 */
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

static wchar_t seen[512][MAX_PATH];
static int seen_count;

static int was_seen(const wchar_t* path) {
    for (int index = 0; index < seen_count; ++index) {
        if (wcscmp(seen[index], path) == 0) return 1;
    }
    return 0;
}

/* Tries again and again while the file is held by its writer, for up to 5 s, or until it goes. */
static void scan(const wchar_t* path) {
    const DWORD started = GetTickCount();
    HANDLE file;
    while ((file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                               NULL)) == INVALID_HANDLE_VALUE &&
           GetLastError() != ERROR_FILE_NOT_FOUND && GetTickCount() - started < 5000) {
    }
    if (file != INVALID_HANDLE_VALUE) {
        printf("held %ls\n", path);
        fflush(stdout);
        Sleep(300);
        CloseHandle(file);
    }
}

int wmain(int argc, wchar_t** argv) {
    for (int pass = 0; GetFileAttributesW(argv[1]) == INVALID_FILE_ATTRIBUTES; ++pass) {
        for (int folder = 2; folder < argc; ++folder) {
            wchar_t path[MAX_PATH];
            WIN32_FIND_DATAW found;
            swprintf(path, MAX_PATH, L"%ls\\*", argv[folder]);
            const HANDLE listing = FindFirstFileW(path, &found);
            if (listing == INVALID_HANDLE_VALUE) continue;
            do {
                swprintf(path, MAX_PATH, L"%ls\\%ls", argv[folder], found.cFileName);
                if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || was_seen(path) ||
                    wcsncmp(found.cFileName, L"java-", 5) == 0 || seen_count == 512) {
                    continue;
                }
                if (pass > 0) scan(path);
                wcscpy(seen[seen_count++], path);
            } while (FindNextFileW(listing, &found));
            FindClose(listing);
        }
        if (pass == 0) {
            puts("ready");
            fflush(stdout);
        }
    }
    return 0;
}
