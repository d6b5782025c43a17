// An allocator for large buffers: hash tables of millions of entries and the
// lists and coefficient vectors that grow beside them.
//
// - Blocks of 2 MiB or more are 2 MiB aligned and advised to be huge pages.
//   Tables probed at random addresses then rarely miss the TLB, and a buffer
//   written from end to end takes one page fault per 2 MiB.
// - Freed large blocks are kept for reuse, up to a bound (BlockCache). The
//   kernel zeroes every page a process touches for the first time; for a
//   product of two large operators that zeroing costs as much as a fifth of
//   the work, and a loop of such products would pay it on every call. Kept
//   blocks are marked free for the kernel (MADV_FREE), so under memory
//   pressure it reclaims them instead of swapping.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <mutex>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace vemo {

inline constexpr std::size_t huge_page_bytes = std::size_t{1} << 21;

// Freed blocks of whole huge pages, kept for the next large allocation.
// Process-wide and thread-safe. A block is handed out again only for a
// request of at least half its size, so little of it lies idle; the oldest
// blocks go first when the kept bytes would pass the bound.
class BlockCache {
public:
    static constexpr std::size_t max_blocks = 8;
    static constexpr std::size_t max_bytes = std::size_t{256} << 20;

    static BlockCache& instance() {
        // Never destroyed: buffers freed during the process's exit still
        // find it alive.
        static BlockCache* const cache = new BlockCache;
        return *cache;
    }

    // A kept block of at least `bytes` (a multiple of the huge page), or null.
    void* take(std::size_t bytes) noexcept {
        std::lock_guard lock(mutex_);
        std::size_t best = n_;
        for (std::size_t k = 0; k < n_; ++k)
            if (blocks_[k].bytes >= bytes && blocks_[k].bytes / 2 <= bytes &&
                (best == n_ || blocks_[k].bytes < blocks_[best].bytes))
                best = k;
        if (best == n_) return nullptr;
        void* p = blocks_[best].p;
        kept_ -= blocks_[best].bytes;
        remove(best);
        return p;
    }

    // Keeps a block of `bytes` (its usable size, a multiple of the huge page)
    // or frees it.
    void give(void* p, std::size_t bytes) noexcept {
        if (bytes > max_bytes) return std::free(p);
#if defined(MADV_FREE)
        madvise(p, bytes, MADV_FREE);
#endif
        std::lock_guard lock(mutex_);
        while (n_ > 0 && (n_ == max_blocks || kept_ + bytes > max_bytes)) {
            std::free(blocks_[0].p);
            kept_ -= blocks_[0].bytes;
            remove(0);
        }
        blocks_[n_++] = {p, bytes};
        kept_ += bytes;
    }

    // Frees every kept block (for tests and for callers short of memory).
    void release() noexcept {
        std::lock_guard lock(mutex_);
        for (std::size_t k = 0; k < n_; ++k) std::free(blocks_[k].p);
        n_ = 0;
        kept_ = 0;
    }

    std::size_t kept_bytes() const noexcept {
        std::lock_guard lock(mutex_);
        return kept_;
    }

private:
    struct Block {
        void* p = nullptr;
        std::size_t bytes = 0;
    };

    void remove(std::size_t k) noexcept {
        for (std::size_t m = k + 1; m < n_; ++m) blocks_[m - 1] = blocks_[m];
        --n_;
    }

    mutable std::mutex mutex_;
    std::array<Block, max_blocks> blocks_{};
    std::size_t n_ = 0;
    std::size_t kept_ = 0;
};

// The live blocks of whole huge pages that HugePageAllocator handed out, by
// start address: lets a reader that found a block by its own reasoning check
// that what it reads lies inside it. Process-wide and thread-safe; touched
// only by allocations of 2 MiB or more.
class HugeBlocks {
public:
    static HugeBlocks& instance() {
        static HugeBlocks* const blocks = new HugeBlocks;  // never destroyed, as BlockCache
        return *blocks;
    }
    void add(const void* p, std::size_t bytes) {
        std::lock_guard lock(mutex_);
        blocks_.push_back({reinterpret_cast<uintptr_t>(p), bytes});
    }
    void remove(const void* p) noexcept {
        std::lock_guard lock(mutex_);
        for (std::size_t k = 0; k < blocks_.size(); ++k)
            if (blocks_[k].first == reinterpret_cast<uintptr_t>(p)) {
                blocks_[k] = blocks_.back();
                blocks_.pop_back();
                return;
            }
    }
    // The usable bytes of the live block starting at p; 0 for any other address.
    std::size_t size_of(uintptr_t p) const noexcept {
        std::lock_guard lock(mutex_);
        for (const auto& [start, bytes] : blocks_)
            if (start == p) return bytes;
        return 0;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<uintptr_t, std::size_t>> blocks_;
};

template <class T>
struct HugePageAllocator {
    using value_type = T;
    static constexpr std::size_t huge = huge_page_bytes;

    HugePageAllocator() = default;
    template <class U>
    HugePageAllocator(const HugePageAllocator<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_alloc();
        const std::size_t bytes = n * sizeof(T);
        if (bytes < huge) return static_cast<T*>(::operator new(bytes, std::align_val_t{alignof(T)}));
        if (bytes > std::numeric_limits<std::size_t>::max() - huge) throw std::bad_alloc();
        const std::size_t rounded = (bytes + huge - 1) & ~(huge - 1);
        void* p = BlockCache::instance().take(rounded);
        if (!p) {
            p = std::aligned_alloc(huge, rounded);
            if (!p) throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
            madvise(p, rounded, MADV_HUGEPAGE);  // advice only: failure leaves ordinary pages
#endif
        }
        try {
            HugeBlocks::instance().add(p, rounded);
        } catch (...) {
            BlockCache::instance().give(p, rounded);
            throw;
        }
        return static_cast<T*>(p);
    }

    void deallocate(T* p, std::size_t n) noexcept {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < huge) return ::operator delete(p, std::align_val_t{alignof(T)});
        // A reused block may be larger than n elements: it is kept under the
        // size asked for, which it certainly has.
        HugeBlocks::instance().remove(p);
        BlockCache::instance().give(p, (bytes + huge - 1) & ~(huge - 1));
    }

    template <class U>
    bool operator==(const HugePageAllocator<U>&) const noexcept {
        return true;
    }
};

// A vector whose large buffers come from HugePageAllocator.
template <class T>
using LargeVec = std::vector<T, HugePageAllocator<T>>;

// HugePageAllocator whose vectors leave the elements that resize(n) adds
// unwritten: for output buffers that several threads fill, each thread
// touching its own pages first. Only for trivial types every element of
// which is written before it is read.
template <class T>
struct UninitHugePageAllocator : HugePageAllocator<T> {
    template <class U>
    struct rebind {
        using other = UninitHugePageAllocator<U>;
    };

    UninitHugePageAllocator() = default;
    template <class U>
    UninitHugePageAllocator(const UninitHugePageAllocator<U>&) noexcept {}

    template <class U>
    void construct(U*) noexcept {
        static_assert(std::is_trivially_copyable_v<U> && std::is_trivially_destructible_v<U>);
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

template <class T>
using LargeBuf = std::vector<T, UninitHugePageAllocator<T>>;

}  // namespace vemo
