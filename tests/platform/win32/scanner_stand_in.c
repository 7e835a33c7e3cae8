/* Stands in for an on-access virus scanner: each file in the FOLDERs is opened as soon as its
 * writer lets go of it, sharing read access only, and held for 300 ms, over and over, until
 * END-FILE exists. Prints each file it held. The stand-in java's files ("java...") are left alone.
 *
 *   scanner_stand_in END-FILE FOLDER...
 */
#include <stdio.h>
#include <wchar.h>
#include <windows.h>

/* Tries again and again while the file is held, until it is gone. */
static void scan(const wchar_t* path) {
    HANDLE file;
    while ((file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0,
                               NULL)) == INVALID_HANDLE_VALUE &&
           GetLastError() != ERROR_FILE_NOT_FOUND) {
    }
    if (file != INVALID_HANDLE_VALUE) {
        printf("held %ls\n", path);
        fflush(stdout);
        Sleep(300);
        CloseHandle(file);
    }
}

int wmain(int argc, wchar_t** argv) {
    while (GetFileAttributesW(argv[1]) == INVALID_FILE_ATTRIBUTES) {
        for (int folder = 2; folder < argc; ++folder) {
            wchar_t path[MAX_PATH];
            WIN32_FIND_DATAW found;
            swprintf(path, MAX_PATH, L"%ls\\*", argv[folder]);
            const HANDLE listing = FindFirstFileW(path, &found);
            if (listing == INVALID_HANDLE_VALUE) continue;
            do {
                swprintf(path, MAX_PATH, L"%ls\\%ls", argv[folder], found.cFileName);
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
                    wcsncmp(found.cFileName, L"java", 4) != 0) {
                    scan(path);
                }
            } while (FindNextFileW(listing, &found));
            FindClose(listing);
        }
    }
    return 0;
}
