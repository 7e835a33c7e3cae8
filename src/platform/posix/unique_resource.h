#pragma once

#include <dlfcn.h>
#include <spawn.h>
#include <unistd.h>

#include <cerrno>

#include "platform/unique_resource.h"

namespace pellatone::posix {

// The owners of the POSIX handle kinds.
namespace detail {

inline int CloseFd(int fd) noexcept { return ::close(fd) == 0 ? 0 : errno; }

// Nothing to report: the module stays mapped (RTLD_NODELETE) and no caller could act on it.
inline void CloseLibrary(void* library) noexcept { ::dlclose(library); }

// posix_spawn's objects may not be copied or moved once initialised, so they live on the heap
// (see NewSpawnObject in process_start.cpp) and the owner holds their address.
template <typename Object, int (*Destroy)(Object*)>
int DestroyAndDelete(Object* object) noexcept {
    const int result = Destroy(object);
    delete object;  // NOLINT(cppcoreguidelines-owning-memory): allocated with new
    return result;
}

}  // namespace detail

using UniqueFd = UniqueResource<int, &detail::CloseFd, -1>;
// A dlopen() handle; closing drops our reference only.
using UniqueLibrary = UniqueResource<void*, &detail::CloseLibrary>;
using UniqueSpawnFileActions = UniqueResource<
    posix_spawn_file_actions_t*,
    &detail::DestroyAndDelete<posix_spawn_file_actions_t, &posix_spawn_file_actions_destroy>>;
using UniqueSpawnAttributes =
    UniqueResource<posix_spawnattr_t*,
                   &detail::DestroyAndDelete<posix_spawnattr_t, &posix_spawnattr_destroy>>;

}  // namespace pellatone::posix
