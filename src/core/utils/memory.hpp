// How much memory the machine has: the bound beyond which a buffer cannot be
// held, checked before allocating where an allocation could otherwise be
// granted (overcommitted) and fail only when its pages are first written.
#pragma once

#include <cstdint>

#include <unistd.h>

#include "core/base/checked.hpp"

namespace vemo {

// Bytes of physical memory; UINT64_MAX when the system does not say.
inline uint64_t physical_memory_bytes() {
    const long pages = sysconf(_SC_PHYS_PAGES), page = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || page <= 0) return UINT64_MAX;
    return saturating_mul(static_cast<uint64_t>(pages), static_cast<uint64_t>(page));
}

}  // namespace vemo
