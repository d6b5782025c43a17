// A list of basis strings on a space: one row of a bit matrix per string, as
// many bits per row as the space is long, bits beyond that zero, new rows all
// zero. The component-list operations every basis-state list shares; the
// derived list names its space and adds what its domain means by a row.
#pragma once

#include <bit>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "core/container/bit_matrix.hpp"
#include "core/container/word_iters.hpp"
#include "core/utils/join.hpp"

namespace vemo {

template <class Space>
class BitRowList {
public:
    uint64_t words_per_row() const { return bits_.words_per_row(); }
    const BitMatrix& bits() const { return bits_; }
    // The writable matrix for row-level editing; callers keep bits beyond the row length zero.
    BitMatrix& bits_mut() { return bits_; }

    // ---- component-list operations: one element per row ----
    uint64_t size() const { return bits_.n_rows(); }
    Words elem_u64it(uint64_t i) const { return Words(bits_.row(i)); }
    MutWords elem_u64it_mut(uint64_t i) { return MutWords(bits_.row_mut(i)); }
    void resize(uint64_t m) { bits_.resize(m); }
    void reserve(uint64_t m) { bits_.reserve(m); }
    void pop_and_swap(uint64_t i) { bits_.pop_and_swap(i); }
    std::string fmt_elem(uint64_t i) const { return bits_.fmt_elem(i); }

    std::span<const uint64_t> row(uint64_t i) const { return bits_.row(i); }
    std::span<uint64_t> row_mut(uint64_t i) { return bits_.row_mut(i); }

    // The number of positions of row i whose bit equals `bit`.
    uint64_t count(uint64_t i, bool bit) const {
        uint64_t ones = 0;
        for (uint64_t w : row(i)) ones += static_cast<uint64_t>(std::popcount(w));
        return bit ? ones : bits_.n_bits() - ones;
    }

    // The rows' texts joined by ", ".
    std::string to_string() const {
        return join_texts(size(), ", ", [&](uint64_t i) { return fmt_elem(i); });
    }

    bool operator==(const BitRowList&) const = default;

protected:
    BitRowList(Space space, uint64_t n_bits) : bits_(0, n_bits), space_(std::move(space)) {}

    BitMatrix bits_;
    Space space_;
};

}  // namespace vemo
