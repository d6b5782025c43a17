// Words of 64 bits: how many hold n items, the first word of a row, and the
// walk over the set bits of a word or of a row of words.
#pragma once

#include <bit>
#include <cstdint>
#include <span>

namespace vemo {

// ceil(n / per_word) without the overflow of (n + per_word - 1) / per_word.
constexpr uint64_t words_for(uint64_t n, uint64_t per_word = 64) { return n / per_word + (n % per_word != 0); }

// Word 0 of a row, 0 for a row of no words (a space of no modes).
inline uint64_t first_word(std::span<const uint64_t> w) { return w.empty() ? 0 : w[0]; }

// f(b) for every set bit b of w, ascending.
template <class F>
[[gnu::always_inline]] inline void for_each_set_bit(uint64_t w, F&& f) {
    for (; w; w &= w - 1) f(static_cast<uint64_t>(std::countr_zero(w)));
}

// f(k) for every set position k = 64 t + b of a row (bit b of word t), ascending.
template <class F>
inline void for_each_set_position(std::span<const uint64_t> row, F&& f) {
    for (uint64_t t = 0; t < row.size(); ++t) for_each_set_bit(row[t], [&](uint64_t b) { f(t * 64 + b); });
}

}  // namespace vemo
