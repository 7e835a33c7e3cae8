#pragma once

#include <dlfcn.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/unique_resource.h"

namespace pellatone::posix {

// The owners of the POSIX handle kinds.
namespace detail {

inline int CloseFd(int fd) noexcept { return ::close(fd) == 0 ? 0 : errno; }

inline int CloseLibrary(void* library) noexcept { return ::dlclose(library); }

template <typename T>
int FreeMemory(T* memory) noexcept {
    std::free(memory);  // NOLINT(cppcoreguidelines-no-malloc): the C library allocated it
    return 0;
}

// posix_spawn's objects may not be copied or moved once initialised, so they live on the heap
// (see NewSpawnObject in process_start.cpp) and the owner holds their address.
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
