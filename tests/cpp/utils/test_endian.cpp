// Bit-order reversal against a bit-by-bit reference.
#include <gtest/gtest.h>

#include <random>

#include "core/utils/endian.hpp"

using namespace vemo;

TEST(InvertEndian, KnownValuesAndReference) {
    EXPECT_EQ(invert_endian(0b0011, 4), 0b1100u);
    EXPECT_EQ(invert_endian(1, 1), 1u);
    EXPECT_EQ(invert_endian(1, 64), uint64_t{1} << 63);
    EXPECT_EQ(invert_endian(0xFF00, 8), 0u);  // the high byte is ignored
    std::mt19937_64 rng(7);
    for (int t = 0; t < 2000; ++t) {
        const uint64_t w = rng();
        const unsigned n = 1 + static_cast<unsigned>(rng() % 64);
        uint64_t want = 0;
        for (unsigned b = 0; b < n; ++b) want |= ((w >> (n - 1 - b)) & 1) << b;
        EXPECT_EQ(invert_endian(w, n), want);
    }
    EXPECT_THROW(invert_endian(1, 0), InternalError);
    EXPECT_THROW(invert_endian(1, 65), InternalError);
}
