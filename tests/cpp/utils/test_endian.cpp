// Bit-order reversal against a bit-by-bit reference.
#include <gtest/gtest.h>

#include <random>

#include "core/utils/endian.hpp"

using namespace vemo;

namespace {
uint64_t reference(uint64_t w, unsigned n) {
    uint64_t out = 0;
    for (unsigned b = 0; b < n; ++b) out |= ((w >> (n - 1 - b)) & 1) << b;
    return out;
}
}  // namespace

TEST(InvertEndian, KnownValues) {
    EXPECT_EQ(invert_endian(0b0011, 4), 0b1100u);
    EXPECT_EQ(invert_endian(1, 1), 1u);
    EXPECT_EQ(invert_endian(1, 64), uint64_t{1} << 63);
    EXPECT_EQ(invert_endian(0xFF00, 8), 0u);
    EXPECT_EQ(invert_endian(~uint64_t{0}, 64), ~uint64_t{0});
    EXPECT_EQ(invert_endian(0b110, 3), 0b011u);
    static_assert(invert_endian(2, 2) == 1);
}

TEST(InvertEndian, MatchesReferenceAndIsAnInvolution) {
    std::mt19937_64 rng(7);
    for (int t = 0; t < 2000; ++t) {
        const uint64_t w = rng();
        const unsigned n = 1 + static_cast<unsigned>(rng() % 64);
        const uint64_t r = invert_endian(w, n);
        EXPECT_EQ(r, reference(w, n));
        const uint64_t low = n == 64 ? w : w & ((uint64_t{1} << n) - 1);
        EXPECT_EQ(invert_endian(r, n), low);
        if (n < 64) {
            EXPECT_EQ(r >> n, 0u);
        }
    }
}

TEST(InvertEndian, BitCountOutsideRangeIsAnInternalFailure) {
    EXPECT_THROW(invert_endian(1, 0), InternalError);
    EXPECT_THROW(invert_endian(1, 65), InternalError);
}
