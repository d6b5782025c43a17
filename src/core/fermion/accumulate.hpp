// The loop that multiplies two families of normal-ordered components pair by
// pair and hands every term to a sink, and the two sinks: the scaled-add
// kernel in batches (large results), and a small accumulator that searches
// linearly while it holds few terms (the intermediate sets of normal ordering).
// Both follow the accumulation rule of the kernel exactly: a new component is
// appended, a present one has the coefficient added (c + old), and an exact
// zero removes its component by swap-removal; so the order of the result is
// the order of first arrival, changed only by those removals.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "core/container/coeffs/coeffs.hpp"
#include "core/container/map.hpp"
#include "core/container/set.hpp"
#include "core/container/table.hpp"
#include "core/container/terms.hpp"
#include "core/container/word_iters.hpp"
#include "core/fermion/normal.hpp"
#include "core/fermion/product.hpp"

namespace vemo::fermion::normal::detail {

template <class S>
S negated(const S& c) {
    return -c;
}

// Scratch space of the product loops, kept across products.
struct MulScratch {
    ProductHelper helper;
    std::vector<uint64_t> row;  // creation words then annihilation words of one term
};

// For i < n_l (outer) and j < n_r (inner): the terms of L_i R_j in row order,
// each handed to sink(words, lc(i) rc(j) or its negative). lrow(i) / rrow(j)
// give a factor's (creation, annihilation) rows of the sink's width w.
template <class LRow, class LCoeff, class RRow, class RCoeff, class Sink>
void mul_accumulate(uint64_t w, uint64_t n_l, LRow&& lrow, LCoeff&& lc, uint64_t n_r, RRow&& rrow, RCoeff&& rc,
                    MulScratch& s, Sink&& sink) {
    if (n_l == 0 || n_r == 0) return;
    s.row.resize(2 * w);
    const std::span<uint64_t> cre(s.row.data(), w), ann(s.row.data() + w, w);
    const Words words{std::span<const uint64_t>(cre), std::span<const uint64_t>(ann)};
    for (uint64_t i = 0; i < n_l; ++i) {
        const auto [lc_row, la_row] = lrow(i);
        const auto ci = lc(i);
        for (uint64_t j = 0; j < n_r; ++j) {
            const auto [rc_row, ra_row] = rrow(j);
            const uint64_t n = s.helper.prepare(lc_row, la_row, rc_row, ra_row);
            if (n == 0) continue;
            const auto c = num_mul(ci, rc(j));
            for (uint64_t r = 0; r < n; ++r) {
                const bool minus = s.helper.row(r, cre, ann);
                sink(words, minus ? negated(c) : c);
            }
        }
    }
}

// Adds terms into a term set through the kernel's batches (arrival order
// kept), staging a batch's words. Call flush() at the end.
template <FieldVec C>
class BatchedAdder {
public:
    using Scalar = typename C::Scalar;
    static constexpr uint64_t batch = ::vemo::detail::scaled_iadd_batch_size;

    // The staging buffer is made with the first term: an empty product on a
    // space of any size needs none.
    explicit BatchedAdder(const TermSetMutView<CmpntList, C>& out) : out_(out), w_(out.cmpnts.words_per_row()) {}
    BatchedAdder(const BatchedAdder&) = delete;
    BatchedAdder& operator=(const BatchedAdder&) = delete;

    void operator()(const Words& w, const Scalar& c) {
        if (words_.empty() && w_ != 0) words_.resize(Table::checked_words(batch * 2, w_));
        uint64_t* dst = words_.data() + n_ * 2 * w_;
        w.for_each([&](uint64_t x) { *dst++ = x; });
        coeffs_[n_] = c;
        if (++n_ == batch) flush();
    }

    void flush() {
        const uint64_t m = n_;
        n_ = 0;
        ::vemo::detail::scaled_iadd_batch(
            out_, m, [&](uint64_t k) { return staged(k); }, [&](uint64_t k) { return coeffs_[k]; });
    }

private:
    Words staged(uint64_t k) const {
        const uint64_t* p = words_.data() + k * 2 * w_;
        return Words(std::span<const uint64_t>(p, w_), std::span<const uint64_t>(p + w_, w_));
    }

    TermSetMutView<CmpntList, C> out_;
    uint64_t w_;
    std::vector<uint64_t> words_;
    Scalar coeffs_[batch];
    uint64_t n_ = 0;
};

// A term set for few terms: it searches its list linearly and builds its map
// only once it grows past `linear_limit` terms. Clearing keeps its storage.
template <FieldVec C>
class SmallAccum {
public:
    using Scalar = typename C::Scalar;
    static constexpr uint64_t linear_limit = 24;

    explicit SmallAccum(Modes modes) : list_(modes) {}

    const CmpntList& cmpnts() const { return list_; }
    const C& coeffs() const { return coeffs_; }
    uint64_t size() const { return list_.size(); }
    TermsView<CmpntList, C> as_terms() const { return {list_, coeffs_}; }

    void clear() {
        list_.resize(0);
        coeffs_.resize(0);
        if (mapped_) {
            map_.clear();
            mapped_ = false;
        }
    }

    void operator()(const Words& w, const Scalar& c) {
        if (!mapped_ && list_.size() >= linear_limit) {
            refresh_map(list_, map_);
            mapped_ = true;
        }
        if (mapped_) {
            scaled_iadd_u64it(TermSetMutView<CmpntList, C>{list_, map_, coeffs_}, w, c);
            return;
        }
        for (uint64_t i = 0; i < list_.size(); ++i) {
            if (!words_equal(list_.elem_u64it(i), w)) continue;
            Scalar& entry = coeffs_.at_mut(i);
            entry = c + entry;
            if (is_exact_zero(entry)) {
                list_.pop_and_swap(i);
                coeffs_.pop_and_swap(i);
            }
            return;
        }
        // Appended and at once removed again when c is exactly zero.
        if (is_exact_zero(c)) return;
        ::vemo::detail::push_term(coeffs_, [&] { list_.push_rows(w.parts[0], w.parts[1]); }, c);
    }

private:
    CmpntList list_;
    C coeffs_;
    Map map_;
    bool mapped_ = false;
};

}  // namespace vemo::fermion::normal::detail
