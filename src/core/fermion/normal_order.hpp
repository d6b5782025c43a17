// Conversion between raw ladder-operator products and normal-ordered
// components: normal ordering multiplies a raw product out one operator at a
// time (accumulator on the left, so operators act in written order); the way
// back writes each component as its canonical operator sequence.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <expected>
#include <ranges>
#include <limits>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/base/bits.hpp"
#include "core/base/checked.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/container/terms.hpp"
#include "core/fermion/general.hpp"
#include "core/fermion/general_lincomb.hpp"
#include "core/fermion/lincomb.hpp"
#include "core/fermion/mode.hpp"
#include "core/fermion/normal.hpp"
#include "core/fermion/springs.hpp"
#include "core/utils/memory.hpp"

namespace vemo::fermion {

namespace detail {
// A ladder operator given as a LadderOp or as a (mode, is_creation) pair.
inline uint64_t mode_of(const LadderOp& o) { return o.mode; }
inline bool creation_of(const LadderOp& o) { return o.is_creation; }
template <class M, class B>
uint64_t mode_of(const std::pair<M, B>& o) {
    return static_cast<uint64_t>(o.first);
}
template <class M, class B>
bool creation_of(const std::pair<M, B>& o) {
    return static_cast<bool>(o.second);
}
}  // namespace detail

// Normal-orders raw products one after another, reusing its accumulators and
// buffers, so that a product allocates nothing once they have grown.
template <FieldVec C>
class NormalOrderer {
public:
    using Accum = normal::detail::SmallAccum<C>;

    explicit NormalOrderer(Modes modes)
        : modes_(modes),
          accs_{Accum(modes), Accum(modes)},
          n_words_(normal::CmpntList(modes).words_per_row()),
          max_k_(most_doublings(bytes_per_term(), std::min(small_request_bytes, fixed_allocation_limit().bytes))) {}

    const Modes& modes() const { return modes_; }

    // The product of the n operators op(0), op(1), ... (each a LadderOp on
    // this space; op may be called more than once per index) as
    // normal-ordered terms, valid until the next call. Each operator
    // multiplies the accumulator from the right; terms accumulate as through
    // the scaled-add kernel. Callers run check_expansion first (kept apart so
    // that this loop compiles as tightly as without it).
    template <class Op>
    const Accum& order(uint64_t n, Op&& op) {
        // Rows are made with the first product: a space too large for one
        // component then fails here, not when an empty list is converted.
        if (op_row_.size() != n_words_) {
            op_row_.assign(n_words_, 0);
            zero_row_.assign(n_words_, 0);
        }
        const std::span<const uint64_t> one(op_row_), none(zero_row_);
        cur_ = 0;
        accs_[0].clear();
        accs_[0](Words(none, none), typename C::Scalar(1.0));
        const auto unit = [](uint64_t) { return typename C::Scalar(1.0); };
        for (uint64_t t = 0; t < n; ++t) {
            const LadderOp o = op(t);
            if (o.mode >= modes_.len()) internal_failure("normal ordering: mode beyond the space");
            op_row_[o.mode / 64] = uint64_t{1} << (o.mode % 64);
            const auto op_rows = [&](uint64_t) { return o.is_creation ? std::pair{one, none} : std::pair{none, one}; };
            const Accum& acc = accs_[cur_];
            Accum& next = accs_[cur_ ^ 1];
            next.clear();
            const auto terms = acc.as_terms();
            normal::detail::mul_accumulate(op_row_.size(), acc.size(), normal::lincomb::detail::rows_of(terms),
                                           normal::lincomb::detail::coeffs_of(terms), 1, op_rows, unit, scratch_, next);
            op_row_[o.mode / 64] = 0;
            cur_ ^= 1;
        }
        return accs_[cur_];
    }

    // Refuses (AllocRefused), before anything is allocated, a product whose
    // normal form could outgrow the machine's memory. The operators of one
    // mode reduce to 0, to one monomial or to a c = 1 - c a, so the form has
    // at most 2^k terms, k the number of modes on which an annihilator comes
    // before a creator; the form of every prefix has at most as many. Two
    // accumulators and the caller's copy hold the terms.
    template <class Op>
    void check_expansion(uint64_t n, const Op& op) {
        // Each counted mode has a creator and an annihilator: this bound
        // settles every short product at once. Until a product outgrows a
        // small request, the limits in force are not read.
        const uint64_t bound = std::min(n / 2, modes_.len());
        if (bound <= max_k_) [[likely]]
            return;
        if (!limit_read_) {
            max_k_ = std::max(max_k_, most_doublings(bytes_per_term(), max_allocation_bytes()));
            limit_read_ = true;
            if (bound <= max_k_) return;
        }
        check_expansion_counted(n, Op(op));  // a copy: op itself stays unescaped
    }

private:
    // The largest k (below 64) for which 2^k terms fit in `memory` bytes.
    static uint64_t most_doublings(uint64_t per_term, uint64_t memory) {
        const uint64_t term = saturating_mul(3, saturating_add(per_term, 16));
        uint64_t k = 0;
        for (; k < 63; ++k) {
            const auto bytes = checked_mul(uint64_t{2} << k, term);
            if (!bytes || *bytes > memory) break;
        }
        return k;
    }
    bool fits(uint64_t k) const { return k <= max_k_; }
    uint64_t bytes_per_term() const { return 16 * n_words_ + sizeof(typename C::Scalar); }

    template <class Op>
    [[gnu::noinline, gnu::cold]] void check_expansion_counted(uint64_t n, Op op) const {
        uint64_t n_cre = 0;
        for (uint64_t t = 0; t < n; ++t) n_cre += op(t).is_creation;
        if (fits(std::min({n_cre, n - n_cre, modes_.len()}))) return;
        uint64_t k = 0;
        for (uint64_t t = 0; t < n; ++t) {
            const LadderOp o = op(t);
            if (o.is_creation) continue;
            bool first = true, creator_after = false;
            for (uint64_t s = 0; s < t && first; ++s) {
                const LadderOp p = op(s);
                first = p.is_creation || p.mode != o.mode;
            }
            for (uint64_t s = t + 1; s < n && first && !creator_after; ++s) {
                const LadderOp p = op(s);
                creator_after = p.is_creation && p.mode == o.mode;
            }
            k += first && creator_after;
        }
        if (fits(k)) return;
        throw AllocRefused("Cannot allocate the normal-ordered form of a product of " + std::to_string(n) +
                           " ladder operators: up to 2^" + std::to_string(k) + " terms of " +
                           std::to_string(bytes_per_term()) + " bytes each.");
    }

    Modes modes_;
    Accum accs_[2];  // the accumulator and the next one, alternating
    int cur_ = 0;
    uint64_t n_words_;
    uint64_t max_k_;           // 2^max_k_ terms fit: in a small request, then in the limit read
    bool limit_read_ = false;  // the limit in force is read once per orderer (so once per call)
    normal::detail::MulScratch scratch_;
    std::vector<uint64_t> op_row_;    // the row of the current operator's mode
    std::vector<uint64_t> zero_row_;  // an empty row
};

// The normal-ordered form of a raw linear combination (first min(components,
// coefficients) terms), on the same space with the same coefficient kind.
// Terms accumulate in order; a vanishing product adds nothing.
template <FieldVec C>
normal::lincomb::TermSet<C> to_normal_order(const TermsView<general::CmpntList, C>& terms) {
    const general::CmpntList& l = terms.cmpnts;
    auto out = normal::lincomb::new_term_set<C>(l.modes());
    NormalOrderer<C> orderer(l.modes());
    const uint64_t n = taking_part(terms);
    for (uint64_t i = 0; i < n; ++i) {
        const auto op = [&](uint64_t t) { return l.op(i, t); };
        orderer.check_expansion(l.len_of(i), op);
        const auto& acc = orderer.order(l.len_of(i), op);
        scaled_iadd(out, acc.as_terms(), terms.coeffs.get(i));
    }
    return out;
}
// Heavy to compile: product_kernel.cpp compiles it once for both coefficient types.
extern template normal::lincomb::TermSet<RealVec> to_normal_order(const TermsView<general::CmpntList, RealVec>&);
extern template normal::lincomb::TermSet<ComplexVec> to_normal_order(const TermsView<general::CmpntList, ComplexVec>&);

// One raw product, given as (mode, is_creation) pairs, checked against the
// space and normal-ordered with real coefficients.
template <std::ranges::random_access_range Ops>
std::expected<normal::lincomb::TermSet<RealVec>, general::ProductError> normal_order_product(Modes modes,
                                                                                            const Ops& ops) {
    const auto n = static_cast<uint64_t>(std::ranges::size(ops));
    const auto modes_of = ops | std::views::transform([](const auto& o) { return detail::mode_of(o); });
    if (auto r = general::check_general_ops(modes, modes_of, n, n); !r) return std::unexpected(r.error());
    NormalOrderer<RealVec> orderer(modes);
    const auto op = [&](uint64_t t) {
        const auto& o = std::ranges::begin(ops)[t];
        return LadderOp{detail::mode_of(o), detail::creation_of(o)};
    };
    orderer.check_expansion(n, op);
    const auto& acc = orderer.order(n, op);
    auto out = normal::lincomb::new_term_set<RealVec>(modes);
    scaled_iadd(out, acc.as_terms(), 1.0);
    return out;
}

// Appends to `out` the one component that the raw product `ops` (mode,
// is_creation pairs) stands for: its normal form must be exactly one
// component with coefficient exactly 1, as for a product written in canonical
// order. A mode beyond the space or any other normal form fails
// (ModeOutOfBounds, NotOneCanonical) and appends nothing. `orderer` is on
// out's space and carries buffers from call to call.
template <std::ranges::random_access_range Ops>
std::expected<void, general::ProductError> push_canonical(normal::CmpntList& out, const Ops& ops,
                                                          NormalOrderer<RealVec>& orderer) {
    using Kind = general::ProductError::Kind;
    const auto n = static_cast<uint64_t>(std::ranges::size(ops));
    const auto modes_of = ops | std::views::transform([](const auto& o) { return detail::mode_of(o); });
    if (auto r = general::check_general_ops(out.modes(), modes_of, n, n); !r) return std::unexpected(r.error());
    const auto op = [&](uint64_t t) {
        const auto& o = std::ranges::begin(ops)[t];
        return LadderOp{detail::mode_of(o), detail::creation_of(o)};
    };
    orderer.check_expansion(n, op);
    const auto& acc = orderer.order(n, op);
    if (acc.size() != 1 || acc.as_terms().coeffs.get(0) != 1.0)
        return std::unexpected(general::ProductError{Kind::NotOneCanonical});
    out.push_rows(acc.cmpnts().cre_row(0), acc.cmpnts().ann_row(0));
    return {};
}

// The raw form of a normal-ordered linear combination (first min(components,
// coefficients) terms): each component as its creators ascending, then its
// annihilators ascending, appended once per term without merging; the map
// registers every element. Products may hold up to twice the mode count.
template <FieldVec C>
TermSet<general::CmpntList, C> to_general(const TermsView<normal::CmpntList, C>& terms) {
    const normal::CmpntList& l = terms.cmpnts;
    const uint64_t m = l.modes().len();
    constexpr uint64_t most = std::numeric_limits<uint64_t>::max();
    const uint64_t max_len = m > most / 2 ? most : 2 * m;
    auto out = general::new_term_set<C>(max_len, l.modes());
    auto v = out.mut_view();
    const uint64_t n = taking_part(terms);
    std::vector<LadderOp> ops;
    for (uint64_t i = 0; i < n; ++i) {
        ops.clear();
        for (const auto& [row, cre] : {std::pair{l.cre_row(i), true}, std::pair{l.ann_row(i), false}})
            for_each_set_position(row, [&](uint64_t k) { ops.push_back({k, cre}); });
        ::vemo::detail::push_registered(v.cmpnts, v.map, v.coeffs, [&] { v.cmpnts.push_ops(ops); },
                                        terms.coeffs.get(i));
    }
    return out;
}

}  // namespace vemo::fermion
