// The checked size arithmetic against 128-bit arithmetic, and the count of
// words at the top of the range.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <new>
#include <optional>
#include <random>
#include <vector>

#include "core/base/bits.hpp"
#include "core/base/checked.hpp"

using namespace vemo;

TEST(CheckedArithmetic, AgreesWithWideArithmetic) {
    using u128 = unsigned __int128;
    // Operands around the edges of 64 bits, then random ones of every size.
    std::vector<uint64_t> ops = {0, 1, 3, UINT32_MAX, uint64_t{1} << 32, UINT64_MAX / 2, UINT64_MAX / 2 + 1,
                                 UINT64_MAX - 1, UINT64_MAX};
    std::mt19937_64 rng(11);
    for (int t = 0; t < 60; ++t) ops.push_back(rng() >> (rng() % 64));
    for (uint64_t a : ops)
        for (uint64_t b : ops) {
            const u128 sum = u128{a} + b, prod = u128{a} * b;
            const auto fit = [](u128 x) { return x <= UINT64_MAX ? std::optional(uint64_t(x)) : std::nullopt; };
            ASSERT_EQ(checked_add(a, b), fit(sum)) << a << " + " << b;
            ASSERT_EQ(checked_mul(a, b), fit(prod)) << a << " * " << b;
            EXPECT_EQ(saturating_add(a, b), fit(sum).value_or(UINT64_MAX));
            EXPECT_EQ(saturating_mul(a, b), fit(prod).value_or(UINT64_MAX));
            if (fit(sum)) EXPECT_EQ(alloc_add(a, b), *fit(sum));
            else EXPECT_THROW(alloc_add(a, b), std::bad_alloc);
        }
}

TEST(Bits, WordsForIsTheCeilingWithoutOverflow) {
    for (const auto& [n, per_word, want] : std::vector<std::array<uint64_t, 3>>{
             {0, 64, 0}, {1, 64, 1}, {64, 64, 1}, {65, 64, 2}, {10, 3, 4}, {UINT64_MAX, 64, uint64_t{1} << 58}})
        EXPECT_EQ(words_for(n, per_word), want) << n << " / " << per_word;
}
