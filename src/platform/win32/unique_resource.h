#pragma once

#include <windows.h>

#include "platform/unique_resource.h"

namespace pellatone::win32 {

// Every kind of handle the Windows code owns is an alias of the one owner template; null means
// none.
template <typename Handle, auto Release>
using UniqueResource = pellatone::UniqueResource<Handle, Release>;

namespace detail {
inline void CloseKernelHandle(HANDLE handle) noexcept { ::CloseHandle(handle); }
inline void DeleteBitmap(HBITMAP bitmap) noexcept { ::DeleteObject(bitmap); }
inline void DestroyIconHandle(HICON icon) noexcept { ::DestroyIcon(icon); }
inline void DestroyWindowHandle(HWND window) noexcept { ::DestroyWindow(window); }
inline void DeleteDeviceContext(HDC context) noexcept { ::DeleteDC(context); }
inline void CloseRegistryKey(HKEY key) noexcept { ::RegCloseKey(key); }
inline void FreeLocalMemory(wchar_t* text) noexcept { ::LocalFree(text); }
template <typename Interface>
void ReleaseComObject(Interface* object) noexcept {
    object->Release();
}
}  // namespace detail

// Process and thread handles and the like; null means none (not INVALID_HANDLE_VALUE).
using UniqueKernelHandle = UniqueResource<HANDLE, &detail::CloseKernelHandle>;
using UniqueBitmap = UniqueResource<HBITMAP, &detail::DeleteBitmap>;
using UniqueIcon = UniqueResource<HICON, &detail::DestroyIconHandle>;
using UniqueWindow = UniqueResource<HWND, &detail::DestroyWindowHandle>;
// A memory device context from CreateCompatibleDC.
using UniqueMemoryDeviceContext = UniqueResource<HDC, &detail::DeleteDeviceContext>;
// An opened registry key; the predefined roots are never owned.
using UniqueRegistryKey = UniqueResource<HKEY, &detail::CloseRegistryKey>;
// Text that the system allocated with LocalAlloc, such as FormatMessageW's.
using UniqueLocalText = UniqueResource<wchar_t*, &detail::FreeLocalMemory>;

// A COM interface pointer released when it goes.
template <typename Interface>
using UniqueComPointer = UniqueResource<Interface*, &detail::ReleaseComObject<Interface>>;

}  // namespace pellatone::win32
