// Component lists as words: the component hash (one word at a time and in
// four AVX2 lanes, against a byte-wise reference), element views and the
// provided element operations. Bipartitions are checked from Python through
// the centralizer.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/container/siphash.hpp"
#include "core/container/word_iters.hpp"
#include "toy_list.hpp"

using namespace vemo;
using vemo::test::ToyList;
using V = std::vector<uint64_t>;
using Ref = ElemRef<ToyList>;

namespace {

// Textbook SipHash-1-3 (zero keys) over the little-endian bytes of the words,
// written byte-wise, independently of the word-at-a-time hasher under test.
uint64_t ref_siphash13(const V& words) {
    std::vector<uint8_t> m;
    for (uint64_t w : words)
        for (int b = 0; b < 8; ++b) m.push_back(static_cast<uint8_t>(w >> (8 * b)));
    uint64_t v0 = 0x736f6d6570736575ULL, v1 = 0x646f72616e646f6dULL, v2 = 0x6c7967656e657261ULL,
             v3 = 0x7465646279746573ULL;
    auto round = [&] {
        v0 += v1; v1 = std::rotl(v1, 13); v1 ^= v0; v0 = std::rotl(v0, 32);
        v2 += v3; v3 = std::rotl(v3, 16); v3 ^= v2;
        v0 += v3; v3 = std::rotl(v3, 21); v3 ^= v0;
        v2 += v1; v1 = std::rotl(v1, 17); v1 ^= v2; v2 = std::rotl(v2, 32);
    };
    auto block = [&](uint64_t x) { v3 ^= x; round(); v0 ^= x; };
    for (size_t off = 0; off < m.size(); off += 8) {
        uint64_t x = 0;
        for (int b = 7; b >= 0; --b) x = (x << 8) | m[off + b];
        block(x);
    }
    block(static_cast<uint64_t>(m.size() & 0xff) << 56);
    v2 ^= 0xff;
    round(); round(); round();
    return v0 ^ v1 ^ v2 ^ v3;
}

uint64_t h(const V& w) { return hash_u64it(std::span<const uint64_t>(w)); }

}  // namespace

TEST(ComponentHash, KnownVectorsAndByteReference) {
    EXPECT_EQ(h({}), 0xd1fba762150c532cULL);
    EXPECT_EQ(h({1, 2}), 0xfb058313e6201d48ULL);
    EXPECT_EQ(ref_siphash13({1, 2}), 0xfb058313e6201d48ULL);
    // 300 words: the byte count in the final block wraps modulo 256.
    std::mt19937_64 rng(7);
    for (size_t len : {3, 31, 32, 300}) {
        V w(len);
        for (auto& x : w) x = rng();
        EXPECT_EQ(h(w), ref_siphash13(w)) << len;
    }
}

TEST(ComponentHash, PartBoundariesAreInvisible) {
    const V all = {5, 6, 7, 8, 9};
    const std::span<const uint64_t> s(all);
    EXPECT_EQ(hash_u64it(Words(s.first(2), s.subspan(2))), h(all));
    EXPECT_EQ(hash_u64it(Words(s.first(0), s.first(1), s.subspan(1))), h(all));
    ToyList l = ToyList::of({2, 1}, {{1, 2, 3}, {~0ULL, 7, 1}});
    for (size_t i = 0; i < l.size(); ++i) EXPECT_EQ(hash_at_index(l, i), h(l.words(i)));
    EXPECT_THROW(hash_at_index(l, 2), InternalError);
}

// The order of strings of one length is checked from Python through the sort.
TEST(ElemRef, EqualityAndOrderAcrossParts) {
    ToyList l = ToyList::of({1, 2}, {{4, 9, 1}, {4, 9, 0}, {4, 9, 1}});
    EXPECT_TRUE((Ref{&l, 0} == Ref{&l, 2}));
    EXPECT_TRUE((Ref{&l, 1} < Ref{&l, 0}));  // the first differing word is in the second part
    // Across lists: words alone decide; a proper prefix orders first and is unequal.
    ToyList prefix = ToyList::of({2}, {{4, 9}});
    EXPECT_TRUE((Ref{&prefix, 0} < Ref{&l, 1}));
    EXPECT_FALSE((Ref{&prefix, 0} == Ref{&l, 1}));
}

TEST(ElementOps, PushCopySwapClear) {
    ToyList l({2, 1});
    push_u64it(l, std::span<const uint64_t>(V{1}));              // missing words stay zero
    push_u64it(l, std::span<const uint64_t>(V{1, 2, 3, 4, 5}));  // surplus words are ignored
    push_clear(l);
    EXPECT_EQ(l.all(), (std::vector<V>{{1, 0, 0}, {1, 2, 3}, {0, 0, 0}}));
    copy_elem(l, 2, 1);
    swap_elems(l, 0, 1);
    clear_elem(l, 1);
    EXPECT_EQ(l.all(), (std::vector<V>{{1, 2, 3}, {0, 0, 0}, {1, 2, 3}}));
    // Words of the list itself survive the growth that may move them.
    for (int k = 0; k < 100; ++k) push_u64it(l, l.elem_u64it(l.size() - 1));
    EXPECT_EQ(l.words(l.size() - 1), (V{1, 2, 3}));
}

#if defined(VEMO_HAVE_SIP13_X4)

namespace {

uint64_t one(const uint64_t* x, const uint64_t* z, size_t n) {
    SipHasher13 h;
    for (size_t k = 0; k < n; ++k) h.write_u64(x[k]);
    for (size_t k = 0; k < n; ++k) h.write_u64(z[k]);
    return h.finish();
}

template <size_t N>
void check_lanes(std::mt19937_64& rng, size_t n) {
    std::vector<uint64_t> words(8 * n);
    for (auto& w : words) w = rng();
    const uint64_t* x[4];
    const uint64_t* z[4];
    for (size_t l = 0; l < 4; ++l) {
        x[l] = words.data() + 2 * l * n;
        z[l] = x[l] + n;
    }
    uint64_t out[4];
    sip13_x4<N>(x, z, n, out);
    for (size_t l = 0; l < 4; ++l) EXPECT_EQ(out[l], one(x[l], z[l], n)) << "n=" << n << " lane " << l;
}

__attribute__((target("avx2"))) void two_words(const uint64_t* a, const uint64_t* b, uint64_t* out) {
    const __m256i h = sip13_x4_two_words(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(a)),
                                         _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), h);
}

}  // namespace

TEST(SipHashX4, EveryLaneEqualsTheScalarHash) {
    if (!cpu_has_avx2()) GTEST_SKIP() << "no AVX2 on this processor";
    std::mt19937_64 rng(9);
    for (int rep = 0; rep < 50; ++rep) {
        for (size_t n = 0; n < 6; ++n) check_lanes<0>(rng, n);
        check_lanes<1>(rng, 1);
        check_lanes<2>(rng, 2);
    }
    // Two all-zero words: the known value of the 16 zero bytes.
    SipHasher13 zero;
    zero.write_u64(0);
    zero.write_u64(0);
    const uint64_t a[4] = {0, 1, 0, ~uint64_t{0}}, b[4] = {0, 0, 1, ~uint64_t{0}};
    uint64_t out[4];
    two_words(a, b, out);
    EXPECT_EQ(out[0], zero.finish());
    for (size_t l = 0; l < 4; ++l) EXPECT_EQ(out[l], one(a + l, b + l, 1));
}

#endif
