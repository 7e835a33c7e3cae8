#pragma once

#include <windows.h>

#include <utility>

namespace pellatone::win32 {

// Owns one handle and gives it back with `Release` when it goes, so no early return or exception
// can leak it. `Release` is a plain function taking the handle. Every kind of handle the Windows
// code owns is an alias of this one template.
template <typename Handle, auto Release>
class UniqueResource {
public:
    UniqueResource() = default;
    explicit UniqueResource(Handle handle) noexcept : handle_(handle) {}
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : handle_(other.Detach()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other) Reset(other.Detach());
        return *this;
    }
    ~UniqueResource() { Reset(); }

    [[nodiscard]] Handle Get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Handle{}; }

    // Gives up ownership without releasing.
    Handle Detach() noexcept { return std::exchange(handle_, Handle{}); }

    void Reset(Handle handle = Handle{}) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (old != Handle{}) Release(old);
    }

    // For calls that hand a new handle out through a pointer: whatever was owned goes first.
    [[nodiscard]] Handle* Receive() noexcept {
        Reset();
        return &handle_;
    }

private:
    Handle handle_{};
};

namespace detail {
inline void CloseKernelHandle(HANDLE handle) noexcept { ::CloseHandle(handle); }
inline void DeleteBitmap(HBITMAP bitmap) noexcept { ::DeleteObject(bitmap); }
inline void DestroyIconHandle(HICON icon) noexcept { ::DestroyIcon(icon); }
inline void DestroyWindowHandle(HWND window) noexcept { ::DestroyWindow(window); }
inline void CloseFindHandle(HANDLE search) noexcept { ::FindClose(search); }
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
// A folder listing from FindFirstFileW, once it is known to have succeeded.
using UniqueFindHandle = UniqueResource<HANDLE, &detail::CloseFindHandle>;
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
