#pragma once

#include <dlfcn.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <utility>

namespace pellatone::posix {

// Owns one handle and gives it back with `Release` when it goes, so no early return or exception
// can leak it. `Release` takes the handle and returns 0 or the errno value of its failure, which
// Close() reports for the callers that must not miss it (a file being written). `None` is the
// value that holds nothing.
template <typename Handle, auto Release, Handle None = Handle{}>
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
    explicit operator bool() const noexcept { return handle_ != None; }

    // Gives up ownership without releasing.
    Handle Detach() noexcept { return std::exchange(handle_, None); }

    void Reset(Handle handle = None) noexcept {
        const Handle old = std::exchange(handle_, handle);
        if (old != None) Release(old);
    }

    // Returns 0, or the errno value of a failed release. The handle is let go either way.
    int Close() noexcept {
        const Handle old = Detach();
        return old == None ? 0 : Release(old);
    }

private:
    Handle handle_ = None;
};

namespace detail {

inline int CloseFd(int fd) noexcept { return ::close(fd) == 0 ? 0 : errno; }

inline int CloseLibrary(void* library) noexcept { return ::dlclose(library); }

template <typename T>
int FreeMemory(T* memory) noexcept {
    std::free(memory);  // NOLINT(cppcoreguidelines-no-malloc): the C library allocated it
    return 0;
}

// posix_spawn's objects may not be copied or moved once initialised, so they live on the heap
// (see process_start.cpp) and the owner holds their address.
inline int DestroySpawnFileActions(posix_spawn_file_actions_t* actions) noexcept {
    const int result = posix_spawn_file_actions_destroy(actions);
    delete actions;  // NOLINT(cppcoreguidelines-owning-memory): allocated with new
    return result;
}

inline int DestroySpawnAttributes(posix_spawnattr_t* attributes) noexcept {
    const int result = posix_spawnattr_destroy(attributes);
    delete attributes;  // NOLINT(cppcoreguidelines-owning-memory): allocated with new
    return result;
}

}  // namespace detail

using UniqueFd = UniqueResource<int, &detail::CloseFd, -1>;
// A dlopen() handle; closing drops our reference only.
using UniqueLibrary = UniqueResource<void*, &detail::CloseLibrary>;
// Memory the C library allocated with malloc() and left to us to free.
template <typename T>
using UniqueMallocPointer = UniqueResource<T*, &detail::FreeMemory<T>>;
using UniqueSpawnFileActions =
    UniqueResource<posix_spawn_file_actions_t*, &detail::DestroySpawnFileActions>;
using UniqueSpawnAttributes = UniqueResource<posix_spawnattr_t*, &detail::DestroySpawnAttributes>;

}  // namespace pellatone::posix
