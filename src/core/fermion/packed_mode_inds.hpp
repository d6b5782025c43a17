// Rows of small unsigned integers packed into 64-bit words, a fixed number of
// slots per row. No slot straddles two words, so a slot is one shift and mask.
#pragma once

#include <bit>
#include <cstdint>
#include <span>
#include <vector>

#include "core/base/checked.hpp"
#include "core/base/errors.hpp"
#include "core/container/table.hpp"

namespace vemo::fermion {

// Width of one packed index for a space of n_modes modes.
constexpr uint64_t index_bits_for(uint64_t n_modes) { return n_modes >= 2 ? std::bit_width(n_modes - 1) : 1; }

class PackedModeInds {
public:
    PackedModeInds() : PackedModeInds(0, 0) {}
    PackedModeInds(uint64_t n_modes, uint64_t max_len) : n_bits_(index_bits_for(n_modes)) {
        if (n_bits_ < 1 || n_bits_ > 64) internal_failure("n_bits must be in 1..=64");
        per_word_ = 64 / n_bits_;
        table_ = Table(words_for(max_len, per_word_), 0);
    }

    uint64_t n_bits() const { return n_bits_; }
    uint64_t slots_per_word() const { return per_word_; }
    uint64_t words_per_row() const { return table_.words_per_row(); }
    uint64_t n_rows() const { return table_.n_rows(); }
    // Slots one row can hold (at least the max_len it was made for); saturates.
    uint64_t capacity() const { return saturating_mul(words_per_row(), per_word_); }
    uint64_t mask() const { return n_bits_ == 64 ? ~uint64_t{0} : (uint64_t{1} << n_bits_) - 1; }
    const Table& table() const { return table_; }

    std::span<const uint64_t> row(uint64_t r) const { return table_.row(r); }
    std::span<uint64_t> row_mut(uint64_t r) { return table_.row_mut(r); }

    // Slot j of a row; j below capacity().
    uint64_t get_in(std::span<const uint64_t> row, uint64_t j) const {
        return (row[j / per_word_] >> ((j % per_word_) * n_bits_)) & mask();
    }
    uint64_t get(uint64_t r, uint64_t j) const { return get_in(row(r), j); }
    // ORs v into slot j, unmasked: callers pass v below 2^n_bits.
    void or_in(std::span<uint64_t> row, uint64_t j, uint64_t v) const {
        row[j / per_word_] |= v << ((j % per_word_) * n_bits_);
    }

    void push_zero_row() { table_.push_zero_row(); }
    // Appends one row holding inds in slots 0, 1, ...
    void push_vec(std::span<const uint64_t> inds) {
        if (inds.size() > capacity()) internal_failure("push_vec: more indices than slots in a row");
        push_zero_row();
        auto w = row_mut(n_rows() - 1);
        for (uint64_t j = 0; j < inds.size(); ++j) or_in(w, j, inds[j]);
    }
    std::vector<uint64_t> read_row(uint64_t r, uint64_t count) const {
        if (count > capacity()) internal_failure("read_row: more indices than slots in a row");
        auto w = row(r);
        std::vector<uint64_t> out(count);
        for (uint64_t j = 0; j < count; ++j) out[j] = get_in(w, j);
        return out;
    }

    void resize(uint64_t n) { table_.resize(n); }
    void reserve(uint64_t n) { table_.reserve(n); }
    void pop_and_swap(uint64_t i) { table_.pop_and_swap(i); }

    bool operator==(const PackedModeInds&) const = default;

private:
    Table table_;
    uint64_t n_bits_ = 1;
    uint64_t per_word_ = 64;
};

}  // namespace vemo::fermion
