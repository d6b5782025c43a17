// Packed 1-bit and 2-bit vectors: word layout, flips and sizes. Their
// operations against a plain model are checked from Python through the sign
// vectors that wrap them.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <vector>

#include "core/container/bit_vec.hpp"

using vemo::BitVec;
using vemo::TwoBitVec;

TEST(PackedVec, WorkedOperations) {
    BitVec v = BitVec::new_with_len(130);
    for (uint64_t k : {0u, 63u, 64u, 129u}) v.set(k, true);
    EXPECT_EQ(std::vector<uint64_t>(v.words().begin(), v.words().end()),
              (std::vector<uint64_t>{(uint64_t{1} << 63) | 1, 1, 2}));
    // iadd: k == n is refused and changes nothing; a zero bit leaves the entry, a one flips it.
    const BitVec before = v;
    EXPECT_FALSE(v.iadd(130, true));
    EXPECT_TRUE(v.iadd(1, false));
    EXPECT_EQ(v, before);
    EXPECT_TRUE(v.iadd(64, true));
    EXPECT_FALSE(v.get(64));
    // Shrinking clears the dropped bits, so growing again shows zeros.
    v.resize(3);
    v.resize(130);
    EXPECT_EQ(v.count_ones(), 1u);
    EXPECT_NE(BitVec::new_with_len(1), BitVec::new_with_len(2));  // same words, other length
    TwoBitVec w;
    w.push(7);  // stored as 7 & 3
    w.set(0, 6);
    EXPECT_EQ(w.get(0), 2);
    w.add_unchecked(0, 255);  // -1 * -i = +i
    EXPECT_EQ(w.get(0), 1);
}

TEST(PackedVec, ImpossibleSizesAndBadAccess) {
    EXPECT_THROW(BitVec::new_with_len(UINT64_MAX), std::bad_alloc);
    EXPECT_THROW(TwoBitVec::new_with_len(uint64_t{1} << 63), std::bad_alloc);
    BitVec v = BitVec::new_with_len(5);
    EXPECT_THROW(v.resize(UINT64_MAX - 3), std::bad_alloc);
    EXPECT_EQ(v.size(), 5u);
    EXPECT_THROW(v.reserve(UINT64_MAX), std::bad_alloc);
    EXPECT_NO_THROW((void)v.get_unchecked(63));  // within the storage: no length check
    EXPECT_THROW((void)v.get_unchecked(64), vemo::InternalError);
}
