// Normal-ordered fermion products: component i is the pair (C, A) of row i of
// the creation plane and row i of the annihilation plane, standing for
// c_j1 ... c_jp a_i1 ... a_iq with j1 < ... < jp and i1 < ... < iq, factor +1.
// Element words are the creation row then the annihilation row.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <expected>
#include <ranges>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/utils/join.hpp"
#include "core/container/coeffs/vecs.hpp"
#include "core/base/errors.hpp"
#include "core/container/plane_pair.hpp"
#include "core/container/terms.hpp"
#include "core/container/word_iters.hpp"
#include "core/fermion/cre_or_ann.hpp"
#include "core/fermion/mode.hpp"

namespace vemo::fermion::normal {

// Parity of k(k-1)/2: the sign of reversing k anticommuting operators.
constexpr bool reversal_parity(uint64_t k) { return (k & 2) != 0; }

class CmpntList : public PlanePairRows<CmpntList> {
public:
    using mismatch_error = DifferentSpaces;

    CmpntList() : CmpntList(Modes()) {}
    explicit CmpntList(Modes modes) : cre_(modes, true), ann_(modes, false) {}

    const Modes& modes() const { return cre_.modes(); }
    uint64_t n_modes() const { return modes().len(); }
    uint64_t words_per_row() const { return cre_.words_per_row(); }
    const cre_or_ann::CmpntList& cre() const { return cre_; }
    const cre_or_ann::CmpntList& ann() const { return ann_; }
    cre_or_ann::CmpntList& cre_mut() { return cre_; }
    cre_or_ann::CmpntList& ann_mut() { return ann_; }

    std::span<const uint64_t> cre_row(uint64_t i) const { return cre_.row(i); }
    std::span<const uint64_t> ann_row(uint64_t i) const { return ann_.row(i); }
    std::span<uint64_t> cre_row_mut(uint64_t i) { return cre_.row_mut(i); }
    std::span<uint64_t> ann_row_mut(uint64_t i) { return ann_.row_mut(i); }

    bool compatible_with(const CmpntList& o) const { return modes() == o.modes(); }
    CmpntList empty_clone() const { return CmpntList(modes()); }

    // Appends a component from whole rows of this list's width; bits at the
    // mode count and above must be zero (the caller's rows come from lists on
    // the same space).
    void push_rows(std::span<const uint64_t> cre, std::span<const uint64_t> ann) {
        if (cre.size() != words_per_row() || ann.size() != words_per_row())
            internal_failure("push_rows: rows of another width");
        push_identity();
        const uint64_t r = size() - 1;
        std::ranges::copy(cre, cre_.row_mut(r).begin());
        std::ranges::copy(ann, ann_.row_mut(r).begin());
    }
    // Through the two-plane resize: a plane that cannot grow leaves both as they were.
    void push_identity() { push_clear(*this); }

    // Component i becomes (C, A); a mode at or above the mode count fails with
    // OutOfBounds of kind Bit naming the largest mode of the offending set,
    // the creation set tested first. Nothing changes on failure.
    template <std::ranges::forward_range C, std::ranges::forward_range A>
    std::expected<void, OutOfBounds> assign_sets(uint64_t i, const C& cre, const A& ann) {
        if (auto r = check_set(cre); !r) return r;
        if (auto r = check_set(ann); !r) return r;
        assign_sets_unchecked(i, cre, ann);
        return {};
    }
    // As assign_sets from flag lists (entry m true puts mode m in the set); a
    // non-empty list longer than the mode count fails, naming its last position.
    template <std::ranges::sized_range C, std::ranges::sized_range A>
    std::expected<void, OutOfBounds> assign_flags(uint64_t i, const C& cre, const A& ann) {
        for (const uint64_t len : {uint64_t(std::ranges::size(cre)), uint64_t(std::ranges::size(ann))})
            if (len) {
                if (auto r = check_bounds(len - 1, n_modes(), OutOfBoundsKind::Bit); !r) return r;
            }
        set_flags(cre_.row_mut(i), cre);
        set_flags(ann_.row_mut(i), ann);
        return {};
    }

    template <std::ranges::forward_range C, std::ranges::forward_range A>
    void assign_sets_unchecked(uint64_t i, const C& cre, const A& ann) {
        set_row(cre_.row_mut(i), cre);
        set_row(ann_.row_mut(i), ann);
    }

    // ---- component-list operations ----
    uint64_t size() const { return cre_.size(); }
    // Creators then annihilators, each ascending: "F0^ F2^ F1 F3"; the identity is "".
    std::string fmt_elem(uint64_t i) const {
        std::string s;
        cre_or_ann::append_row_text(s, cre_.row(i), true);
        const auto a = ann_.row(i);
        if (!s.empty() && std::ranges::any_of(a, [](uint64_t w) { return w != 0; })) s += ' ';
        cre_or_ann::append_row_text(s, a, false);
        return s;
    }
    std::string to_string() const {
        return join_texts(size(), ", ", [&](uint64_t i) { return fmt_elem(i); });
    }

    // ---- single modes of one component ----
    // Preconditions: i below the length, m below the mode count.

    // The modes of component i's creation (cre) or annihilation set, ascending.
    std::vector<uint64_t> modes_of(uint64_t i, bool cre) const {
        const auto row = cre ? cre_row(i) : ann_row(i);
        std::vector<uint64_t> out;
        for (size_t t = 0; t < row.size(); ++t)
            for (uint64_t bits = row[t]; bits; bits &= bits - 1)
                out.push_back(t * 64 + static_cast<uint64_t>(std::countr_zero(bits)));
        return out;
    }
    bool has_mode(uint64_t i, uint64_t m, bool cre) const {
        check_mode(m);
        return ((cre ? cre_row(i) : ann_row(i))[m / 64] >> (m % 64)) & 1;
    }
    // Puts mode m into (value true) or out of component i's creation or annihilation set.
    void set_mode(uint64_t i, uint64_t m, bool cre, bool value) {
        check_mode(m);
        uint64_t& w = (cre ? cre_row_mut(i) : ann_row_mut(i))[m / 64];
        const uint64_t bit = uint64_t{1} << (m % 64);
        w = value ? (w | bit) : (w & ~bit);
    }

    // ---- per-component counts ----
    uint64_t count_n_body(uint64_t i) const { return (cre_.popcount(i) + ann_.popcount(i)) / 2; }
    int64_t particle_number_change(uint64_t i) const {
        return static_cast<int64_t>(cre_.popcount(i)) - static_cast<int64_t>(ann_.popcount(i));
    }

    // Every component becomes its adjoint: (C, A) -> (A, C) with sign
    // (-1)^(p(p-1)/2 + q(q-1)/2), p = |C|, q = |A|; bit i of `signs` set means -1.
    void dagger(SignVec& signs) {
        cre_.swap_rows_with(ann_);
        signs.resize(size());
        for (uint64_t i = 0; i < size(); ++i)
            signs.set(i, Sign(reversal_parity(cre_.popcount(i)) != reversal_parity(ann_.popcount(i))));
    }
    SignVec dagger_get_signs() {
        SignVec s;
        dagger(s);
        return s;
    }

    bool operator==(const CmpntList&) const = default;

private:
    friend PlanePairRows<CmpntList>;
    std::pair<const cre_or_ann::CmpntList&, const cre_or_ann::CmpntList&> planes() const { return {cre_, ann_}; }
    std::pair<cre_or_ann::CmpntList&, cre_or_ann::CmpntList&> planes_mut() { return {cre_, ann_}; }

    void check_mode(uint64_t m) const {
        if (m >= n_modes()) internal_failure("normal component: " + OutOfBounds{m, n_modes(), OutOfBoundsKind::Bit}.debug());
    }
    template <class R>
    std::expected<void, OutOfBounds> check_set(const R& modes) const {
        bool any = false;
        uint64_t m = 0;
        for (auto&& k : modes) {
            m = any ? std::max<uint64_t>(m, static_cast<uint64_t>(k)) : static_cast<uint64_t>(k);
            any = true;
        }
        if (any) return check_bounds(m, n_modes(), OutOfBoundsKind::Bit);
        return {};
    }
    template <class R>
    static void set_row(std::span<uint64_t> row, const R& modes) {
        std::ranges::fill(row, uint64_t{0});
        for (auto&& k : modes) {
            const auto u = static_cast<uint64_t>(k);
            if (u / 64 >= row.size()) internal_failure("normal component: mode beyond the row");
            row[u / 64] |= uint64_t{1} << (u % 64);
        }
    }

    template <class R>
    static void set_flags(std::span<uint64_t> row, const R& flags) {
        std::ranges::fill(row, uint64_t{0});
        uint64_t m = 0;
        for (auto&& f : flags) {
            if (f) row[m / 64] |= uint64_t{1} << (m % 64);
            ++m;
        }
    }

    cre_or_ann::CmpntList cre_;
    cre_or_ann::CmpntList ann_;
};

static_assert(WordIters<CmpntList>);

inline uint64_t count_n_body(const ElemRef<CmpntList>& e) { return e.list->count_n_body(e.index); }
inline int64_t particle_number_change(const ElemRef<CmpntList>& e) { return e.list->particle_number_change(e.index); }

// Single components, held as one-row lists.
struct Elem {
    static CmpntList new_identity(Modes modes) {
        CmpntList l(modes);
        l.push_identity();
        return l;
    }
    template <std::ranges::forward_range C, std::ranges::forward_range A>
    static std::expected<CmpntList, OutOfBounds> from_sets(Modes modes, const C& cre, const A& ann) {
        CmpntList l = new_identity(modes);
        if (auto r = l.assign_sets(0, cre, ann); !r) return std::unexpected(r.error());
        return l;
    }
    template <std::ranges::forward_range C, std::ranges::forward_range A>
    static CmpntList from_sets_unchecked(Modes modes, const C& cre, const A& ann) {
        CmpntList l = new_identity(modes);
        l.assign_sets_unchecked(0, cre, ann);
        return l;
    }
};

template <FieldVec C>
using TermSet = ::vemo::TermSet<CmpntList, C>;

// An empty term set on `modes`: the container the linear-combination
// algorithms build their results in.
template <FieldVec C>
TermSet<C> new_term_set(Modes modes) {
    return TermSet<C>::empty_from(CmpntList(modes));
}

}  // namespace vemo::fermion::normal
