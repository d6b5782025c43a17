// Packed 1-bit and 2-bit vectors, checked against a plain byte-per-entry model.
#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <random>
#include <vector>

#include "core/container/bit_vec.hpp"

using vemo::BitVec;
using vemo::TwoBitVec;

namespace {

// Every entry, and every word including the zero tail beyond the last entry.
template <class V>
void expect_matches(const V& v, const std::vector<uint8_t>& model, unsigned bits) {
    ASSERT_EQ(v.size(), model.size());
    const uint64_t per_word = 64 / bits;
    std::vector<uint64_t> expected((model.size() + per_word - 1) / per_word, 0);
    for (uint64_t k = 0; k < model.size(); ++k) expected[k / per_word] |= uint64_t{model[k]} << (bits * (k % per_word));
    ASSERT_EQ(std::vector<uint64_t>(v.words().begin(), v.words().end()), expected);
}

}  // namespace

TEST(BitVec, LayoutIaddAndResize) {
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
    EXPECT_EQ(v.words()[0], 1u);
    v.resize(130);
    EXPECT_EQ(v.count_ones(), 1u);
    EXPECT_NE(BitVec::new_with_len(1), BitVec::new_with_len(2));  // same words, other length
}

TEST(TwoBitVec, ThirtyThreePushesUseTwoWords) {
    TwoBitVec v;
    for (int k = 0; k < 32; ++k) v.push(static_cast<uint8_t>(k % 4));
    v.push(7);  // stored as 7 & 3
    EXPECT_EQ(v.bit_count(), 66u);
    ASSERT_EQ(v.words().size(), 2u);
    EXPECT_EQ(v.words()[1], 3u);
    EXPECT_EQ(v.words()[0] >> 62, 3u);
    v.set(32, 6);
    EXPECT_EQ(v.get(32), 2);
    v.add_unchecked(32, 255);  // -1 * -i = +i
    EXPECT_EQ(v.get(32), 1);
}

// push, pop_and_swap (also past the end), extend (from itself and from another
// vector at every offset), resize and swap, across word boundaries.
template <class V>
void check_against_model(unsigned bits) {
    std::mt19937_64 rng(12345);
    const auto draw = [&] { return static_cast<uint8_t>(rng() & ((1u << bits) - 1)); };
    V v;
    std::vector<uint8_t> model;
    for (int step = 0; step < 600 && !::testing::Test::HasFailure(); ++step) {
        const int op = static_cast<int>(rng() % 10);
        if (op < 4 || model.empty()) {
            model.push_back(draw());
            v.push(model.back());
        } else if (op < 6) {
            const uint64_t i = rng() % (model.size() + 2);
            v.pop_and_swap(i);
            if (i < model.size() - 1) model[i] = model.back();
            model.pop_back();
        } else if (op == 6 && model.size() < 300) {
            v.extend(v);
            const auto copy = model;
            model.insert(model.end(), copy.begin(), copy.end());
        } else if (op == 7) {
            V other;
            for (uint64_t k = 0, m = rng() % 100; k < m; ++k) {
                model.push_back(draw());
                other.push(model.back());
            }
            v.extend(other);
        } else if (op == 8) {
            const uint64_t n = rng() % 150;
            v.resize(n);
            model.resize(n, 0);
        } else {
            const uint64_t i = rng() % model.size(), j = rng() % model.size();
            v.swap_entries(i, j);
            std::swap(model[i], model[j]);
        }
        expect_matches(v, model, bits);
    }
}

TEST(PackedVec, OperationsAgainstModel) {
    check_against_model<BitVec>(1);
    check_against_model<TwoBitVec>(2);
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
