// SipHash-1-3 with both keys zero over 64-bit words fed little-endian: the
// component hash. Stable across runs, processes and hosts.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>

#if defined(__x86_64__)
#include <immintrin.h>
#define VEMO_HAVE_SIP13_X4 1
#endif

namespace vemo {

class SipHasher13 {
public:
    constexpr SipHasher13() = default;

    // Feeds one word as its 8 little-endian bytes: exactly one SipHash block.
    constexpr void write_u64(uint64_t m) {
        v3 ^= m;
        round();
        v0 ^= m;
        ++words;
    }

    constexpr uint64_t finish() const {
        SipHasher13 s = *this;
        const uint64_t b = (s.words * 8 & 0xff) << 56;
        s.v3 ^= b;
        s.round();
        s.v0 ^= b;
        s.v2 ^= 0xff;
        s.round();
        s.round();
        s.round();
        return s.v0 ^ s.v1 ^ s.v2 ^ s.v3;
    }

private:
    constexpr void round() {
        v0 += v1; v1 = std::rotl(v1, 13); v1 ^= v0; v0 = std::rotl(v0, 32);
        v2 += v3; v3 = std::rotl(v3, 16); v3 ^= v2;
        v0 += v3; v3 = std::rotl(v3, 21); v3 ^= v0;
        v2 += v1; v1 = std::rotl(v1, 17); v1 ^= v2; v2 = std::rotl(v2, 32);
    }

    uint64_t v0 = 0x736f6d6570736575ULL;
    uint64_t v1 = 0x646f72616e646f6dULL;
    uint64_t v2 = 0x6c7967656e657261ULL;
    uint64_t v3 = 0x7465646279746573ULL;
    uint64_t words = 0;
};

#if defined(VEMO_HAVE_SIP13_X4)

// Whether this processor (and its operating system) runs AVX2 code.
inline bool cpu_has_avx2() {
    static const bool yes = __builtin_cpu_supports("avx2");
    return yes;
}

namespace detail {

// For AVX2 helpers that inline into AVX2 functions only.
#define VEMO_AVX2 __attribute__((target("avx2"), always_inline)) inline

VEMO_AVX2 __m256i sip_rotl(__m256i x, int b) {
    return _mm256_or_si256(_mm256_slli_epi64(x, b), _mm256_srli_epi64(x, 64 - b));
}
VEMO_AVX2 __m256i sip_rotl16(__m256i x) {
    const __m256i m = _mm256_setr_epi8(6, 7, 0, 1, 2, 3, 4, 5, 14, 15, 8, 9, 10, 11, 12, 13,  //
                                       6, 7, 0, 1, 2, 3, 4, 5, 14, 15, 8, 9, 10, 11, 12, 13);
    return _mm256_shuffle_epi8(x, m);
}
VEMO_AVX2 __m256i sip_rotl32(__m256i x) { return _mm256_shuffle_epi32(x, 0xb1); }

struct Sip13x4 {
    __m256i v0, v1, v2, v3;

    VEMO_AVX2 void round() {
        v0 = _mm256_add_epi64(v0, v1); v1 = sip_rotl(v1, 13); v1 = _mm256_xor_si256(v1, v0); v0 = sip_rotl32(v0);
        v2 = _mm256_add_epi64(v2, v3); v3 = sip_rotl16(v3); v3 = _mm256_xor_si256(v3, v2);
        v0 = _mm256_add_epi64(v0, v3); v3 = sip_rotl(v3, 21); v3 = _mm256_xor_si256(v3, v0);
        v2 = _mm256_add_epi64(v2, v1); v1 = sip_rotl(v1, 17); v1 = _mm256_xor_si256(v1, v2); v2 = sip_rotl32(v2);
    }
    VEMO_AVX2 void block(__m256i m) {
        v3 = _mm256_xor_si256(v3, m);
        round();
        v0 = _mm256_xor_si256(v0, m);
    }
    VEMO_AVX2 static Sip13x4 start() {
        return {_mm256_set1_epi64x(0x736f6d6570736575LL), _mm256_set1_epi64x(0x646f72616e646f6dLL),
                _mm256_set1_epi64x(0x6c7967656e657261LL), _mm256_set1_epi64x(0x7465646279746573LL)};
    }
    // The hashes after `words` words.
    VEMO_AVX2 __m256i finish(size_t words) {
        block(_mm256_set1_epi64x(static_cast<long long>((words * 8 & 0xff) << 56)));
        v2 = _mm256_xor_si256(v2, _mm256_set1_epi64x(0xff));
        round();
        round();
        round();
        return _mm256_xor_si256(_mm256_xor_si256(v0, v1), _mm256_xor_si256(v2, v3));
    }
};

}  // namespace detail

// The hashes of four word sequences of 2n words each, sequence l being the
// n words at x[l] followed by the n words at z[l], in one pass of four-lane
// AVX2 code: out[l] equals the SipHasher13 hash of that sequence. Only for
// processors with cpu_has_avx2(). N: n as a constant (0: known only at run
// time).
template <size_t N = 0>
__attribute__((target("avx2"))) void sip13_x4(const uint64_t* const x[4], const uint64_t* const z[4], size_t n,
                                              uint64_t out[4]) {
    if constexpr (N != 0) n = N;
    detail::Sip13x4 s = detail::Sip13x4::start();
    for (const auto* m : {x, z})
        for (size_t k = 0; k < n; ++k)
            s.block(_mm256_set_epi64x(static_cast<long long>(m[3][k]), static_cast<long long>(m[2][k]),
                                      static_cast<long long>(m[1][k]), static_cast<long long>(m[0][k])));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), s.finish(2 * n));
}

// The hashes of four two-word sequences (lane l: a[l], b[l]).
VEMO_AVX2 __m256i sip13_x4_two_words(__m256i a, __m256i b) {
    detail::Sip13x4 s = detail::Sip13x4::start();
    s.block(a);
    s.block(b);
    return s.finish(2);
}


#endif  // VEMO_HAVE_SIP13_X4

}  // namespace vemo
