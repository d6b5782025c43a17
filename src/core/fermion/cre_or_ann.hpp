// One plane of normal-ordered fermion products: the creation sets or the
// annihilation sets, one bit row per component (mode m is bit m % 64 of word
// m / 64; bits at the mode count and above stay zero).
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "core/base/bits.hpp"
#include "core/container/bit_matrix.hpp"
#include "core/container/word_iters.hpp"
#include "core/fermion/mode.hpp"
#include "core/fermion/springs.hpp"

namespace vemo::fermion::normal::cre_or_ann {

// Prints the set bits of a row as "F<m>" items ("F<m>^" on the creation plane),
// ascending, joined by blanks, after `out`'s existing text.
inline void append_row_text(std::string& out, std::span<const uint64_t> row, bool is_creation) {
    bool first = true;
    for_each_set_position(row, [&](uint64_t m) {
        if (!first) out += ' ';
        first = false;
        append_ladder_op(out, m, is_creation);
    });
}

inline uint64_t popcount_row(std::span<const uint64_t> row) {
    uint64_t c = 0;
    for (uint64_t w : row) c += static_cast<uint64_t>(std::popcount(w));
    return c;
}

// |a & b' & c'| over the shortest of the three rows, where b' is ~b when
// negate_b is set (c' likewise): how many modes one operand's sets share with,
// or keep apart from, another's.
inline uint64_t triple_hamming_weight(std::span<const uint64_t> a, std::span<const uint64_t> b,
                                      std::span<const uint64_t> c, bool negate_b, bool negate_c) {
    const size_t w = std::min({a.size(), b.size(), c.size()});
    const uint64_t fb = negate_b ? ~uint64_t{0} : 0, fc = negate_c ? ~uint64_t{0} : 0;
    uint64_t n = 0;
    for (size_t k = 0; k < w; ++k) n += static_cast<uint64_t>(std::popcount(a[k] & (b[k] ^ fb) & (c[k] ^ fc)));
    return n;
}

class CmpntList {
public:
    CmpntList() : CmpntList(Modes(), false) {}
    CmpntList(Modes modes, bool is_creation) : modes_(modes), plane_(0, modes.len()), is_creation_(is_creation) {}

    const Modes& modes() const { return modes_; }
    bool is_creation() const { return is_creation_; }
    const BitMatrix& matrix() const { return plane_; }
    BitMatrix& matrix_mut() { return plane_; }
    uint64_t words_per_row() const { return plane_.words_per_row(); }

    std::span<const uint64_t> row(uint64_t i) const { return plane_.row(i); }
    std::span<uint64_t> row_mut(uint64_t i) { return plane_.row_mut(i); }
    uint64_t popcount(uint64_t i) const { return popcount_row(row(i)); }

    // ---- component-list operations ----
    uint64_t size() const { return plane_.n_rows(); }
    Words elem_u64it(uint64_t i) const { return Words(row(i)); }
    MutWords elem_u64it_mut(uint64_t i) { return MutWords(row_mut(i)); }
    void resize(uint64_t n) { plane_.resize(n); }
    void reserve(uint64_t n) { plane_.reserve(n); }
    void pop_and_swap(uint64_t i) { plane_.pop_and_swap(i); }
    std::string fmt_elem(uint64_t i) const {
        std::string s;
        append_row_text(s, row(i), is_creation_);
        return s;
    }
    CmpntList empty_clone() const { return CmpntList(modes_, is_creation_); }

    // Exchanges every row with the other plane's (same space): O(1).
    void swap_rows_with(CmpntList& other) {
        if (other.modes_ != modes_) internal_failure("swap_rows_with: planes on different mode spaces");
        std::swap(plane_, other.plane_);
    }

    bool operator==(const CmpntList&) const = default;

private:
    Modes modes_;
    BitMatrix plane_;
    bool is_creation_ = false;
};

static_assert(WordIters<CmpntList>);

}  // namespace vemo::fermion::normal::cre_or_ann
