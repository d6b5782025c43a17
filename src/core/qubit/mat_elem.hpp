// Matrix elements of a Pauli linear combination between basis-state
// combinations, and its application to a state combination.
//
// A string (x, z) maps |s> to i^k |s XOR x>, so <bra|P|ket> is i^k(ket) when
// x = bra XOR ket and 0 otherwise. The matrix-element path sorts a copy of the
// operator (strings ascending by their words, coefficients alongside) and maps
// each distinct x word to the first string of its run; a pair of basis states
// then costs one look-up and a walk over the strings with x = bra XOR ket.
// That path reads one word per string and per state: registers of more than
// 64 qubits are refused, a register of 0 qubits reads its missing word as 0.
// The real variant keeps the real part: strings of phase +-i contribute nothing.
//
// `apply` reads every word and has no qubit limit; operator, state and output
// share one register and the output's coefficients match its list.
#pragma once

#include <algorithm>
#include <cstdint>
#include <expected>
#include <string>
#include <variant>
#include <vector>

#include <boost/unordered/unordered_flat_map.hpp>

#include "core/base/bits.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/container/coeffs/short_coeffs.hpp"
#include "core/base/errors.hpp"
#include "core/container/quicksort.hpp"
#include "core/container/terms.hpp"
#include "core/qubit/lincomb.hpp"
#include "core/qubit/state.hpp"
#include "core/qubit/traits.hpp"

namespace vemo::qubit::pauli {

// What matrix elements, applications and projections refuse: a register
// beyond one word (OutOfBounds, kind Element, length 64), a coefficient
// vector that does not fit its list, different registers, a repeated basis
// state in an orthonormal subspace.
struct MatElemError {
    std::variant<OutOfBounds, ShortCoeffs, UnequalCoeffs, DifferentQubits, SubspaceNonorthogonal> v;

    bool operator==(const MatElemError&) const = default;
    std::string message() const {
        return std::visit([](const auto& e) { return e.message(); }, v);
    }
};

template <FieldVec C>
using StatesView = TermsView<state::CmpntList, C>;
using StatesOutView = TermSetMutView<state::CmpntList, ComplexVec>;

namespace mat_elem_detail {

template <QubitsBased L>
std::expected<void, MatElemError> check_one_word(const L& l) {
    const uint64_t n = l.n_qubit();
    if (n <= 64) return {};
    return std::unexpected(MatElemError{OutOfBounds{n, 64, OutOfBoundsKind::Element}});
}

inline std::expected<void, MatElemError> check_cover(uint64_t n_coeffs, uint64_t n_cmpnts) {
    if (auto r = check_one_coeff_each(n_coeffs, n_cmpnts); !r) return std::unexpected(MatElemError{r.error()});
    return {};
}

inline Complex as_complex(double c) { return {c, 0.0}; }
inline Complex as_complex(Complex c) { return c; }

// conj(a) b; the real variant a b.
inline double weight(double a, double b) { return a * b; }
inline Complex weight(Complex a, Complex b) { return scaled_complex(std::conj(a), b); }
// m w as written out.
inline double times(double m, double w) { return m * w; }
inline Complex times(Complex m, Complex w) { return scaled_complex(m, w); }

}  // namespace mat_elem_detail

using XRunMap = boost::unordered_flat_map<uint64_t, uint64_t>;

// Sorts the strings ascending (the library's quicksort, coefficients moved
// alongside) and maps each distinct first x word to the first string of its
// run. `coeffs` covers the list.
template <FieldVec C>
XRunMap sort_and_map_pauli_op(CmpntList& list, C& coeffs) {
    quicksort(list, coeffs, true);
    XRunMap runs;
    for (uint64_t i = 0; i < list.size(); ++i) {
        const uint64_t x = first_word(list.words(i).x);
        if (i == 0 || x != first_word(list.words(i - 1).x)) runs.emplace(x, i);
    }
    return runs;
}

// A private sorted and mapped copy of an operator, with its strings' first
// words laid out flat for the pair loops.
template <FieldVec C>
class PresortedOp {
public:
    using Scalar = typename C::Scalar;

    // op's coefficients must cover its strings (checked by the callers).
    explicit PresortedOp(const LincombView<C>& op) : cmpnts_(op.cmpnts), coeffs_(op.coeffs) {
        runs_ = sort_and_map_pauli_op(cmpnts_, coeffs_);
        const uint64_t n = cmpnts_.size();
        x_.resize(n);
        z_.resize(n);
        for (uint64_t i = 0; i < n; ++i) {
            x_[i] = first_word(cmpnts_.words(i).x);
            z_[i] = first_word(cmpnts_.words(i).z);
        }
    }

    // Whether every coefficient is real (an imaginary part neither below nor
    // above 0): <b|A|a> is then the conjugate of <a|A|b>.
    bool hermitian() const {
        if constexpr (std::same_as<Scalar, double>) {
            return true;
        } else {
            const auto c = coeffs_.data();
            for (uint64_t i = 0; i < x_.size(); ++i)
                if (c[i].imag() < 0.0 || c[i].imag() > 0.0) return false;
            return true;
        }
    }

    // <bra|A|ket> between two basis states given by their first words.
    Scalar between(uint64_t bra, uint64_t ket) const {
        Scalar sum{};
        const uint64_t x = bra ^ ket;
        const auto it = runs_.find(x);
        if (it == runs_.end()) return sum;
        const uint64_t n = x_.size();
        if (it->second >= n) index_failure("presorted operator runs", it->second, n, OutOfBoundsKind::Element);
        const auto c = coeffs_.data();
        for (uint64_t i = it->second; i < n && x_[i] == x; ++i) {
            const uint32_t k = mul_op_state_phase_u64(x_[i], z_[i], ket);
            if constexpr (std::same_as<Scalar, double>) {
                if (k == 0) sum += c[i];
                else if (k == 2) sum += -1.0 * c[i];
            } else {
                sum += scaled_complex(detail::phase_values[k], c[i]);
            }
        }
        return sum;
    }

    // mat_elem_cmpnts_from_presorted: between state a of bra and state b of ket.
    Scalar mat_elem_cmpnts(const state::CmpntList& bra, uint64_t a, const state::CmpntList& ket, uint64_t b) const {
        return between(first_word(bra.row(a)), first_word(ket.row(b)));
    }

private:
    CmpntList cmpnts_;
    C coeffs_;
    XRunMap runs_;
    std::vector<uint64_t> x_, z_;
};

// The checks shared by matrix elements and projections: the operator on at
// most 64 qubits with one coefficient per string.
template <FieldVec C>
std::expected<void, MatElemError> check_mat_elem_op(const LincombView<C>& op) {
    if (auto r = mat_elem_detail::check_one_word(op.cmpnts); !r) return r;
    return mat_elem_detail::check_cover(op.coeffs.size(), op.cmpnts.size());
}

// <bra|A|ket> = sum over taking-part bra states a and ket states b of
// <a|A|b> conj(bra_a) ket_b (real: bra_a ket_b), bra outer, ket inner.
template <FieldVec C>
std::expected<typename C::Scalar, MatElemError> mat_elem(const LincombView<C>& op, const StatesView<C>& bra,
                                                         const StatesView<C>& ket) {
    using namespace mat_elem_detail;
    if (auto r = check_mat_elem_op(op); !r) return std::unexpected(r.error());
    if (auto r = check_one_word(bra.cmpnts); !r) return std::unexpected(r.error());
    if (auto r = check_one_word(ket.cmpnts); !r) return std::unexpected(r.error());
    const PresortedOp<C> pre(op);
    const uint64_t na = taking_part(bra), nb = taking_part(ket);
    std::vector<uint64_t> kets(nb);
    for (uint64_t b = 0; b < nb; ++b) kets[b] = first_word(ket.cmpnts.row(b));
    const auto bc = bra.coeffs.data(), kc = ket.coeffs.data();
    typename C::Scalar sum{};
    for (uint64_t a = 0; a < na; ++a) {
        const uint64_t s = first_word(bra.cmpnts.row(a));
        for (uint64_t b = 0; b < nb; ++b) sum += times(pre.between(s, kets[b]), weight(bc[a], kc[b]));
    }
    return sum;
}

// out += A |state>: for each operator term t (outer) and state s (inner), the
// state P_t|s> with coefficient (i^k c_t) c_s accumulated into out by the
// scaled-add rule. Nothing is written on failure.
template <FieldVec C>
std::expected<void, MatElemError> apply(const LincombView<C>& op, const StatesView<C>& state,
                                        const StatesOutView& out) {
    using namespace mat_elem_detail;
    if (!same_qubits(op.cmpnts, state.cmpnts) || !same_qubits(state.cmpnts, out.cmpnts))
        return std::unexpected(MatElemError{DifferentQubits{}});
    if (auto r = out.check_in_step(); !r) return std::unexpected(MatElemError{r.error()});
    if (&out.cmpnts == &state.cmpnts) internal_failure("apply: the output list is also the state list");
    state::CmpntList scratch = state::CmpntList::elem(state.cmpnts.qubits());
    const uint64_t nt = taking_part(op), ns = taking_part(state);
    const auto oc = op.coeffs.data(), sc = state.coeffs.data();
    for (uint64_t t = 0; t < nt; ++t) {
        const auto p = op.cmpnts.words(t);
        for (uint64_t s = 0; s < ns; ++s) {
            const uint32_t k = assign_mul_state(scratch.row_mut(0), state.cmpnts.row(s), p);
            const Complex v =
                scaled_complex(scaled_complex(detail::phase_values[k], as_complex(oc[t])), as_complex(sc[s]));
            scaled_iadd_u64it(out, Words(scratch.row(0)), v);
        }
    }
    return {};
}

}  // namespace vemo::qubit::pauli
