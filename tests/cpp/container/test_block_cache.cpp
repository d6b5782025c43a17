// Freed large blocks are kept and handed out again: for a request of at least
// half their size, smallest fit first, within the count and byte bounds
// (oldest out first); vector buffers reuse them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <numeric>
#include <vector>

#include "core/container/huge_alloc.hpp"

using namespace vemo;

namespace {

constexpr std::size_t MiB = std::size_t{1} << 20;

void* block(std::size_t bytes) {
    void* p = std::aligned_alloc(huge_page_bytes, bytes);
    EXPECT_NE(p, nullptr);
    return p;
}

}  // namespace

TEST(BlockCache, HandsOutTheSmallestFitOfAtLeastHalfTheRequest) {
    BlockCache& c = BlockCache::instance();
    c.release();
    void* b8 = block(8 * MiB);
    void* b4 = block(4 * MiB);
    c.give(b8, 8 * MiB);
    c.give(b4, 4 * MiB);
    EXPECT_EQ(c.kept_bytes(), 12 * MiB);
    EXPECT_EQ(c.take(2 * MiB), b4);        // 4 MiB fits a 2 MiB request
    EXPECT_EQ(c.take(2 * MiB), nullptr);   // 8 MiB is more than twice 2 MiB
    EXPECT_EQ(c.take(10 * MiB), nullptr);  // too small
    EXPECT_EQ(c.take(6 * MiB), b8);
    EXPECT_EQ(c.kept_bytes(), 0u);
    std::free(b4);
    std::free(b8);
}

TEST(BlockCache, BoundsEvictTheOldestBlocks) {
    BlockCache& c = BlockCache::instance();
    c.release();
    std::vector<void*> blocks;
    for (std::size_t k = 0; k < BlockCache::max_blocks + 2; ++k) {
        blocks.push_back(block(2 * MiB));
        c.give(blocks.back(), 2 * MiB);
    }
    EXPECT_EQ(c.kept_bytes(), BlockCache::max_blocks * 2 * MiB);
    // The two oldest were freed (their addresses may serve newer blocks).
    std::size_t back = 0;
    while (void* p = c.take(2 * MiB)) {
        ++back;
        std::free(p);
    }
    EXPECT_EQ(back, BlockCache::max_blocks);
    // A block larger than the byte bound is freed at once.
    c.give(block(BlockCache::max_bytes + 2 * MiB), BlockCache::max_bytes + 2 * MiB);
    EXPECT_EQ(c.kept_bytes(), 0u);
}

TEST(BlockCache, VectorsReuseFreedBuffers) {
    BlockCache::instance().release();
    const std::size_t n = 3 * MiB / sizeof(uint64_t);
    const uint64_t* first = nullptr;
    {
        LargeVec<uint64_t> v(n);
        std::iota(v.begin(), v.end(), 0);
        first = v.data();
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(first) % huge_page_bytes, 0u);
    }
    EXPECT_EQ(BlockCache::instance().kept_bytes(), 4 * MiB);
    LargeVec<uint64_t> w(n, 7);  // the same block, filled anew
    EXPECT_EQ(w.data(), first);
    EXPECT_EQ(w[0], 7u);
    EXPECT_EQ(w[n - 1], 7u);
    EXPECT_EQ(BlockCache::instance().kept_bytes(), 0u);
    LargeVec<uint64_t> small(100, 1);  // small buffers never touch the cache
    EXPECT_EQ(BlockCache::instance().kept_bytes(), 0u);
}

TEST(HugeBlocks, KnowsEachLiveBlockByItsStart) {
    HugePageAllocator<uint64_t> alloc;
    const std::size_t n = 3 * MiB / sizeof(uint64_t);
    uint64_t* p = alloc.allocate(n);
    const auto start = reinterpret_cast<uintptr_t>(p);
    EXPECT_EQ(HugeBlocks::instance().size_of(start), 4 * MiB);  // rounded to whole huge pages
    alloc.deallocate(p, n);
    EXPECT_EQ(HugeBlocks::instance().size_of(start), 0u);
    BlockCache::instance().release();
}
