// Normal-ordered operators acting on occupation-number states: one component
// on one basis state, matrix elements between state combinations, and the
// application of an operator to a state combination.
//
// A component c_j1..c_jp a_i1..a_iq on state k: zero unless A is within k and
// C misses r = k \ A; otherwise the state r + C with sign (-1)^s, s = sum over
// m in A of |k below m| + sum over m in C of |r below m|, which is the sign of
// the annihilators acting from the highest mode down, then the creators.
// Every word of a row takes part, so any number of modes works (0 modes: the
// identity on the vacuum). Combinations are read as their first
// min(components, coefficients) terms; repeated components count once per
// occurrence.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <expected>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "core/container/any_error.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/base/errors.hpp"
#include "core/container/coeffs/short_coeffs.hpp"
#include "core/container/terms.hpp"
#include "core/fermion/mode.hpp"
#include "core/fermion/normal.hpp"
#include "core/fermion/product.hpp"
#include "core/fermion/state.hpp"

namespace vemo::fermion::state {

// The result of one component on one state: the sign's parity, or zero.
enum class Action : uint8_t { Plus = 0, Minus = 1, Zero = 2 };

namespace detail {

// Parity of sum over m in `ops` of |occ below m|, over whole rows.
constexpr uint64_t pairs_below(uint64_t occ, uint64_t ops, uint64_t occ_carry) {
    return (static_cast<uint64_t>(std::popcount(normal::detail::parity_below(occ) & ops)) ^
            (occ_carry & static_cast<uint64_t>(std::popcount(ops)))) &
           1;
}

}  // namespace detail

// Component (cre, ann) on state k, written into dst unless the result is zero
// (dst is then untouched). dst may be k itself; all rows have one width.
inline Action act_on_row(std::span<uint64_t> dst, std::span<const uint64_t> cre, std::span<const uint64_t> ann,
                         std::span<const uint64_t> k) {
    const size_t w = k.size();
    uint64_t s = 0, k_carry = 0, r_carry = 0;
    for (size_t t = 0; t < w; ++t) {
        const uint64_t a = ann[t], c = cre[t], kt = k[t];
        const uint64_t r = kt & ~a;
        if ((a & ~kt) | (r & c)) return Action::Zero;
        s ^= detail::pairs_below(kt, a, k_carry) ^ detail::pairs_below(r, c, r_carry);
        k_carry ^= static_cast<uint64_t>(std::popcount(kt));
        r_carry ^= static_cast<uint64_t>(std::popcount(r));
    }
    for (size_t t = 0; t < w; ++t) dst[t] = (k[t] & ~ann[t]) | cre[t];
    return s ? Action::Minus : Action::Plus;
}

// Row i_dst of dst := component i_op of ops on row i_src of src. The spaces
// are not compared; the rows must have one width. dst may be src.
inline Action assign_mul_by_op(CmpntList& dst, uint64_t i_dst, const normal::CmpntList& ops, uint64_t i_op,
                               const CmpntList& src, uint64_t i_src) {
    if (dst.words_per_row() != ops.words_per_row() || src.words_per_row() != ops.words_per_row())
        internal_failure("assign_mul_by_op: rows of different widths");
    return act_on_row(dst.row_mut(i_dst), ops.cre_row(i_op), ops.ann_row(i_op), src.row(i_src));
}

namespace detail {

template <class T>
T signed_by(Action a, const T& v) {
    return a == Action::Minus ? -v : v;
}

}  // namespace detail

// <bra| op |ket>: for each bra term i, then each ket term j, the operator
// terms that take ket state j to bra state i add their signed coefficients to
// an accumulator, which joins the total scaled by conj(b_i) k_j (real: b_i k_j).
// Fails with DifferentSpaces unless op, bra and ket share one space.
template <FieldVec C>
std::expected<typename C::Scalar, DifferentSpaces> mat_elem(const TermsView<normal::CmpntList, C>& op,
                                                            const TermsView<CmpntList, C>& bra,
                                                            const TermsView<CmpntList, C>& ket) {
    using T = typename C::Scalar;
    if (op.cmpnts.modes() != bra.cmpnts.modes() || op.cmpnts.modes() != ket.cmpnts.modes())
        return std::unexpected(DifferentSpaces{});
    const uint64_t n_b = taking_part(bra), n_k = taking_part(ket), n_o = taking_part(op);
    std::vector<uint64_t> work(op.cmpnts.words_per_row());
    T total = T(0.0);
    for (uint64_t i = 0; i < n_b; ++i) {
        const auto b = bra.cmpnts.row(i);
        for (uint64_t j = 0; j < n_k; ++j) {
            const auto k = ket.cmpnts.row(j);
            T acc = T(0.0);
            for (uint64_t t = 0; t < n_o; ++t) {
                const Action a = act_on_row(work, op.cmpnts.cre_row(t), op.cmpnts.ann_row(t), k);
                if (a != Action::Zero && std::ranges::equal(work, b)) acc += detail::signed_by(a, op.coeffs.get(t));
            }
            total += num_mul(acc, num_mul(num_conj(bra.coeffs.get(i)), ket.coeffs.get(j)));
        }
    }
    return total;
}

// out += op |states>: for each operator term t, then each state term s, the
// state that component t makes of state s arrives with d_s (sign c_t) through
// the scaled-add kernel. out is not cleared first. Fails, leaving out as it
// was, with DifferentSpaces unless op, states and out share one space, then
// with UnequalCoeffs unless out holds one coefficient per state.
using ApplyError = AnyError<DifferentSpaces, UnequalCoeffs>;

template <FieldVec C>
std::expected<void, ApplyError> apply(const TermsView<normal::CmpntList, C>& op, const TermsView<CmpntList, C>& states,
                                      const TermSetMutView<CmpntList, C>& out) {
    if (op.cmpnts.modes() != states.cmpnts.modes() || op.cmpnts.modes() != out.cmpnts.modes())
        return std::unexpected(DifferentSpaces{});
    if (auto r = out.check_in_step(); !r) return std::unexpected(r.error());
    if (&out.cmpnts == &states.cmpnts || &out.coeffs == &states.coeffs)
        internal_failure("apply: the output shares storage with the states");
    const uint64_t n_o = taking_part(op), n_s = taking_part(states);
    std::vector<uint64_t> work(op.cmpnts.words_per_row());
    for (uint64_t t = 0; t < n_o; ++t) {
        const auto cre = op.cmpnts.cre_row(t), ann = op.cmpnts.ann_row(t);
        const auto c = op.coeffs.get(t);
        for (uint64_t s = 0; s < n_s; ++s) {
            const Action a = act_on_row(work, cre, ann, states.cmpnts.row(s));
            if (a == Action::Zero) continue;
            scaled_iadd_u64it(out, std::span<const uint64_t>(work), num_mul(states.coeffs.get(s), detail::signed_by(a, c)));
        }
    }
    return {};
}

}  // namespace vemo::fermion::state
