// SipHash-1-3 with both keys zero over 64-bit words fed little-endian: the
// component hash. Stable across runs, processes and hosts.
#pragma once

#include <bit>
#include <cstdint>

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

}  // namespace vemo
