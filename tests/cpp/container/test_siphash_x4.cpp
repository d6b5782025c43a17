// The four-lane hashes equal the one-at-a-time SipHasher13 on every lane,
// for word counts with and without a constant, including the two-word form
// of the product loop.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/container/siphash.hpp"

using namespace vemo;

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
