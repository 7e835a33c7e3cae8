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

}  // namespace detail

using UniqueFd = UniqueResource<int, &detail::CloseFd, -1>;
// A dlopen() handle; closing drops our reference only.
using UniqueLibrary = UniqueResource<void*, &detail::CloseLibrary>;
// posix_spawn's objects may not be copied or moved once initialised: they stay where they were
// made, and the owner holds their address and destroys them there.
using UniqueSpawnFileActions =
    UniqueResource<posix_spawn_file_actions_t*, &posix_spawn_file_actions_destroy>;
using UniqueSpawnAttributes = UniqueResource<posix_spawnattr_t*, &posix_spawnattr_destroy>;

}  // namespace pellatone::posix
