// Raw ladder-operator products, stored exactly as given: packed mode indices,
// creation flags and a length per product. Nothing is normal-ordered, so
// F0 F0, F1 F0^ and the empty product are all valid elements.
#pragma once

#include <cstdint>
#include <expected>
#include <ranges>
#include <span>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "core/utils/join.hpp"
#include "core/container/bit_matrix.hpp"
#include "core/base/errors.hpp"
#include "core/container/word_iters.hpp"
#include "core/fermion/mode.hpp"
#include "core/fermion/packed_mode_inds.hpp"
#include "core/fermion/springs.hpp"

namespace vemo::fermion::general {

// A raw product that cannot go into a list; a ValueError in Python.
struct ProductError {
    enum class Kind : uint8_t { LengthMismatch, TooLong, ModeOutOfBounds, NotOneCanonical };
    Kind kind = Kind::LengthMismatch;

    bool operator==(const ProductError&) const = default;
    std::string message() const {
        switch (kind) {
            case Kind::LengthMismatch: return "modes and adj must have the same length";
            case Kind::TooLong: return "operator product is longer than max_len";
            case Kind::ModeOutOfBounds: return "mode index out of bounds";
            case Kind::NotOneCanonical: return "Fermion string does not normal-order to exactly one positive component";
        }
        return {};
    }
    std::string debug() const { return message(); }
};

// The checks every product from outside passes before it is stored, in this order.
template <std::ranges::sized_range Inds>
std::expected<void, ProductError> check_general_ops(const Modes& modes, const Inds& mode_inds, uint64_t n_flags,
                                                    uint64_t max_len) {
    const auto n = static_cast<uint64_t>(std::ranges::size(mode_inds));
    if (n != n_flags) return std::unexpected(ProductError{ProductError::Kind::LengthMismatch});
    if (n > max_len) return std::unexpected(ProductError{ProductError::Kind::TooLong});
    const uint64_t m = modes.len();
    for (auto&& i : mode_inds)
        if (static_cast<uint64_t>(i) >= m) return std::unexpected(ProductError{ProductError::Kind::ModeOutOfBounds});
    return {};
}

class CmpntList {
public:
    using mismatch_error = DifferentSpaces;

    CmpntList() : CmpntList(0, Modes()) {}
    CmpntList(uint64_t max_len, Modes modes)
        : modes_(modes), mode_inds_(modes.len(), max_len), adj_(0, max_len), max_len_(max_len) {}

    const Modes& modes() const { return modes_; }
    uint64_t max_len() const { return max_len_; }
    uint64_t size() const { return lens_.size(); }
    const PackedModeInds& mode_inds() const { return mode_inds_; }
    const BitMatrix& adj() const { return adj_; }
    const std::vector<uint64_t>& lens() const { return lens_; }

    bool compatible_with(const CmpntList& o) const { return modes_ == o.modes_; }
    CmpntList empty_clone() const { return CmpntList(max_len_, modes_); }
    void reserve(uint64_t n) {
        mode_inds_.reserve(n);
        adj_.reserve(n);
        lens_.reserve(n);
    }

    // Appends one product. Preconditions (callers run check_general_ops):
    // equal lengths, at most max_len operators, every index below the mode count.
    template <std::ranges::random_access_range Inds, std::ranges::random_access_range Flags>
    void push(const Inds& inds, const Flags& flags) {
        const auto n = static_cast<uint64_t>(std::ranges::size(inds));
        if (n != static_cast<uint64_t>(std::ranges::size(flags)))
            internal_failure("modes and adj must have the same length");
        check_fits(n);
        open_row();
        write_ops(size(), 0, inds, flags);
        lens_.push_back(n);
    }
    void push(std::span<const uint64_t> inds, std::initializer_list<bool> flags) {
        push(inds, std::span<const bool>(flags.begin(), flags.size()));
    }
    // Element i becomes the product (inds, flags), under push's preconditions.
    template <std::ranges::random_access_range Inds, std::ranges::random_access_range Flags>
    void assign(uint64_t i, const Inds& inds, const Flags& flags) {
        const auto n = static_cast<uint64_t>(std::ranges::size(inds));
        if (n != static_cast<uint64_t>(std::ranges::size(flags)))
            internal_failure("modes and adj must have the same length");
        check_elem(i);
        check_fits(n);
        std::ranges::fill(mode_inds_.row_mut(i), uint64_t{0});
        adj_.clear_row(i);
        write_ops(i, 0, inds, flags);
        lens_[i] = n;
    }
    // ---- products from outside, against the capacity ----
    // The capacity is max_len, or while max_len is 0 (every product empty) the
    // new product's own length: such a list takes the length of the first
    // non-empty product set into it as its max_len, fixed from then on.

    uint64_t capacity_for(uint64_t n) const { return max_len_ ? max_len_ : n; }
    // check_general_ops against the capacity.
    template <std::ranges::sized_range Inds>
    std::expected<void, ProductError> check_product(const Inds& inds, uint64_t n_flags) const {
        return check_general_ops(modes_, inds, n_flags, capacity_for(static_cast<uint64_t>(std::ranges::size(inds))));
    }
    // Element i becomes (inds, flags), which passed check_product; the list
    // widens first when the capacity exceeds max_len.
    template <std::ranges::random_access_range Inds, std::ranges::random_access_range Flags>
    void assign_widening(uint64_t i, const Inds& inds, const Flags& flags) {
        check_elem(i);
        const uint64_t cap = capacity_for(static_cast<uint64_t>(std::ranges::size(inds)));
        if (cap != max_len_) {
            CmpntList wider(cap, modes_);
            wider.resize(size());
            *this = std::move(wider);
        }
        assign(i, inds, flags);
    }
    // Element i becomes a copy of element j of `src` (same space): TooLong, with
    // nothing changed, when the product exceeds the capacity.
    std::expected<void, ProductError> assign_elem(uint64_t i, const CmpntList& src, uint64_t j) {
        check_elem(i);
        if (src.max_len_ == max_len_) {
            assign_words(elem_u64it_mut(i), src.elem_u64it(j));
            return {};
        }
        const auto [inds, flags] = src.get(j);
        if (auto r = check_product(inds, flags.size()); !r) return r;
        assign_widening(i, inds, flags);
        return {};
    }
    // f(words) for element j of `other` (same space) written in this list's
    // layout: other's own words when the layouts agree, else those of a
    // one-product copy; TooLong, without calling f, when the product is longer
    // than max_len, so that this list cannot hold it.
    template <class F>
    auto with_elem_in_layout(const CmpntList& other, uint64_t j, F&& f) const
        -> std::expected<std::invoke_result_t<F&, Words>, ProductError> {
        if (other.max_len_ == max_len_) return f(other.elem_u64it(j));
        if (other.len_of(j) > max_len_) return std::unexpected(ProductError{ProductError::Kind::TooLong});
        CmpntList one(max_len_, modes_);
        one.push_elem(other, j);
        return f(one.elem_u64it(0));
    }

    // Appends the lhs operators followed by the rhs operators.
    template <class LI, class LF, class RI, class RF>
    void push_concat(const LI& lhs_inds, const LF& lhs_flags, const RI& rhs_inds, const RF& rhs_flags) {
        const auto p = static_cast<uint64_t>(std::ranges::size(lhs_inds));
        const auto q = static_cast<uint64_t>(std::ranges::size(rhs_inds));
        if (p != static_cast<uint64_t>(std::ranges::size(lhs_flags)))
            internal_failure("lhs modes and adj must have the same length");
        if (q != static_cast<uint64_t>(std::ranges::size(rhs_flags)))
            internal_failure("rhs modes and adj must have the same length");
        if (p > max_len_ || q > max_len_ - p) internal_failure("push_concat: product longer than max_len");
        open_row();
        write_ops(size(), 0, lhs_inds, lhs_flags);
        write_ops(size(), p, rhs_inds, rhs_flags);
        lens_.push_back(p + q);
    }
    // Appends element j of `lhs` followed by element k of `rhs`, slot by slot
    // without decoding into vectors.
    void push_concat_elems(const CmpntList& lhs, uint64_t j, const CmpntList& rhs, uint64_t k) {
        const uint64_t p = lhs.len_of(j), q = rhs.len_of(k);
        if (p > max_len_ || q > max_len_ - p) internal_failure("push_concat: product longer than max_len");
        open_row();
        const uint64_t r = size();
        auto row = mode_inds_.row_mut(r);
        auto flags = adj_.row_mut(r);
        const auto li = lhs.mode_inds_.row(j), lf = lhs.adj_.row(j);
        for (uint64_t t = 0; t < p; ++t) {
            mode_inds_.or_in(row, t, lhs.mode_inds_.get_in(li, t));
            flags[t / 64] |= ((lf[t / 64] >> (t % 64)) & 1) << (t % 64);
        }
        const auto ri = rhs.mode_inds_.row(k), rf = rhs.adj_.row(k);
        for (uint64_t t = 0; t < q; ++t) {
            const uint64_t s = p + t;
            mode_inds_.or_in(row, s, rhs.mode_inds_.get_in(ri, t));
            flags[s / 64] |= ((rf[t / 64] >> (t % 64)) & 1) << (s % 64);
        }
        lens_.push_back(p + q);
    }
    // Appends a copy of element j of a list on the same space; the product must fit max_len.
    void push_elem(const CmpntList& src, uint64_t j) {
        if (src.modes_ != modes_) internal_failure("push_elem: lists on different mode spaces");
        if (src.mode_inds_.n_bits() == mode_inds_.n_bits() && src.max_len_ == max_len_) {
            push_u64it(*this, src.elem_u64it(j));
            return;
        }
        const uint64_t n = src.len_of(j);
        check_fits(n);
        open_row();
        const uint64_t r = size();
        auto row = mode_inds_.row_mut(r);
        auto flags = adj_.row_mut(r);
        const auto si = src.mode_inds_.row(j), sf = src.adj_.row(j);
        for (uint64_t t = 0; t < n; ++t) mode_inds_.or_in(row, t, src.mode_inds_.get_in(si, t));
        for (uint64_t w = 0; w < flags.size() && w < sf.size(); ++w) flags[w] = sf[w];
        lens_.push_back(n);
    }
    template <std::ranges::input_range Ops>
    void push_ops(const Ops& ops) {
        const auto n = static_cast<uint64_t>(std::ranges::size(ops));
        check_fits(n);
        open_row();
        const uint64_t r = size();
        auto row = mode_inds_.row_mut(r);
        auto flags = adj_.row_mut(r);
        uint64_t t = 0;
        for (LadderOp op : ops) {
            mode_inds_.or_in(row, t, op.mode);
            flags[t / 64] |= uint64_t{op.is_creation} << (t % 64);
            ++t;
        }
        lens_.push_back(n);
    }

    // Element i's operators in stored order.
    uint64_t len_of(uint64_t i) const {
        check_elem(i);
        return lens_[i];
    }
    LadderOp op(uint64_t i, uint64_t j) const {
        if (j >= len_of(i)) internal_failure("general list: operator beyond the product's length");
        return {mode_inds_.get(i, j), adj_.get_bit_unchecked(i, j)};
    }
    std::pair<std::vector<uint64_t>, std::vector<bool>> get(uint64_t i) const {
        const uint64_t n = len_of(i);
        std::pair<std::vector<uint64_t>, std::vector<bool>> out{mode_inds_.read_row(i, n), std::vector<bool>(n)};
        const auto f = adj_.row(i);
        for (uint64_t j = 0; j < n; ++j) out.second[j] = (f[j / 64] >> (j % 64)) & 1;
        return out;
    }
    std::vector<LadderOp> get_ops(uint64_t i) const {
        const uint64_t n = len_of(i);
        std::vector<LadderOp> out(n);
        const auto w = mode_inds_.row(i);
        const auto f = adj_.row(i);
        for (uint64_t j = 0; j < n; ++j) out[j] = {mode_inds_.get_in(w, j), static_cast<bool>((f[j / 64] >> (j % 64)) & 1)};
        return out;
    }

    // ---- component-list operations ----
    // The index row, the flag row, then the length word: products that differ
    // only in length (F0, F0 F0, the identity) are different components.
    Words elem_u64it(uint64_t i) const {
        check_elem(i);
        return Words(mode_inds_.row(i), adj_.row(i), std::span<const uint64_t>(&lens_[i], 1));
    }
    // Generic code writes whole elements of this geometry through it; a length
    // word beyond max_len would be a bug there.
    MutWords elem_u64it_mut(uint64_t i) {
        check_elem(i);
        return MutWords(mode_inds_.row_mut(i), adj_.row_mut(i), std::span<uint64_t>(&lens_[i], 1));
    }
    // A size refused by any part (bad_alloc, length_error) changes none: the
    // parts already resized shrink back, which cannot fail.
    void resize(uint64_t n) {
        const uint64_t old = size();
        mode_inds_.resize(n);
        try {
            adj_.resize(n);
            lens_.resize(n, 0);
        } catch (...) {
            mode_inds_.resize(old);
            adj_.resize(old);
            throw;
        }
    }
    void pop_and_swap(uint64_t i) {
        check_elem(i);
        mode_inds_.pop_and_swap(i);
        adj_.pop_and_swap(i);
        lens_[i] = lens_.back();
        lens_.pop_back();
    }
    std::string fmt_elem(uint64_t i) const {
        const uint64_t n = len_of(i);
        const auto w = mode_inds_.row(i);
        const auto f = adj_.row(i);
        std::string s;
        for (uint64_t j = 0; j < n; ++j) {
            if (j) s += ' ';
            append_ladder_op(s, mode_inds_.get_in(w, j), (f[j / 64] >> (j % 64)) & 1);
        }
        return s;
    }
    std::string to_string() const {
        return join_texts(size(), ", ", [&](uint64_t i) { return fmt_elem(i); });
    }

    // Same space and the same products in order; max_len takes no part.
    bool operator==(const CmpntList& o) const {
        if (modes_ != o.modes_ || size() != o.size()) return false;
        for (uint64_t i = 0; i < size(); ++i)
            if (!elems_equal(*this, i, o, i)) return false;
        return true;
    }

private:
    void check_elem(uint64_t i) const {
        if (i >= lens_.size())
            internal_failure("general list element: " + OutOfBounds{i, lens_.size(), OutOfBoundsKind::Element}.debug());
    }
    void check_fits(uint64_t n) const {
        if (n > max_len_) internal_failure("operator product is longer than max_len");
    }
    // Adds the zero rows of a new element; its length is pushed last so that
    // size() still names the new row's index meanwhile. All or nothing: room
    // for the length is made first, so that its push_back cannot fail, and the
    // first table shrinks back when the second cannot grow.
    void open_row() {
        const uint64_t n = size();
        if (lens_.size() == lens_.capacity()) {
            const size_t cap = lens_.capacity();
            lens_.reserve(cap < 4 ? 4 : cap > lens_.max_size() / 2 ? lens_.max_size() : 2 * cap);
        }
        mode_inds_.push_zero_row();
        try {
            adj_.push_zero_row();
        } catch (...) {
            mode_inds_.resize(n);
            throw;
        }
    }
    template <class Inds, class Flags>
    void write_ops(uint64_t r, uint64_t at, const Inds& inds, const Flags& flags) {
        auto row = mode_inds_.row_mut(r);
        auto f = adj_.row_mut(r);
        const auto n = static_cast<uint64_t>(std::ranges::size(inds));
        for (uint64_t j = 0; j < n; ++j) {
            const uint64_t s = at + j;
            mode_inds_.or_in(row, s, static_cast<uint64_t>(inds[j]));
            if (static_cast<bool>(flags[j])) f[s / 64] |= uint64_t{1} << (s % 64);
        }
    }

    // Operator by operator: lists of different max_len hold equal products in
    // words of different widths. False for lists on different spaces.
    friend bool elems_equal(const CmpntList& a, uint64_t i, const CmpntList& b, uint64_t j) {
        if (a.modes_ != b.modes_) return false;
        if (a.mode_inds_.n_bits() == b.mode_inds_.n_bits() && a.max_len_ == b.max_len_)
            return words_equal(a.elem_u64it(i), b.elem_u64it(j));
        const uint64_t n = a.len_of(i);
        if (n != b.len_of(j)) return false;
        for (uint64_t t = 0; t < n; ++t)
            if (a.op(i, t) != b.op(j, t)) return false;
        return true;
    }

    Modes modes_;
    PackedModeInds mode_inds_;
    BitMatrix adj_;
    std::vector<uint64_t> lens_;
    uint64_t max_len_ = 0;
};

static_assert(WordIters<CmpntList>);

}  // namespace vemo::fermion::general
