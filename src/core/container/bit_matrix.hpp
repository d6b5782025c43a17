// Bit matrices: a word table with a bit count per row. Bit k of a row is bit
// k % 64 of word k / 64; bits at or beyond the bit count stay zero. Every
// component list stores its parts in these; each row is one element.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <expected>
#include <initializer_list>
#include <iterator>
#include <new>
#include <ranges>
#include <span>
#include <string>
#include <vector>

#include "core/base/bits.hpp"
#include "core/base/checked.hpp"
#include "core/base/errors.hpp"
#include "core/container/table.hpp"
#include "core/container/word_iters.hpp"
#include "core/utils/bincode.hpp"
#include "core/utils/memory.hpp"

namespace vemo {

// A dense row-major matrix of 0/1 bytes (the binding hands it to NumPy).
struct U8Matrix {
    std::vector<uint8_t> data;
    uint64_t n_rows = 0;
    uint64_t n_cols = 0;
    uint8_t at(uint64_t r, uint64_t c) const { return data[r * n_cols + c]; }
    bool operator==(const U8Matrix&) const = default;
};

class BitMatrix;

// A read view of one row.
struct BitRowRef {
    const BitMatrix* matrix;
    uint64_t row;

    std::expected<bool, OutOfBounds> get(uint64_t k) const;
    bool get_bit_unchecked(uint64_t k) const;
    // The indices of the set bits, ascending.
    std::vector<uint64_t> to_set() const;
    std::span<const uint64_t> words() const;
};

// A writable view of one row.
struct BitRowMutRef {
    BitMatrix* matrix;
    uint64_t row;

    BitRowRef as_ref() const { return {matrix, row}; }
    std::expected<void, OutOfBounds> set_bit(uint64_t k, bool value) const;
    std::span<uint64_t> words() const;
};

class BitMatrix {
public:
    BitMatrix() = default;
    // An all-zero matrix.
    BitMatrix(uint64_t n_rows, uint64_t n_bits) : table_(words_for(n_bits), n_rows), n_bits_(n_bits) {}

    // Adopts a table whose width fits n_bits and whose bits beyond n_bits are zero.
    static std::expected<BitMatrix, std::string> from_table(Table table, uint64_t n_bits) {
        if (table.words_per_row() != words_for(n_bits))
            return std::unexpected("Bit matrix of " + std::to_string(n_bits) + " bits per row needs " +
                                   std::to_string(words_for(n_bits)) + " words per row, not " +
                                   std::to_string(table.words_per_row()) + ".");
        BitMatrix m;
        m.table_ = std::move(table);
        m.n_bits_ = n_bits;
        if (const uint64_t mask = m.last_word_mask(); mask != ~uint64_t{0})
            for (uint64_t r = 0; r < m.n_rows(); ++r)
                if (m.table_.row(r).back() & ~mask)
                    return std::unexpected("Bit matrix row " + std::to_string(r) + " has bits set beyond its " +
                                           std::to_string(n_bits) + " bits.");
        return m;
    }

    uint64_t n_rows() const { return table_.n_rows(); }
    uint64_t n_bits() const { return n_bits_; }
    uint64_t words_per_row() const { return table_.words_per_row(); }
    const Table& table() const { return table_; }
    // All rows' words, row-major, for kernels that walk rows by pointer;
    // writers keep the bits beyond the bit count zero.
    std::span<const uint64_t> data() const { return table_.data(); }
    std::span<uint64_t> data_mut() { return table_.data_mut(); }

    std::span<const uint64_t> row(uint64_t r) const { return table_.row(r); }
    std::span<uint64_t> row_mut(uint64_t r) { return table_.row_mut(r); }
    BitRowRef row_ref(uint64_t r) const { return {this, r}; }
    BitRowMutRef row_mut_ref(uint64_t r) { return {this, r}; }

    void clear_row(uint64_t r) { table_.clear_row(r); }
    void push_zero_row() { table_.push_zero_row(); }
    void reserve(uint64_t rows) { table_.reserve(rows); }

    // ---- component-list operations: one element per row ----
    uint64_t size() const { return n_rows(); }
    Words elem_u64it(uint64_t i) const { return Words(row(i)); }
    MutWords elem_u64it_mut(uint64_t i) { return MutWords(row_mut(i)); }
    void resize(uint64_t m) { table_.resize(m); }
    void pop_and_swap(uint64_t i) { table_.pop_and_swap(i); }
    BitMatrix empty_clone() const { return BitMatrix(0, n_bits_); }
    std::string fmt_elem(uint64_t i) const {
        const auto w = row(i);
        std::string s;
        s.reserve(n_bits_ < (uint64_t{1} << 20) ? 2 + 3 * n_bits_ : 0);
        s += '[';
        for (uint64_t k = 0; k < n_bits_; ++k) {
            if (k) s += ", ";
            s += ((w[k / 64] >> (k % 64)) & 1) ? '1' : '0';
        }
        s += ']';
        return s;
    }

    // ---- bit access ----
    // No check against the bit count; a bit beyond the row's words is a bug.
    bool get_bit_unchecked(uint64_t r, uint64_t k) const {
        const auto w = row(r);
        if (k / 64 >= w.size()) bit_failure(k);
        return (w[k / 64] >> (k % 64)) & 1;
    }
    void set_bit_unchecked(uint64_t r, uint64_t k, bool v) {
        const auto w = row_mut(r);
        if (k / 64 >= w.size()) bit_failure(k);
        const uint64_t b = uint64_t{1} << (k % 64);
        w[k / 64] = v ? (w[k / 64] | b) : (w[k / 64] & ~b);
    }

    // Row r becomes exactly the given bit indices. Both checks come before any
    // change; an empty set is valid on every matrix, 0 bits per row included.
    template <std::ranges::forward_range R>
    std::expected<void, OutOfBounds> assign_set(uint64_t r, const R& bits) {
        if (auto c = check_bounds(r, n_rows(), OutOfBoundsKind::Row); !c) return c;
        bool any = false;
        uint64_t m = 0;
        for (auto&& k : bits) {
            m = any ? std::max<uint64_t>(m, static_cast<uint64_t>(k)) : static_cast<uint64_t>(k);
            any = true;
        }
        if (any)
            if (auto c = check_bounds(m, n_bits_, OutOfBoundsKind::Bit); !c) return c;
        const auto w = row_mut(r);
        std::ranges::fill(w, uint64_t{0});
        for (auto&& k : bits) {
            const auto u = static_cast<uint64_t>(k);
            w[u / 64] |= uint64_t{1} << (u % 64);
        }
        return {};
    }
    std::expected<void, OutOfBounds> assign_set(uint64_t r, std::initializer_list<uint64_t> bits) {
        return assign_set<std::initializer_list<uint64_t>>(r, bits);
    }

    // Row r gets bit k set for every true flag k. A list longer than the row is
    // refused even when its surplus flags are false; an empty list is valid.
    template <std::ranges::forward_range R>
    std::expected<void, OutOfBounds> assign_vec(uint64_t r, const R& flags) {
        if (auto c = check_bounds(r, n_rows(), OutOfBoundsKind::Row); !c) return c;
        const auto len = static_cast<uint64_t>(std::ranges::distance(flags));
        if (len != 0)
            if (auto c = check_bounds(len - 1, n_bits_, OutOfBoundsKind::Bit); !c) return c;
        const auto w = row_mut(r);
        std::ranges::fill(w, uint64_t{0});
        uint64_t k = 0;
        for (auto&& f : flags) {
            if (static_cast<bool>(f)) w[k / 64] |= uint64_t{1} << (k % 64);
            ++k;
        }
        return {};
    }
    std::expected<void, OutOfBounds> assign_vec(uint64_t r, std::initializer_list<bool> flags) {
        return assign_vec<std::initializer_list<bool>>(r, flags);
    }

    // New bit count b2: bits below min(old, b2) keep their values, all others are zero.
    void reformat(uint64_t b2) {
        const uint64_t w2 = words_for(b2);
        if (b2 >= n_bits_ && w2 == words_per_row()) {
            n_bits_ = b2;
            return;
        }
        mask_last_words();
        table_.reformat(w2);
        n_bits_ = b2;
        mask_last_words();
    }

    U8Matrix to_matrix() const {
        U8Matrix out;
        out.n_rows = n_rows();
        out.n_cols = n_bits_;
        out.data.resize(guard_allocation("a matrix of bytes", count_product(out.n_rows, out.n_cols), 1));
        uint8_t* p = out.data.data();
        for (uint64_t r = 0; r < n_rows(); ++r) {
            const auto w = row(r);
            for (uint64_t k = 0; k < n_bits_; ++k) *p++ = static_cast<uint8_t>((w[k / 64] >> (k % 64)) & 1);
        }
        return out;
    }

    bool operator==(const BitMatrix&) const = default;

    // The table, then the bits per row.
    template <class Sink>
    std::expected<void, bincode::EncodeError> encode(bincode::Encoder<Sink>& e) const {
        if (auto r = table_.encode(e); !r) return r;
        return e.write_u64(n_bits_);
    }
    // Refuses a table that does not fit the bit count, so the invariants hold.
    template <class Source>
    static std::expected<BitMatrix, bincode::DecodeError> decode(bincode::Decoder<Source>& d) {
        auto t = Table::decode(d);
        if (!t) return std::unexpected(t.error());
        auto b = d.read_u64();
        if (!b) return std::unexpected(b.error());
        auto m = from_table(std::move(*t), *b);
        if (!m) return std::unexpected(bincode::DecodeError::inconsistent(m.error()));
        return std::move(*m);
    }

private:
    // Bits of the last word of a row that lie below the bit count.
    uint64_t last_word_mask() const {
        return n_bits_ % 64 == 0 ? ~uint64_t{0} : (uint64_t{1} << (n_bits_ % 64)) - 1;
    }
    void mask_last_words() {
        const uint64_t mask = last_word_mask();
        const uint64_t w = words_per_row();
        if (mask == ~uint64_t{0} || w == 0) return;
        auto data = table_.data_mut();
        for (uint64_t r = 0; r < n_rows(); ++r) data[r * w + w - 1] &= mask;
    }
    [[noreturn]] void bit_failure(uint64_t k) const {
        internal_failure("bit access beyond the row's words: " +
                         OutOfBounds{k, words_per_row() * 64, OutOfBoundsKind::Bit}.debug());
    }

    Table table_;
    uint64_t n_bits_ = 0;
};

static_assert(WordIters<BitMatrix>);

inline std::expected<bool, OutOfBounds> BitRowRef::get(uint64_t k) const {
    if (auto c = check_bounds(row, matrix->n_rows(), OutOfBoundsKind::Row); !c) return std::unexpected(c.error());
    if (auto c = check_bounds(k, matrix->n_bits(), OutOfBoundsKind::Bit); !c) return std::unexpected(c.error());
    return matrix->get_bit_unchecked(row, k);
}
inline bool BitRowRef::get_bit_unchecked(uint64_t k) const { return matrix->get_bit_unchecked(row, k); }
inline std::span<const uint64_t> BitRowRef::words() const { return matrix->row(row); }
inline std::vector<uint64_t> BitRowRef::to_set() const {
    std::vector<uint64_t> out;
    for_each_set_position(words(), [&](uint64_t k) {
        if (k < matrix->n_bits()) out.push_back(k);
    });
    return out;
}

inline std::span<uint64_t> BitRowMutRef::words() const { return matrix->row_mut(row); }
inline std::expected<void, OutOfBounds> BitRowMutRef::set_bit(uint64_t k, bool value) const {
    if (auto c = check_bounds(row, matrix->n_rows(), OutOfBoundsKind::Row); !c) return c;
    if (auto c = check_bounds(k, matrix->n_bits(), OutOfBoundsKind::Bit); !c) return c;
    matrix->set_bit_unchecked(row, k, value);
    return {};
}

}  // namespace vemo
