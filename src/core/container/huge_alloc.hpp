// An allocator that asks the kernel to back large blocks with huge pages.
// Hash tables of millions of entries are probed at random addresses; with 4 KiB
// pages nearly every probe also misses the TLB, which huge pages avoid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vemo {

// Advice that the whole 2 MiB pages within [p, p + bytes) be huge pages. A
// large buffer written from end to end then takes one page fault per 2 MiB
// rather than one per 4 KiB (the faults dominate such a write otherwise).
// Advice only: nothing changes if the system declines.
inline void advise_huge_pages([[maybe_unused]] const void* p, [[maybe_unused]] std::size_t bytes) noexcept {
#if defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t huge = std::uintptr_t{1} << 21;
    if (bytes < 2 * huge) return;
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(p);
    if (begin > UINTPTR_MAX - bytes) return;
    const std::uintptr_t first = (begin + huge - 1) & ~(huge - 1);
    const std::uintptr_t last = (begin + bytes) & ~(huge - 1);
    if (last > first) madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}

template <class T>
struct HugePageAllocator {
    using value_type = T;
    static constexpr std::size_t huge = std::size_t{1} << 21;

    HugePageAllocator() = default;
    template <class U>
    HugePageAllocator(const HugePageAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_alloc();
        const std::size_t bytes = n * sizeof(T);
        if (bytes < huge) return static_cast<T*>(::operator new(bytes, std::align_val_t{alignof(T)}));
        if (bytes > std::numeric_limits<std::size_t>::max() - huge) throw std::bad_alloc();
        const std::size_t rounded = (bytes + huge - 1) & ~(huge - 1);
        void* p = std::aligned_alloc(huge, rounded);
        if (!p) throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
        madvise(p, rounded, MADV_HUGEPAGE);  // advice only: failure leaves ordinary pages
#endif
        return static_cast<T*>(p);
    }

    void deallocate(T* p, std::size_t n) noexcept {
        if (n * sizeof(T) < huge) ::operator delete(p, std::align_val_t{alignof(T)});
        else std::free(p);
    }

    template <class U>
    bool operator==(const HugePageAllocator<U>&) const noexcept {
        return true;
    }
};

}  // namespace vemo
