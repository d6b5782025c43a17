// An allocator that asks the kernel to back large blocks with huge pages.
// Hash tables of millions of entries are probed at random addresses; with 4 KiB
// pages nearly every probe also misses the TLB, which huge pages avoid.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <limits>
#include <new>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vemo {

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
