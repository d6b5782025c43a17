// Row-major tables of 64-bit words: the storage under every component list.
#pragma once

#include <algorithm>
#include <cstdint>
#include <expected>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "core/base/bits.hpp"
#include "core/base/checked.hpp"
#include "core/base/errors.hpp"
#include "core/container/huge_alloc.hpp"
#include "core/utils/bincode.hpp"
#include "core/utils/memory.hpp"

namespace vemo {

class Table {
public:
    // a * b words, refused (AllocationRefusedError, a std::bad_alloc) when they do not fit in memory;
    // within the `held` words of a buffer's capacity, admitted at once.
    static uint64_t checked_words(uint64_t a, uint64_t b, uint64_t held = 0) {
        return guard_allocation("a table of 64-bit words", count_product(a, b), sizeof(uint64_t), held);
    }

    Table() = default;
    // An all-zero table.
    Table(uint64_t words_per_row, uint64_t n_rows)
        : data_(checked_words(words_per_row, n_rows), 0), words_per_row_(words_per_row), n_rows_(n_rows) {}

    // Adopts words laid out row-major; the length must be words_per_row * n_rows.
    static std::expected<Table, std::string> from_data(LargeVec<uint64_t> data, uint64_t words_per_row,
                                                       uint64_t n_rows) {
        if (checked_mul(words_per_row, n_rows) != data.size())
            return std::unexpected("Table of " + std::to_string(n_rows) + " rows of " + std::to_string(words_per_row) +
                                   " words cannot hold " + std::to_string(data.size()) + " words.");
        Table t;
        t.data_ = std::move(data);
        t.words_per_row_ = words_per_row;
        t.n_rows_ = n_rows;
        return t;
    }

    uint64_t words_per_row() const { return words_per_row_; }
    uint64_t n_rows() const { return n_rows_; }
    std::span<const uint64_t> data() const { return data_; }
    std::span<uint64_t> data_mut() { return data_; }

    std::span<const uint64_t> row(uint64_t r) const {
        check_row(r);
        return {data_.data() + r * words_per_row_, words_per_row_};
    }
    std::span<uint64_t> row_mut(uint64_t r) {
        check_row(r);
        return {data_.data() + r * words_per_row_, words_per_row_};
    }
    std::span<const uint64_t> operator[](uint64_t r) const { return row(r); }
    std::span<uint64_t> operator[](uint64_t r) { return row_mut(r); }

    void clear_row(uint64_t r) { std::ranges::fill(row_mut(r), uint64_t{0}); }

    // Row count becomes m: rows beyond m are dropped, new rows are zero.
    void resize(uint64_t m) {
        data_.resize(checked_words(words_per_row_, m, data_.capacity()), 0);
        n_rows_ = m;
    }
    void reserve(uint64_t m) { data_.reserve(checked_words(words_per_row_, m, data_.capacity())); }
    void push_zero_row() { resize(one_more_row(n_rows_)); }

    // The last row moves into row i; the table shrinks by one row. An index at or
    // beyond the last row removes the last row; an empty table stays empty.
    void pop_and_swap(uint64_t i) {
        if (n_rows_ == 0) return;
        const uint64_t last = n_rows_ - 1;
        if (i < last)
            std::copy_n(data_.begin() + last * words_per_row_, words_per_row_, data_.begin() + i * words_per_row_);
        --n_rows_;
        data_.resize(n_rows_ * words_per_row_);
    }

    // Every row keeps its first min(old, w) words; added words are zero. In place:
    // forward copies when shrinking, backward when growing.
    void reformat(uint64_t w) {
        const uint64_t old = words_per_row_;
        if (w == old) return;
        if (w < old) {
            for (uint64_t r = 0; r < n_rows_; ++r)
                std::copy_n(data_.begin() + r * old, w, data_.begin() + r * w);
            data_.resize(n_rows_ * w);
        } else {
            data_.resize(checked_words(w, n_rows_), 0);
            for (uint64_t r = n_rows_; r-- > 0;) {
                auto src = data_.begin() + r * old;
                auto dst = data_.begin() + r * w;
                std::copy_backward(src, src + old, dst + old);
                std::fill(dst + old, dst + w, uint64_t{0});
            }
        }
        words_per_row_ = w;
    }

    bool operator==(const Table&) const = default;

    // Data (length first), words per row, row count.
    template <class Sink>
    std::expected<void, bincode::EncodeError> encode(bincode::Encoder<Sink>& e) const {
        if (auto r = e.write_u64(data_.size()); !r) return r;
        for (uint64_t w : data_)
            if (auto r = e.write_u64(w); !r) return r;
        if (auto r = e.write_u64(words_per_row_); !r) return r;
        return e.write_u64(n_rows_);
    }

    // Refuses a data length other than words per row times row count, so that
    // row access on a decoded table stays in bounds.
    template <class Source>
    static std::expected<Table, bincode::DecodeError> decode(bincode::Decoder<Source>& d) {
        auto len = d.read_u64();
        if (!len) return std::unexpected(len.error());
        // Grows as words arrive: no allocation is sized by a length read from the input.
        LargeVec<uint64_t> data;
        for (uint64_t k = 0; k < *len; ++k) {
            auto w = d.read_u64();
            if (!w) return std::unexpected(w.error());
            bincode::push_arriving(data, *w, "a table of 64-bit words", *len);
        }
        auto wpr = d.read_u64();
        if (!wpr) return std::unexpected(wpr.error());
        auto rows = d.read_u64();
        if (!rows) return std::unexpected(rows.error());
        auto t = from_data(std::move(data), *wpr, *rows);
        if (!t) return std::unexpected(bincode::DecodeError::inconsistent(t.error()));
        return std::move(*t);
    }

private:
    void check_row(uint64_t r) const {
        if (r >= n_rows_) index_failure("Table row access", r, n_rows_, OutOfBoundsKind::Row);
    }

    LargeVec<uint64_t> data_;
    uint64_t words_per_row_ = 0;
    uint64_t n_rows_ = 0;
};

}  // namespace vemo
