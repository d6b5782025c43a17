// Packed vectors of 1-bit and 2-bit entries (the storage of sign and
// complex-sign coefficient vectors). Bits beyond the last entry stay zero, so
// equality and hashing can work on whole words.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <span>
#include <vector>

#include "core/base/bits.hpp"
#include "core/base/checked.hpp"
#include "core/base/errors.hpp"
#include "core/container/table.hpp"
#include "core/utils/memory.hpp"

namespace vemo {

namespace detail {

// Entries of `bits` bits each, packed from the least significant end of a word.
template <unsigned Bits>
class PackedVec {
    static_assert(Bits == 1 || Bits == 2);
    static constexpr uint64_t per_word = 64 / Bits;
    static constexpr uint64_t entry_mask = (uint64_t{1} << Bits) - 1;

public:
    PackedVec() = default;

    static PackedVec new_with_len(uint64_t n) {
        PackedVec v;
        v.resize(n);
        return v;
    }

    uint64_t size() const { return n_; }
    bool empty() const { return n_ == 0; }
    std::span<const uint64_t> words() const { return words_; }
    // For kernels that write whole words; the bits beyond the last entry stay zero.
    std::span<uint64_t> words_mut() { return words_; }

    uint8_t get_unchecked(uint64_t k) const {
        const uint64_t w = k / per_word;
        if (w >= words_.size()) storage_failure(k);
        return static_cast<uint8_t>((words_[w] >> shift(k)) & entry_mask);
    }
    // Stores v modulo 2^Bits.
    void set_unchecked(uint64_t k, uint8_t v) {
        const uint64_t w = k / per_word;
        if (w >= words_.size()) storage_failure(k);
        words_[w] = (words_[w] & ~(entry_mask << shift(k))) | ((uint64_t{v} & entry_mask) << shift(k));
    }

    void push(uint8_t v) {
        const uint64_t k = n_;
        resize(n_ + 1);
        set_unchecked(k, v);
    }

    // Truncates (clearing the dropped entries' bits) or appends zero entries.
    void resize(uint64_t n) {
        words_.resize(checked_words(n, words_.capacity()), 0);
        n_ = n;
        if (const uint64_t used = (n % per_word) * Bits; used != 0) words_.back() &= (uint64_t{1} << used) - 1;
    }
    void reserve(uint64_t n) {
        words_.reserve(checked_words(n, words_.capacity()));
    }
    // The words of n entries, refused (AllocationRefusedError) when they do not fit in memory;
    // within the `held` words of a buffer's capacity, admitted at once.
    static uint64_t checked_words(uint64_t n, uint64_t held = 0) {
        guard_allocation("a packed vector of 64-bit words", words_for(n, per_word), sizeof(uint64_t), held);
        if (n > max_entries()) throw std::bad_alloc();
        return words_for(n, per_word);
    }
    void clear() {
        words_.clear();
        n_ = 0;
    }

    // The last entry moves into slot i and the vector shrinks by one; an index
    // at or beyond the last entry removes the last entry.
    void pop_and_swap(uint64_t i) {
        if (n_ == 0) return;
        if (i < n_ - 1) set_unchecked(i, get_unchecked(n_ - 1));
        resize(n_ - 1);
    }
    void swap_entries(uint64_t i, uint64_t j) {
        const uint8_t a = get_unchecked(i);
        set_unchecked(i, get_unchecked(j));
        set_unchecked(j, a);
    }

    // Appends all entries of `other` (which may be this vector).
    void extend(const PackedVec& other) {
        const uint64_t m = other.n_;
        const uint64_t n0 = n_;
        if (m == 0) return;
        const uint64_t total = alloc_add(n0, m);
        std::vector<uint64_t> src(other.words_.begin(), other.words_.end());  // safe against aliasing
        resize(total);
        const unsigned off = static_cast<unsigned>((n0 % per_word) * Bits);
        const uint64_t base = n0 / per_word;
        for (uint64_t k = 0; k < src.size(); ++k) {
            words_[base + k] |= src[k] << off;
            if (off != 0 && base + k + 1 < words_.size()) words_[base + k + 1] |= src[k] >> (64 - off);
        }
    }

    void fill_zero() { std::ranges::fill(words_, uint64_t{0}); }

    bool operator==(const PackedVec&) const = default;

protected:
    static constexpr uint64_t max_entries() { return UINT64_MAX / Bits; }
    static constexpr unsigned shift(uint64_t k) { return static_cast<unsigned>((k % per_word) * Bits); }
    [[noreturn]] void storage_failure(uint64_t k) const {
        index_failure("packed vector access", k, n_, OutOfBoundsKind::Element);
    }

    std::vector<uint64_t> words_;
    uint64_t n_ = 0;  // number of entries
};

}  // namespace detail

// One bit per entry: entry k is bit k % 64 of word k / 64.
class BitVec : public detail::PackedVec<1> {
    using Base = detail::PackedVec<1>;

public:
    BitVec() = default;
    BitVec(Base b) : Base(std::move(b)) {}
    static BitVec new_with_len(uint64_t n) { return Base::new_with_len(n); }

    uint64_t bit_count() const { return n_; }
    bool get(uint64_t k) const { return get_unchecked(k) != 0; }
    void set(uint64_t k, bool b) { set_unchecked(k, b); }
    void push(bool b) { Base::push(b); }

    // Entry k ^= bit and true, or false (and nothing changed) when k >= size().
    bool iadd(uint64_t k, bool bit) {
        if (k >= n_) return false;
        words_[k / 64] ^= uint64_t{bit} << (k % 64);
        return true;
    }
    uint64_t count_ones() const {
        uint64_t c = 0;
        for (uint64_t w : words_) c += static_cast<uint64_t>(std::popcount(w));
        return c;
    }
    bool operator==(const BitVec&) const = default;
};

// Two bits per entry: entry k (0..3) is bits 2(k % 32), 2(k % 32) + 1 of word k / 32.
class TwoBitVec : public detail::PackedVec<2> {
    using Base = detail::PackedVec<2>;

public:
    TwoBitVec() = default;
    TwoBitVec(Base b) : Base(std::move(b)) {}
    static TwoBitVec new_with_len(uint64_t n) { return Base::new_with_len(n); }

    uint64_t bit_count() const { return 2 * n_; }
    uint8_t get(uint64_t k) const { return get_unchecked(k); }
    void set(uint64_t k, uint8_t v) { set_unchecked(k, v); }
    // Appends v & 3.
    void push(uint8_t v) { Base::push(v); }
    // Entry k becomes (entry k + v) mod 4: a product of powers of i.
    void add_unchecked(uint64_t k, uint8_t v) { set_unchecked(k, static_cast<uint8_t>(get_unchecked(k) + v)); }
    bool operator==(const TwoBitVec&) const = default;
};

}  // namespace vemo
