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

// Every entry, every word, and the zero tail beyond the last entry.
template <class V>
void expect_matches(const V& v, const std::vector<uint8_t>& model, unsigned bits) {
    ASSERT_EQ(v.size(), model.size());
    const uint64_t per_word = 64 / bits;
    ASSERT_EQ(v.words().size(), (model.size() + per_word - 1) / per_word);
    std::vector<uint64_t> expected(v.words().size(), 0);
    for (uint64_t k = 0; k < model.size(); ++k) {
        EXPECT_EQ(v.get_unchecked(k), model[k]) << "entry " << k;
        expected[k / per_word] |= uint64_t{model[k]} << (bits * (k % per_word));
    }
    for (size_t w = 0; w < expected.size(); ++w) EXPECT_EQ(v.words()[w], expected[w]) << "word " << w;
}

}  // namespace

TEST(BitVec, LayoutAcrossWordBoundary) {
    BitVec v = BitVec::new_with_len(130);
    EXPECT_EQ(v.words().size(), 3u);
    EXPECT_EQ(v.count_ones(), 0u);
    v.set(0, true);
    v.set(63, true);
    v.set(64, true);
    v.set(129, true);
    EXPECT_EQ(v.words()[0], (uint64_t{1} << 63) | 1);
    EXPECT_EQ(v.words()[1], 1u);
    EXPECT_EQ(v.words()[2], 2u);
    EXPECT_TRUE(v.get(64));
    EXPECT_FALSE(v.get(65));
    EXPECT_EQ(v.count_ones(), 4u);
}

TEST(BitVec, IaddFlipsOnlyInRange) {
    BitVec v = BitVec::new_with_len(3);
    const BitVec before = v;
    EXPECT_FALSE(v.iadd(3, true));  // k == n: refused, nothing changes
    EXPECT_FALSE(v.iadd(1000, true));
    EXPECT_EQ(v, before);
    EXPECT_TRUE(v.iadd(1, false));
    EXPECT_EQ(v, before);
    EXPECT_TRUE(v.iadd(1, true));
    EXPECT_TRUE(v.get(1));
    EXPECT_TRUE(v.iadd(1, true));
    EXPECT_FALSE(v.get(1));
}

TEST(BitVec, ResizeDownClearsDroppedBits) {
    BitVec v = BitVec::new_with_len(70);
    for (uint64_t k = 0; k < 70; ++k) v.set(k, true);
    v.resize(3);
    EXPECT_EQ(v.words().size(), 1u);
    EXPECT_EQ(v.words()[0], 7u);
    v.resize(70);
    for (uint64_t k = 3; k < 70; ++k) EXPECT_FALSE(v.get(k)) << k;
    EXPECT_EQ(v.count_ones(), 3u);
}

TEST(BitVec, PushGrowsWordByWord) {
    BitVec v;
    std::vector<uint8_t> model;
    for (int k = 0; k < 200; ++k) {
        const bool b = (k * 7) % 3 == 0;
        v.push(b);
        model.push_back(b);
        if (k == 63 || k == 64 || k == 127 || k == 128) expect_matches(v, model, 1);
    }
    expect_matches(v, model, 1);
}

TEST(TwoBitVec, ThirtyThreePushesUseTwoWords) {
    TwoBitVec v;
    for (int k = 0; k < 32; ++k) v.push(static_cast<uint8_t>(k % 4));
    EXPECT_EQ(v.words().size(), 1u);
    v.push(7);  // stored as 7 & 3
    EXPECT_EQ(v.size(), 33u);
    EXPECT_EQ(v.bit_count(), 66u);
    ASSERT_EQ(v.words().size(), 2u);
    EXPECT_EQ(v.words()[1], 3u);
    EXPECT_EQ(v.get(32), 3);
    EXPECT_EQ(v.get(31), 3);
    EXPECT_EQ(v.words()[0] >> 62, 3u);
}

TEST(TwoBitVec, SetReducesModuloFourAndAddsPowers) {
    TwoBitVec v = TwoBitVec::new_with_len(40);
    v.set(35, 6);
    EXPECT_EQ(v.get(35), 2);
    v.add_unchecked(35, 3);  // (-1) * (-i) = +i
    EXPECT_EQ(v.get(35), 1);
    v.add_unchecked(35, 255);  // 255 = -1 mod 4
    EXPECT_EQ(v.get(35), 0);
    EXPECT_EQ(v.get(34), 0);
    EXPECT_EQ(v.get(36), 0);
}

TEST(TwoBitVec, ResizeDownThenUpShowsZeros) {
    TwoBitVec v = TwoBitVec::new_with_len(70);
    for (uint64_t k = 0; k < 70; ++k) v.set(k, 2);
    v.resize(33);
    v.resize(70);
    std::vector<uint8_t> model(70, 0);
    for (int k = 0; k < 33; ++k) model[k] = 2;
    expect_matches(v, model, 2);
}

TEST(PackedVec, SwapRemovalAndExtendAgainstModel) {
    std::mt19937_64 rng(12345);
    for (unsigned bits : {1u, 2u}) {
        BitVec b;
        TwoBitVec t;
        std::vector<uint8_t> model;
        auto push = [&](uint8_t v) {
            v &= static_cast<uint8_t>((1u << bits) - 1);
            if (bits == 1) b.push(v != 0); else t.push(v);
            model.push_back(v);
        };
        auto check = [&] { if (bits == 1) expect_matches(b, model, 1); else expect_matches(t, model, 2); };
        for (int step = 0; step < 400; ++step) {
            const int op = static_cast<int>(rng() % 10);
            if (op < 5) {
                push(static_cast<uint8_t>(rng()));
            } else if (op < 7 && !model.empty()) {
                const uint64_t i = rng() % (model.size() + 2);  // sometimes past the end
                if (bits == 1) b.pop_and_swap(i); else t.pop_and_swap(i);
                if (i < model.size() - 1) model[i] = model.back();
                model.pop_back();
            } else if (op == 7 && model.size() < 300) {
                // Appending a vector to itself doubles it.
                if (bits == 1) b.extend(b); else t.extend(t);
                const auto copy = model;
                model.insert(model.end(), copy.begin(), copy.end());
            } else if (op == 8) {
                const uint64_t n = rng() % 150;
                if (bits == 1) b.resize(n); else t.resize(n);
                model.resize(n, 0);
            } else if (!model.empty()) {
                const uint64_t i = rng() % model.size(), j = rng() % model.size();
                if (bits == 1) b.swap_entries(i, j); else t.swap_entries(i, j);
                std::swap(model[i], model[j]);
            }
            check();
            if (HasFatalFailure() || HasFailure()) return;
        }
    }
}

TEST(PackedVec, ExtendFromUnalignedOffsets) {
    for (uint64_t n0 : {0u, 1u, 31u, 32u, 63u, 64u, 65u}) {
        for (uint64_t m : {0u, 1u, 33u, 64u, 100u}) {
            TwoBitVec a = TwoBitVec::new_with_len(n0), c = TwoBitVec::new_with_len(m);
            std::vector<uint8_t> model(n0 + m, 0);
            for (uint64_t k = 0; k < n0; ++k) a.set(k, model[k] = static_cast<uint8_t>((k * 5 + 1) % 4));
            for (uint64_t k = 0; k < m; ++k) c.set(k, model[n0 + k] = static_cast<uint8_t>((k * 3 + 2) % 4));
            a.extend(c);
            expect_matches(a, model, 2);
        }
    }
}

TEST(PackedVec, EqualityAndPopOnEmpty) {
    BitVec a = BitVec::new_with_len(65), b = BitVec::new_with_len(65);
    EXPECT_EQ(a, b);
    b.set(64, true);
    EXPECT_NE(a, b);
    EXPECT_NE(BitVec::new_with_len(1), BitVec::new_with_len(2));  // same words, different length
    BitVec e;
    e.pop_and_swap(0);
    EXPECT_EQ(e.size(), 0u);
}

TEST(PackedVec, ImpossibleSizesThrowBadAlloc) {
    EXPECT_THROW(BitVec::new_with_len(UINT64_MAX), std::bad_alloc);
    EXPECT_THROW(TwoBitVec::new_with_len(uint64_t{1} << 63), std::bad_alloc);
    EXPECT_THROW(TwoBitVec::new_with_len(UINT64_MAX), std::bad_alloc);
    BitVec v = BitVec::new_with_len(5);
    EXPECT_THROW(v.resize(UINT64_MAX - 3), std::bad_alloc);
    EXPECT_EQ(v.size(), 5u);  // unchanged after the refusal
    EXPECT_THROW(v.reserve(UINT64_MAX), std::bad_alloc);
}

TEST(PackedVec, AccessBeyondStorageIsInternalFailure) {
    BitVec v = BitVec::new_with_len(10);
    EXPECT_NO_THROW((void)v.get_unchecked(63));  // within the word: no check against the length
    EXPECT_THROW((void)v.get_unchecked(64), vemo::InternalError);
    TwoBitVec t;
    EXPECT_THROW(t.set_unchecked(0, 1), vemo::InternalError);
}
