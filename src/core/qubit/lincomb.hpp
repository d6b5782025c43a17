// Linear combinations of Pauli strings: a Pauli list with one real or complex
// coefficient per string (a Terms view), accumulated into a list kept unique
// by a Map (a TermSet view). Products, the commutation test and the addition
// of one string given position by position. The product loop itself lives in
// product_kernel.hpp and is compiled once, in product_kernel.cpp.
//
// Only the first min(strings, coefficients) terms of an input take part.
#pragma once

#include <cstdint>
#include <expected>

#include "core/container/coeffs/coeffs.hpp"
#include "core/container/terms.hpp"
#include "core/qubit/pauli_elem.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/traits.hpp"

namespace vemo::qubit::pauli {

// An input combination (read) and an output combination (written).
template <FieldVec C>
using LincombView = TermsView<CmpntList, C>;
template <FieldVec C>
using LincombSetMutView = TermSetMutView<CmpntList, C>;
// Products always accumulate complex coefficients.
using ProductMutView = TermSetMutView<CmpntList, ComplexVec>;

namespace detail {

// i^k as exact complex numbers; the zeros are positive so that a product
// with a positive coefficient has no negative-zero part.
inline constexpr Complex phase_values[4] = {{1.0, 0.0}, {0.0, 1.0}, {-1.0, 0.0}, {0.0, -1.0}};

}  // namespace detail

// out := lhs * rhs without the register check (see product_kernel.hpp). out
// must not share a list with lhs or rhs, and all three must have rows of one
// width. Should memory run out, out is left empty and the exception propagates.
template <FieldVec C>
void assign_from_mul_unchecked(const ProductMutView& out, const LincombView<C>& lhs, const LincombView<C>& rhs);
extern template void assign_from_mul_unchecked<RealVec>(const ProductMutView&, const LincombView<RealVec>&,
                                                        const LincombView<RealVec>&);
extern template void assign_from_mul_unchecked<ComplexVec>(const ProductMutView&, const LincombView<ComplexVec>&,
                                                           const LincombView<ComplexVec>&);

// out := lhs * rhs, term pairs in (lhs index, rhs index) order. All three
// must share one register; otherwise nothing changes.
template <FieldVec C>
std::expected<void, DifferentQubits> assign_from_mul(const ProductMutView& out, const LincombView<C>& lhs,
                                                     const LincombView<C>& rhs) {
    if (auto ok = check_transitive(lhs.cmpnts, rhs.cmpnts, out.cmpnts); !ok) return ok;
    assign_from_mul_unchecked(out, lhs, rhs);
    return {};
}

// An empty complex term set on the register.
inline TermSet<CmpntList, ComplexVec> empty_product(const Qubits& qubits) {
    return TermSet<CmpntList, ComplexVec>::empty_from(CmpntList(qubits));
}

// Whether AB - BA vanishes: every coefficient of the difference has a
// magnitude of at most atol (a NaN magnitude does not count against it).
template <FieldVec C>
std::expected<bool, DifferentQubits> commute(const LincombView<C>& a, const LincombView<C>& b, double atol) {
    auto ab = empty_product(a.cmpnts.qubits());
    if (auto r = assign_from_mul(ab.mut_view(), a, b); !r) return std::unexpected(r.error());
    auto ba = empty_product(b.cmpnts.qubits());
    if (auto r = assign_from_mul(ba.mut_view(), b, a); !r) return std::unexpected(r.error());
    scaled_iadd(ab, ba.as_terms(), Complex(-1.0, 0.0));
    for (const Complex& c : ab.coeffs().data())
        if (magnitude(c) > atol) return false;
    return true;
}

// out += coeff * (the string with paulis[q] at position q, I elsewhere).
// `paulis` is any range of (position, PauliMatrix) pairs. A position not
// below the qubit count leaves out unchanged.
template <FieldVec C, class PauliMap>
std::expected<void, OutOfBounds> add_from_pauli_map(const LincombSetMutView<C>& out, const PauliMap& paulis,
                                                    const typename C::Scalar& coeff) {
    auto e = elem_from_map(out.cmpnts.qubits(), paulis);
    if (!e) return std::unexpected(e.error());
    scaled_iadd_u64it(out, e->elem_u64it(0), coeff);
    return {};
}

}  // namespace vemo::qubit::pauli
