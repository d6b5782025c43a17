// The checked size arithmetic against 128-bit arithmetic, and the set-bit
// walks against a bit-by-bit scan.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <random>
#include <vector>

#include "core/base/bits.hpp"
#include "core/base/checked.hpp"

using namespace vemo;

namespace {

using u128 = unsigned __int128;

// Operands around the edges of 64 bits, then random ones of every size.
std::vector<uint64_t> operands() {
    std::vector<uint64_t> v = {0, 1, 2, 3, UINT32_MAX, uint64_t{1} << 32, (uint64_t{1} << 32) + 1,
                               UINT64_MAX / 2, UINT64_MAX / 2 + 1, UINT64_MAX - 1, UINT64_MAX};
    std::mt19937_64 rng(11);
    for (int t = 0; t < 60; ++t) v.push_back(rng() >> (rng() % 64));
    return v;
}

}  // namespace

TEST(CheckedArithmetic, AgreesWithWideArithmetic) {
    const auto ops = operands();
    for (uint64_t a : ops)
        for (uint64_t b : ops) {
            const u128 sum = u128{a} + b, prod = u128{a} * b;
            const bool sum_fits = sum <= UINT64_MAX, prod_fits = prod <= UINT64_MAX;
            ASSERT_EQ(checked_add(a, b).has_value(), sum_fits) << a << " + " << b;
            ASSERT_EQ(checked_mul(a, b).has_value(), prod_fits) << a << " * " << b;
            if (sum_fits) {
                EXPECT_EQ(*checked_add(a, b), static_cast<uint64_t>(sum));
                EXPECT_EQ(alloc_add(a, b), static_cast<uint64_t>(sum));
            } else {
                EXPECT_THROW(alloc_add(a, b), std::bad_alloc);
            }
            if (prod_fits) {
                EXPECT_EQ(*checked_mul(a, b), static_cast<uint64_t>(prod));
            }
            EXPECT_EQ(saturating_add(a, b), sum_fits ? static_cast<uint64_t>(sum) : UINT64_MAX);
            EXPECT_EQ(saturating_mul(a, b), prod_fits ? static_cast<uint64_t>(prod) : UINT64_MAX);
        }
}

TEST(Bits, WordsForAndFirstWord) {
    EXPECT_EQ(words_for(0), 0u);
    EXPECT_EQ(words_for(1), 1u);
    EXPECT_EQ(words_for(64), 1u);
    EXPECT_EQ(words_for(65), 2u);
    EXPECT_EQ(words_for(UINT64_MAX), uint64_t{1} << 58);  // no overflow of n + 63
    EXPECT_EQ(words_for(10, 3), 4u);
    EXPECT_EQ(first_word({}), 0u);
    const std::vector<uint64_t> w = {7, 9};
    EXPECT_EQ(first_word(w), 7u);
}

TEST(Bits, SetBitWalksMatchABitByBitScan) {
    std::mt19937_64 rng(5);
    for (int t = 0; t < 300; ++t) {
        std::vector<uint64_t> row(rng() % 4);
        for (auto& x : row) x = t % 3 == 0 ? rng() & rng() & rng() : rng();
        if (!row.empty() && t % 7 == 0) row.back() = UINT64_MAX;
        std::vector<uint64_t> want;
        for (uint64_t k = 0; k < 64 * row.size(); ++k)
            if ((row[k / 64] >> (k % 64)) & 1) want.push_back(k);
        std::vector<uint64_t> got;
        for_each_set_position(row, [&](uint64_t k) { got.push_back(k); });
        EXPECT_EQ(got, want);
        if (row.empty()) continue;
        std::vector<uint64_t> bits;
        for_each_set_bit(row[0], [&](uint64_t b) { bits.push_back(b); });
        std::vector<uint64_t> want0;
        for (uint64_t k : want)
            if (k < 64) want0.push_back(k);
        EXPECT_EQ(bits, want0);
    }
}
