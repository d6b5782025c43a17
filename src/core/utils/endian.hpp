// Bit-order reversal of basis indices: the big-endian dense and sparse forms
// put mode 0 at the most significant of the n index bits.
#pragma once

#include <bit>
#include <cstdint>
#include <string>

#include "core/base/errors.hpp"

namespace vemo {

// All 64 bits of w in reverse order.
constexpr uint64_t reverse_bits(uint64_t w) {
    w = ((w >> 1) & 0x5555555555555555ULL) | ((w & 0x5555555555555555ULL) << 1);
    w = ((w >> 2) & 0x3333333333333333ULL) | ((w & 0x3333333333333333ULL) << 2);
    w = ((w >> 4) & 0x0F0F0F0F0F0F0F0FULL) | ((w & 0x0F0F0F0F0F0F0F0FULL) << 4);
    return std::byteswap(w);
}

// The low n_bit bits of w in reverse order (bit b of the result is bit
// n_bit-1-b of w); higher bits of w are ignored and those of the result are 0.
// Callers handle a space of 0 modes themselves; n_bit must be in 1..64.
constexpr uint64_t invert_endian(uint64_t w, uint64_t n_bit) {
    if (n_bit == 0 || n_bit > 64)
        internal_failure("invert_endian: bit count " + std::to_string(n_bit) + " is not in 1..64");
    return reverse_bits(w) >> (64 - n_bit);
}

}  // namespace vemo
