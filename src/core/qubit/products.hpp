// The algebra of Pauli strings on their packed x and z planes: products with
// phases, commutation, and the action on computational basis states. Every
// loop works on whole 64-bit words; a phase k stands for the factor i^k.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>

#include "core/base/bits.hpp"

namespace vemo::qubit::pauli {

// Read-only and writable views of one Pauli string's two planes.
struct PauliWords {
    std::span<const uint64_t> x, z;
};
struct PauliMutWords {
    std::span<uint64_t> x, z;
    operator PauliWords() const { return {x, z}; }
};

namespace detail {

// Anticommuting lanes of the word pair: positions where exactly one of the
// cross products x1 z2, z1 x2 is set.
constexpr uint64_t anti_lanes(uint64_t x1, uint64_t z1, uint64_t x2, uint64_t z2) {
    return (x1 & z2) ^ (z1 & x2);
}

// Among the anticommuting lanes, those of the pairs (Y, X), (Z, Y), (X, Z),
// whose single-qubit product carries -i; the others, (X, Y), (Y, Z), (Z, X), carry +i.
constexpr uint64_t backward_lanes(uint64_t x1, uint64_t z1, uint64_t x2, uint64_t z2, uint64_t anti) {
    return anti & (x1 ^ x2 ^ z1 ^ z2 ^ (x1 & z2));
}

// F + 3B over one word: every anticommuting lane adds 1, a backward one 2 more.
constexpr uint32_t word_phase_count(uint64_t x1, uint64_t z1, uint64_t x2, uint64_t z2) {
    const uint64_t anti = anti_lanes(x1, z1, x2, z2);
    return static_cast<uint32_t>(std::popcount(anti) + 2 * std::popcount(backward_lanes(x1, z1, x2, z2, anti)));
}

// Per-lane phase counters modulo 4 (lo and hi bit of each lane): adding the
// lanes' shares word by word defers all population counts to the end.
struct LaneCounter {
    uint64_t lo = 0, hi = 0;
    // Adds 1 on the anticommuting lanes, 3 on the backward ones among them.
    constexpr void add(uint64_t x1, uint64_t z1, uint64_t x2, uint64_t z2) {
        const uint64_t anti = anti_lanes(x1, z1, x2, z2);
        const uint64_t back = backward_lanes(x1, z1, x2, z2, anti);
        hi ^= back ^ (lo & anti);
        lo ^= anti;
    }
    constexpr uint32_t phase() const { return static_cast<uint32_t>(std::popcount(lo) + 2 * std::popcount(hi)) & 3; }
};

// dst := a * b over w words; no output word may alias an input word.
inline uint32_t mul_kernel(uint64_t* __restrict dx, uint64_t* __restrict dz, const uint64_t* __restrict ax,
                           const uint64_t* __restrict az, const uint64_t* __restrict bx,
                           const uint64_t* __restrict bz, size_t w) {
    LaneCounter k;
    for (size_t i = 0; i < w; ++i) {
        const uint64_t x1 = ax[i], z1 = az[i], x2 = bx[i], z2 = bz[i];
        k.add(x1, z1, x2, z2);
        dx[i] = x1 ^ x2;
        dz[i] = z1 ^ z2;
    }
    return k.phase();
}

inline bool overlaps(std::span<const uint64_t> a, std::span<const uint64_t> b) {
    return !a.empty() && !b.empty() && a.data() < b.data() + b.size() && b.data() < a.data() + a.size();
}

inline size_t common_words(PauliWords a, PauliWords b) {
    return std::min({a.x.size(), a.z.size(), b.x.size(), b.z.size()});
}

}  // namespace detail

// The phase k (0..3) of one word's share of the product left * right.
constexpr uint32_t mul_op_op_phase_u64(uint64_t x1, uint64_t z1, uint64_t x2, uint64_t z2) {
    return detail::word_phase_count(x1, z1, x2, z2) & 3;
}

// The phase k (0..3) of one word's share of the string (x, z) acting on the
// basis state s: Y lanes give i or -i, Z lanes on |1> give -1.
constexpr uint32_t mul_op_state_phase_u64(uint64_t x, uint64_t z, uint64_t s) {
    return static_cast<uint32_t>(std::popcount(x & z) + 2 * std::popcount(z & s)) & 3;
}

// Phase of lhs * rhs over their common words; nothing is written.
inline uint32_t phase_of_mul(PauliWords lhs, PauliWords rhs) {
    const size_t w = detail::common_words(lhs, rhs);
    detail::LaneCounter k;
    for (size_t i = 0; i < w; ++i) k.add(lhs.x[i], lhs.z[i], rhs.x[i], rhs.z[i]);
    return k.phase();
}

// Whether the two strings commute: an even number of anticommuting positions.
inline bool commutes_with(PauliWords a, PauliWords b) {
    const size_t w = detail::common_words(a, b);
    uint64_t acc = 0;
    for (size_t i = 0; i < w; ++i) acc ^= detail::anti_lanes(a.x[i], a.z[i], b.x[i], b.z[i]);
    return (std::popcount(acc) & 1) == 0;
}

// dst := lhs * rhs, returning the phase taken from the operands before the write.
inline uint32_t assign_mul(PauliMutWords dst, PauliWords lhs, PauliWords rhs) {
    const size_t w = std::min(detail::common_words(lhs, rhs), std::min(dst.x.size(), dst.z.size()));
    const PauliWords d = dst;
    using detail::overlaps;
    // Long strings take the vectorisable kernel when nothing aliases.
    if (w >= 8 && !overlaps(d.x, lhs.x) && !overlaps(d.x, lhs.z) && !overlaps(d.x, rhs.x) && !overlaps(d.x, rhs.z) &&
        !overlaps(d.z, lhs.x) && !overlaps(d.z, lhs.z) && !overlaps(d.z, rhs.x) && !overlaps(d.z, rhs.z))
        return detail::mul_kernel(dst.x.data(), dst.z.data(), lhs.x.data(), lhs.z.data(), rhs.x.data(),
                                  rhs.z.data(), w);
    detail::LaneCounter k;
    for (size_t i = 0; i < w; ++i) {
        const uint64_t x1 = lhs.x[i], z1 = lhs.z[i], x2 = rhs.x[i], z2 = rhs.z[i];
        k.add(x1, z1, x2, z2);
        dst.x[i] = x1 ^ x2;
        dst.z[i] = z1 ^ z2;
    }
    return k.phase();
}

// self := self * other, returning the phase. The phase comes from the words as
// they were before the write, so other may be self (giving the identity, k = 0).
inline uint32_t imul(PauliMutWords self, PauliWords other) { return assign_mul(self, self, other); }

// self := self XOR other in both planes (the product's matrix without its phase).
inline void imul_matrices(PauliMutWords self, PauliWords other) {
    const size_t w = detail::common_words(self, other);
    for (size_t i = 0; i < w; ++i) {
        self.x[i] ^= other.x[i];
        self.z[i] ^= other.z[i];
    }
}

// dst := op applied to src (dst's words beyond the common count unchanged).
inline uint32_t assign_mul_state(std::span<uint64_t> dst, std::span<const uint64_t> src, PauliWords op) {
    const size_t w = std::min({dst.size(), src.size(), op.x.size(), op.z.size()});
    uint32_t k = 0;
    for (size_t i = 0; i < w; ++i) {
        const uint64_t s = src[i];
        k += static_cast<uint32_t>(std::popcount(op.x[i] & op.z[i]) + 2 * std::popcount(op.z[i] & s));
        dst[i] = s ^ op.x[i];
    }
    return k & 3;
}

// The string acting on a basis state in place: s := s XOR x, returning the
// phase from the state before the write. Works over the common word count.
inline uint32_t imul_state(std::span<uint64_t> state, PauliWords op) { return assign_mul_state(state, state, op); }

// The one-word action: (s XOR x0, k) from word 0 of the planes; a string
// without words (0 qubits) reads its missing words as 0 and acts as the identity.
inline std::pair<uint64_t, uint32_t> mul_state_u64(PauliWords op, uint64_t s) {
    const uint64_t x = first_word(op.x);
    const uint64_t z = first_word(op.z);
    return {s ^ x, mul_op_state_phase_u64(x, z, s)};
}

}  // namespace vemo::qubit::pauli
