#include "platform/win32/splash_picture.h"

// OLE's picture object reads the GIF: oleaut32 is one of the DLLs Windows only ever takes from
// System32, which GDI+ is not. The lean Windows headers leave OLE out.
#include <ole2.h>
#include <olectl.h>
#include <shlwapi.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/win32/system_error.h"

namespace pellatone::win32 {

namespace {

RunTimeError PictureError(const std::string& what) {
    return {error_number::kSystemError, "The splash picture could not be " + what};
}

// A 32-bit device-independent bitmap, the form GDI draws from without looking up any palette;
// null when GDI has no room for it.
UniqueBitmap NewDrawingBitmap(int width, int height) {
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* pixels = nullptr;
    return UniqueBitmap(::CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &pixels, nullptr, 0));
}

// The picture object owns the bitmap it decoded, so the window gets a copy of its own.
UniqueBitmap CopyToOwnBitmap(HBITMAP decoded, int width, int height) {
    UniqueBitmap copy = NewDrawingBitmap(width, height);
    const UniqueMemoryDeviceContext source(::CreateCompatibleDC(nullptr));
    const UniqueMemoryDeviceContext target(::CreateCompatibleDC(nullptr));
    if (!copy || !source || !target) throw PictureError("converted for drawing");
    HGDIOBJ previousSource = ::SelectObject(source.Get(), decoded);
    HGDIOBJ previousTarget = ::SelectObject(target.Get(), copy.Get());
    const BOOL copied = ::BitBlt(target.Get(), 0, 0, width, height, source.Get(), 0, 0, SRCCOPY);
    ::SelectObject(target.Get(), previousTarget);
    ::SelectObject(source.Get(), previousSource);
    if (copied == 0) throw PictureError("converted for drawing");
    return copy;
}

}  // namespace

Picture DecodePicture(std::span<const std::byte> encoded) {
    if (encoded.empty() || encoded.size() > MAXLONG) throw PictureError("read: no data");
    const UniqueComPointer<IStream> stream(::SHCreateMemStream(
        reinterpret_cast<const BYTE*>(encoded.data()), static_cast<UINT>(encoded.size())));
    if (!stream) throw PictureError("read: out of memory");

    UniqueComPointer<IPicture> loaded;
    if (FAILED(::OleLoadPicture(stream.Get(), static_cast<LONG>(encoded.size()), FALSE,
                                IID_IPicture, reinterpret_cast<void**>(loaded.Receive()))) ||
        !loaded) {
        throw PictureError("decoded");
    }
    SHORT type = PICTYPE_UNINITIALIZED;
    OLE_HANDLE handle = 0;
    if (FAILED(loaded.Get()->get_Type(&type)) || type != PICTYPE_BITMAP ||
        FAILED(loaded.Get()->get_Handle(&handle)) || handle == 0) {
        throw PictureError("decoded: it is no still picture");
    }
    // OLE hands GDI handles over as 32-bit numbers.
    // NOLINTNEXTLINE(performance-no-int-to-ptr)
    auto* const decoded = reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
    BITMAP described{};
    if (::GetObjectW(decoded, sizeof(described), &described) == 0 || described.bmWidth <= 0 ||
        described.bmHeight <= 0) {
        throw PictureError("decoded: it has no size");
    }
    return {CopyToOwnBitmap(decoded, described.bmWidth, described.bmHeight), described.bmWidth,
            described.bmHeight};
}

Picture ComposeSplashPicture(const Picture& background, SIZE image1) {
    const int width = std::max(background.width, static_cast<int>(image1.cx));
    const int height = std::max(background.height, static_cast<int>(image1.cy));
    UniqueBitmap composed = NewDrawingBitmap(width, height);
    const UniqueMemoryDeviceContext source(::CreateCompatibleDC(nullptr));
    const UniqueMemoryDeviceContext target(::CreateCompatibleDC(nullptr));
    if (!composed || !source || !target) throw PictureError("composed");
    HGDIOBJ previousSource = ::SelectObject(source.Get(), background.bitmap.Get());
    HGDIOBJ previousTarget = ::SelectObject(target.Get(), composed.Get());
    const RECT all{0, 0, width, height};
    ::FillRect(target.Get(), &all, ::GetSysColorBrush(COLOR_BTNFACE));
    bool drawn = ::BitBlt(target.Get(), 0, 0, background.width, background.height, source.Get(), 0,
                          0, SRCCOPY) != 0;
    // Halftone averages the rows it squeezes together instead of dropping some of them.
    ::SetStretchBltMode(target.Get(), HALFTONE);
    ::SetBrushOrgEx(target.Get(), 0, 0, nullptr);
    drawn = drawn && ::StretchBlt(target.Get(), 0, 0, image1.cx, image1.cy, source.Get(), 0, 0,
                                  background.width, background.height, SRCCOPY) != 0;
    ::SelectObject(target.Get(), previousTarget);
    ::SelectObject(source.Get(), previousSource);
    if (!drawn) throw PictureError("composed");
    return {std::move(composed), width, height};
}

std::span<const std::byte> ProgramResourceData(int resourceId) {
    HMODULE program = ::GetModuleHandleW(nullptr);
    HRSRC resource = ::FindResourceW(program, MAKEINTRESOURCEW(resourceId), RT_RCDATA);
    if (resource == nullptr) throw LastError();
    const DWORD size = ::SizeofResource(program, resource);
    HGLOBAL loaded = ::LoadResource(program, resource);
    if (loaded == nullptr) throw LastError();
    const void* data = ::LockResource(loaded);
    if (data == nullptr || size == 0) {
        throw RunTimeError(error_number::kSystemError,
                           "The program's resource " + std::to_string(resourceId) + " is empty");
    }
    return {static_cast<const std::byte*>(data), size};
}

}  // namespace pellatone::win32
