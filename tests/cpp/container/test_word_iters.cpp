#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "core/container/word_iters.hpp"
#include "toy_list.hpp"

using namespace vemo;
using vemo::test::ToyList;
using V = std::vector<uint64_t>;

namespace {

// Textbook SipHash-1-3 over an arbitrary byte string, written independently
// of the word-at-a-time hasher under test.
uint64_t ref_siphash13(const std::vector<uint8_t>& m, uint64_t k0 = 0, uint64_t k1 = 0) {
    uint64_t v0 = 0x736f6d6570736575ULL ^ k0, v1 = 0x646f72616e646f6dULL ^ k1;
    uint64_t v2 = 0x6c7967656e657261ULL ^ k0, v3 = 0x7465646279746573ULL ^ k1;
    auto rotl = [](uint64_t x, int b) { return (x << b) | (x >> (64 - b)); };
    auto round = [&] {
        v0 += v1; v1 = rotl(v1, 13); v1 ^= v0; v0 = rotl(v0, 32);
        v2 += v3; v3 = rotl(v3, 16); v3 ^= v2;
        v0 += v3; v3 = rotl(v3, 21); v3 ^= v0;
        v2 += v1; v1 = rotl(v1, 17); v1 ^= v2; v2 = rotl(v2, 32);
    };
    const size_t full = m.size() / 8 * 8;
    for (size_t off = 0; off < full; off += 8) {
        uint64_t x = 0;
        for (int b = 7; b >= 0; --b) x = (x << 8) | m[off + b];
        v3 ^= x; round(); v0 ^= x;
    }
    uint64_t last = static_cast<uint64_t>(m.size() & 0xff) << 56;
    for (size_t b = 0; b < m.size() - full; ++b) last |= static_cast<uint64_t>(m[full + b]) << (8 * b);
    v3 ^= last; round(); v0 ^= last;
    v2 ^= 0xff;
    round(); round(); round();
    return v0 ^ v1 ^ v2 ^ v3;
}

std::vector<uint8_t> le_bytes(const V& words) {
    std::vector<uint8_t> out;
    for (uint64_t w : words)
        for (int b = 0; b < 8; ++b) out.push_back(static_cast<uint8_t>(w >> (8 * b)));
    return out;
}

uint64_t h(const V& w) { return hash_u64it(std::span<const uint64_t>(w)); }

}  // namespace

// ---- component hash ----

TEST(ComponentHash, KnownVectors) {
    EXPECT_EQ(h({}), 0xd1fba762150c532cULL);
    EXPECT_EQ(h({0}), 0xbd60acb658c79e45ULL);
    EXPECT_EQ(h({1}), 0x1e9f734161d62dd9ULL);
    EXPECT_EQ(h({1, 2}), 0xfb058313e6201d48ULL);
    EXPECT_EQ(hash_u64it(Words{}), 0xd1fba762150c532cULL);
    // The reference agrees on the same vectors, so it can vouch for the rest.
    EXPECT_EQ(ref_siphash13({}), 0xd1fba762150c532cULL);
    EXPECT_EQ(ref_siphash13(le_bytes({1, 2})), 0xfb058313e6201d48ULL);
}

TEST(ComponentHash, MatchesByteReferenceOnRandomWords) {
    std::mt19937_64 rng(7);
    for (size_t len = 0; len <= 40; ++len) {
        for (int rep = 0; rep < 5; ++rep) {
            V w(len);
            for (auto& x : w) x = rng();
            EXPECT_EQ(h(w), ref_siphash13(le_bytes(w))) << "len " << len;
        }
    }
    // Lengths of 32 words and more carry a total byte count that wraps in its top byte.
    V big(300, 0x0123456789abcdefULL);
    EXPECT_EQ(h(big), ref_siphash13(le_bytes(big)));
}

TEST(ComponentHash, PartBoundariesAreInvisible) {
    const V all = {5, 6, 7, 8, 9};
    const std::span<const uint64_t> s(all);
    const uint64_t whole = h(all);
    EXPECT_EQ(hash_u64it(Words(s.subspan(0, 2), s.subspan(2))), whole);
    EXPECT_EQ(hash_u64it(Words(s.subspan(0, 0), s.subspan(0, 5))), whole);
    EXPECT_EQ(hash_u64it(Words(s.subspan(0, 1), s.subspan(1, 3), s.subspan(4))), whole);
}

TEST(ComponentHash, AtIndexEqualsOverWords) {
    ToyList l = ToyList::of({2, 1}, {{1, 2, 3}, {0, 0, 0}, {~0ULL, 7, 1}});
    for (size_t i = 0; i < l.size(); ++i) EXPECT_EQ(hash_at_index(l, i), h(l.words(i)));
    EXPECT_THROW(hash_at_index(l, 3), InternalError);
}

// ---- element views ----

TEST(ElemRef, EqualityComparesWordCountAndWords) {
    ToyList a = ToyList::of({1, 1}, {{1, 2}, {1, 3}, {1, 2}});
    ToyList b = ToyList::of({2}, {{1, 2}});
    ToyList c = ToyList::of({3}, {{1, 2, 0}});
    EXPECT_TRUE((ElemRef<ToyList>{&a, 0} == ElemRef<ToyList>{&a, 2}));
    EXPECT_FALSE((ElemRef<ToyList>{&a, 0} == ElemRef<ToyList>{&a, 1}));
    // Different lists compare by words alone, whatever their part layout.
    EXPECT_TRUE((ElemRef<ToyList>{&a, 0} == ElemRef<ToyList>{&b, 0}));
    // A trailing zero word still makes the elements differ.
    EXPECT_FALSE((ElemRef<ToyList>{&b, 0} == ElemRef<ToyList>{&c, 0}));
}

TEST(ElemRef, OrderingIsLexicographicOverUnsignedWords) {
    // Differing only in the second part: the first differing word decides.
    ToyList l = ToyList::of({1, 2}, {{4, 9, 1}, {4, 9, 0}, {3, ~0ULL, ~0ULL}, {1ULL << 63, 0, 0}});
    ElemRef<ToyList> e0{&l, 0}, e1{&l, 1}, e2{&l, 2}, e3{&l, 3};
    EXPECT_TRUE(e1 < e0);
    EXPECT_TRUE(e0 > e1);
    // A smaller first part orders first whatever the second part holds.
    EXPECT_TRUE(e2 < e1);
    // Words are unsigned: the top bit is large, not negative.
    EXPECT_TRUE(e0 < e3);
    EXPECT_EQ(e0 <=> e0, std::strong_ordering::equal);

    // A proper prefix orders first.
    ToyList short_l = ToyList::of({2}, {{4, 9}});
    EXPECT_TRUE((ElemRef<ToyList>{&short_l, 0} < e1));
    EXPECT_TRUE((e1 > ElemRef<ToyList>{&short_l, 0}));
}

TEST(ElemRef, OrderingMatchesStdLexicographicCompare) {
    std::mt19937_64 rng(11);
    for (int rep = 0; rep < 2000; ++rep) {
        V a(rng() % 4), b(rng() % 4);
        for (auto& x : a) x = rng() % 3 == 0 ? ~0ULL : rng() % 3;
        for (auto& x : b) x = rng() % 3 == 0 ? ~0ULL : rng() % 3;
        const auto got = words_cmp(Words(std::span<const uint64_t>(a)), Words(std::span<const uint64_t>(b)));
        const auto want = std::lexicographical_compare_three_way(a.begin(), a.end(), b.begin(), b.end());
        EXPECT_EQ(got, want);
        EXPECT_EQ(words_equal(Words(std::span<const uint64_t>(a)), Words(std::span<const uint64_t>(b))), a == b);
    }
}

TEST(ElemMutRef, AssignCopiesTheCommonPrefix) {
    ToyList dst = ToyList::of({3}, {{7, 7, 7}});
    ToyList src = ToyList::of({1, 1}, {{1, 2}});
    ElemMutRef<ToyList>{&dst, 0}.assign(ElemRef<ToyList>{&src, 0});
    EXPECT_EQ(dst.words(0), (V{1, 2, 7}));
    ElemMutRef<ToyList>{&src, 0}.assign(ElemRef<ToyList>{&dst, 0});
    EXPECT_EQ(src.words(0), (V{1, 2}));
}

// ---- provided operations ----

TEST(PushU64it, PairsWordsUntilEitherRunsOut) {
    ToyList l({2, 1});
    push_u64it(l, std::span<const uint64_t>(V{1}));
    push_u64it(l, std::span<const uint64_t>(V{1, 2, 3, 4, 5}));
    push_clear(l);
    EXPECT_EQ(l.all(), (std::vector<V>{{1, 0, 0}, {1, 2, 3}, {0, 0, 0}}));
}

TEST(PushU64it, WordsOfTheSameListSurviveGrowth) {
    ToyList l = ToyList::of({2, 2}, {{1, 2, 3, 4}});
    // Each push may move the storage that the source words live in.
    for (int k = 0; k < 200; ++k) push_u64it(l, l.elem_u64it(l.size() - 1));
    ASSERT_EQ(l.size(), 201u);
    for (size_t i = 0; i < l.size(); ++i) EXPECT_EQ(l.words(i), (V{1, 2, 3, 4}));
}

TEST(CopySwapClear, MoveWholeElements) {
    ToyList l = ToyList::of({1, 2}, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    copy_elem(l, 0, 2);
    EXPECT_EQ(l.all(), (std::vector<V>{{7, 8, 9}, {4, 5, 6}, {7, 8, 9}}));
    swap_elems(l, 1, 2);
    EXPECT_EQ(l.all(), (std::vector<V>{{7, 8, 9}, {7, 8, 9}, {4, 5, 6}}));
    clear_elem(l, 0);
    EXPECT_EQ(l.all(), (std::vector<V>{{0, 0, 0}, {7, 8, 9}, {4, 5, 6}}));
}

TEST(CopySwapClear, SelfAndOutOfRangeAreNoOps) {
    const std::vector<V> before = {{1, 2}, {3, 4}};
    ToyList l = ToyList::of({1, 1}, {{1, 2}, {3, 4}});
    copy_elem(l, 1, 1);
    swap_elems(l, 0, 0);
    copy_elem(l, 0, 2);
    copy_elem(l, 2, 0);
    swap_elems(l, 2, 0);
    swap_elems(l, 1, ~size_t{0});
    EXPECT_EQ(l.all(), before);
    EXPECT_THROW(clear_elem(l, 2), InternalError);
    EXPECT_EQ(l.all(), before);
}

TEST(ZeroWordElements, AreAllEqualAndHashEmpty) {
    ToyList l({0});
    for (int k = 0; k < 3; ++k) push_clear(l);
    push_u64it(l, std::span<const uint64_t>(V{9, 9}));
    ASSERT_EQ(l.size(), 4u);
    for (size_t i = 0; i < l.size(); ++i) {
        EXPECT_EQ(hash_at_index(l, i), 0xd1fba762150c532cULL);
        EXPECT_TRUE((ElemRef<ToyList>{&l, 0} == ElemRef<ToyList>{&l, i}));
        EXPECT_EQ((ElemRef<ToyList>{&l, 0} <=> ElemRef<ToyList>{&l, i}), std::strong_ordering::equal);
    }
    copy_elem(l, 0, 3);
    swap_elems(l, 1, 2);
    clear_elem(l, 0);
    EXPECT_EQ(l.size(), 4u);
    EXPECT_TRUE(l.words(0).empty());
}

// ---- bipartition ----

namespace {
ToyList five() { return ToyList::of({1, 1}, {{0, 10}, {1, 11}, {2, 12}, {3, 13}, {4, 14}}); }
std::vector<V> firsts(const ToyList& l) { return l.all(); }
std::vector<V> pick(std::initializer_list<int> ks) {
    std::vector<V> v;
    for (int k : ks) v.push_back({uint64_t(k), uint64_t(k + 10)});
    return v;
}
}  // namespace

TEST(Bipartition, EmptyAndFullSelections) {
    const ToyList l = five();
    auto [sel, rest] = bipartition(l, std::vector<size_t>{});
    EXPECT_EQ(sel.size(), 0u);
    EXPECT_EQ(firsts(rest), l.all());
    auto [sel2, rest2] = bipartition(l, std::vector<size_t>{0, 1, 2, 3, 4});
    EXPECT_EQ(firsts(sel2), l.all());
    EXPECT_EQ(rest2.size(), 0u);
    // Empty clones keep the layout.
    EXPECT_EQ(sel.words_per_elem(), 2u);
}

TEST(Bipartition, KeepsOrderOnBothSides) {
    auto [sel, rest] = bipartition(five(), std::vector<int>{1, 3});
    EXPECT_EQ(firsts(sel), pick({1, 3}));
    EXPECT_EQ(firsts(rest), pick({0, 2, 4}));
}

TEST(Bipartition, StopsSelectingOnceTheSequenceFailsToAscend) {
    // A repeat: 1 is taken once, then 1 again is already passed.
    auto [s1, r1] = bipartition(five(), std::vector<int>{1, 1, 2});
    EXPECT_EQ(firsts(s1), pick({1}));
    EXPECT_EQ(firsts(r1), pick({0, 2, 3, 4}));
    // A smaller index.
    auto [s2, r2] = bipartition(five(), std::vector<int>{2, 0, 3});
    EXPECT_EQ(firsts(s2), pick({2}));
    EXPECT_EQ(firsts(r2), pick({0, 1, 3, 4}));
    // An index beyond the list.
    auto [s3, r3] = bipartition(five(), std::vector<int>{0, 9, 4});
    EXPECT_EQ(firsts(s3), pick({0}));
    EXPECT_EQ(firsts(r3), pick({1, 2, 3, 4}));
}

TEST(Bipartition, OfAnEmptyList) {
    ToyList l({3});
    auto [sel, rest] = bipartition(l, std::vector<int>{0, 1});
    EXPECT_EQ(sel.size(), 0u);
    EXPECT_EQ(rest.size(), 0u);
}
