/* The floor of the Windows splash benchmark: the least a Win32 program does to show the splash
 * picture. Decodes the GIF it carries as resource 1 (RCDATA) with OLE's picture object, composes
 * the background with Image1, its halftone stretch to 487 x 508, over it into one bitmap, and only
 * then creates a window captioned "Pellatone" with a client area of 487 x 511, centred on the
 * work area, whose WM_PAINT copies that bitmap with one BitBlt. Ends when the window is closed;
 * exits 1 when the picture cannot be shown. */
#include <windows.h>

/* OLE's picture object decodes the GIF, as in the program. */
#include <ole2.h>
#include <olectl.h>
#include <string.h>

enum { kClientWidth = 487, kClientHeight = 511, kImageWidth = 487, kImageHeight = 508 };

static HBITMAP composed;
static int composedWidth;
static int composedHeight;

static IPicture* DecodeResource(void) {
    HRSRC resource = FindResourceW(NULL, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(10) /* RCDATA */);
    HGLOBAL loaded = resource != NULL ? LoadResource(NULL, resource) : NULL;
    const void* bytes = loaded != NULL ? LockResource(loaded) : NULL;
    const DWORD size = resource != NULL ? SizeofResource(NULL, resource) : 0;
    if (bytes == NULL || size == 0) return NULL;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (copy == NULL) return NULL;
    memcpy(GlobalLock(copy), bytes, size);
    GlobalUnlock(copy);
    IStream* stream = NULL;
    IPicture* picture = NULL;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) return NULL;
    if (FAILED(OleLoadPicture(stream, (LONG)size, FALSE, &IID_IPicture, (void**)&picture))) {
        picture = NULL;
    }
    stream->lpVtbl->Release(stream);
    return picture;
}

static int Compose(IPicture* picture) {
    OLE_HANDLE handle = 0;
    BITMAP described;
    if (FAILED(picture->lpVtbl->get_Handle(picture, &handle)) ||
        GetObjectW((HBITMAP)(UINT_PTR)handle, sizeof described, &described) == 0) {
        return 0;
    }
    composedWidth = described.bmWidth > kImageWidth ? described.bmWidth : kImageWidth;
    composedHeight = described.bmHeight > kImageHeight ? described.bmHeight : kImageHeight;
    BITMAPINFO format;
    memset(&format, 0, sizeof format);
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = composedWidth;
    format.bmiHeader.biHeight = composedHeight;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = NULL;
    composed = CreateDIBSection(NULL, &format, DIB_RGB_COLORS, &bits, NULL, 0);
    HDC source = CreateCompatibleDC(NULL);
    HDC target = CreateCompatibleDC(NULL);
    if (composed == NULL || source == NULL || target == NULL) return 0;
    SelectObject(source, (HBITMAP)(UINT_PTR)handle);
    SelectObject(target, composed);
    BitBlt(target, 0, 0, described.bmWidth, described.bmHeight, source, 0, 0, SRCCOPY);
    SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, NULL);
    StretchBlt(target, 0, 0, kImageWidth, kImageHeight, source, 0, 0, described.bmWidth,
               described.bmHeight, SRCCOPY);
    DeleteDC(target);
    DeleteDC(source);
    return 1;
}

static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC target = BeginPaint(window, &paint);
            HDC memory = CreateCompatibleDC(target);
            HGDIOBJ previous = SelectObject(memory, composed);
            BitBlt(target, 0, 0, composedWidth, composedHeight, memory, 0, 0, SRCCOPY);
            SelectObject(memory, previous);
            DeleteDC(memory);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR command, int show) {
    (void)previous;
    (void)command;
    (void)show;
    IPicture* picture = DecodeResource();
    if (picture == NULL || !Compose(picture)) return 1;
    picture->lpVtbl->Release(picture);

    WNDCLASSW windowClass;
    memset(&windowClass, 0, sizeof windowClass);
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(NULL, (LPCWSTR)IDC_ARROW);
    windowClass.lpszClassName = L"FloorSplash";
    if (RegisterClassW(&windowClass) == 0) return 1;
    RECT frame = {0, 0, kClientWidth, kClientHeight};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HWND window = CreateWindowW(L"FloorSplash", L"Pellatone", WS_OVERLAPPEDWINDOW,
                                work.left + (work.right - work.left - width) / 2,
                                work.top + (work.bottom - work.top - height) / 2, width, height,
                                NULL, NULL, instance, NULL);
    if (window == NULL) return 1;
    ShowWindow(window, SW_SHOWDEFAULT);
    UpdateWindow(window);
    MSG message;
    while (GetMessageW(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
