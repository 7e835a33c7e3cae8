#include "platform/win32/splash_picture.h"

// GDI+ needs IStream, which the lean Windows headers leave out.
#include <objidl.h>
#include <shlwapi.h>

#include <gdiplus.h>

#include <string>

#include "platform/win32/system_error.h"

namespace pellatone::win32 {

namespace {

namespace gdiplus = Gdiplus::DllExports;

RunTimeError PictureError(const std::string& what) {
    return {kSystemErrorNumber, "The splash picture could not be " + what};
}

void ShutDownGdiplus(ULONG_PTR token) noexcept { Gdiplus::GdiplusShutdown(token); }
void DisposeBitmap(Gdiplus::GpBitmap* bitmap) noexcept { gdiplus::GdipDisposeImage(bitmap); }

// GDI+ runs from its start to the shutdown its token is given back to.
using UniqueGdiplusToken = UniqueResource<ULONG_PTR, &ShutDownGdiplus>;
using UniqueGdiplusBitmap = UniqueResource<Gdiplus::GpBitmap*, &DisposeBitmap>;

// GDI+ is started for one decoding and shut down again.
UniqueGdiplusToken StartGdiplus() {
    const Gdiplus::GdiplusStartupInput input;
    UniqueGdiplusToken token;
    if (Gdiplus::GdiplusStartup(token.Receive(), &input, nullptr) != Gdiplus::Ok) {
        throw PictureError("decoded: GDI+ did not start");
    }
    return token;
}

}  // namespace

Picture DecodePicture(std::span<const std::byte> encoded) {
    if (encoded.empty() || encoded.size() > MAXDWORD) throw PictureError("read: no data");
    const UniqueComPointer<IStream> stream(::SHCreateMemStream(
        reinterpret_cast<const BYTE*>(encoded.data()), static_cast<UINT>(encoded.size())));
    if (!stream) throw PictureError("read: out of memory");

    const UniqueGdiplusToken session = StartGdiplus();
    UniqueGdiplusBitmap decoded;
    if (gdiplus::GdipCreateBitmapFromStream(stream.Get(), decoded.Receive()) != Gdiplus::Ok ||
        !decoded) {
        throw PictureError("decoded");
    }
    UINT width = 0;
    UINT height = 0;
    gdiplus::GdipGetImageWidth(decoded.Get(), &width);
    gdiplus::GdipGetImageHeight(decoded.Get(), &height);

    HBITMAP bitmap = nullptr;
    // The picture has no transparent colour; black behind it only matters if one appears.
    const Gdiplus::ARGB background = 0xFF000000;
    if (gdiplus::GdipCreateHBITMAPFromBitmap(decoded.Get(), &bitmap, background) != Gdiplus::Ok ||
        bitmap == nullptr) {
        throw PictureError("converted for drawing");
    }
    return {UniqueBitmap(bitmap), static_cast<int>(width), static_cast<int>(height)};
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
        throw RunTimeError(kSystemErrorNumber,
                           "The program's resource " + std::to_string(resourceId) + " is empty");
    }
    return {static_cast<const std::byte*>(data), size};
}

}  // namespace pellatone::win32
