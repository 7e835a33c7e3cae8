#pragma once

#include <type_traits>
#include <utility>

namespace pellatone {

// Owns one handle and gives it back with `Release` when it goes, so no early return or exception
// can leak it; each platform's handle kinds are aliases of it. `Release` is a plain function
// taking the handle; one that returns a number returns 0 or the system's error number, which
// Close() passes on for the callers that must not miss it (a file being written). `Empty` is the
// value that holds nothing.
template <typename Handle, auto Release, Handle Empty = Handle{}>
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
    explicit operator bool() const noexcept { return handle_ != Empty; }

    // Gives up ownership without releasing.
    Handle Detach() noexcept { return std::exchange(handle_, Empty); }

    void Reset(Handle handle = Empty) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (old != Empty) Release(old);
    }

    // For calls that hand a new handle out through a pointer: whatever was owned goes first.
    [[nodiscard]] Handle* Receive() noexcept {
        Reset();
        return &handle_;
    }

    // Returns 0, or the error number of a failed release. The handle is let go either way.
    int Close() noexcept {
        const Handle old = Detach();
        if (old == Empty) return 0;
        if constexpr (std::is_void_v<decltype(Release(old))>) {
            Release(old);
            return 0;
        } else {
            return Release(old);
        }
    }

private:
    Handle handle_ = Empty;
};

}  // namespace pellatone
