// NormalFermionOperatorArray: products of components, normal-ordered raw
// products, the linear-combination algebra and operators acting on states.
// An operator is an (array, RealVec | ComplexVec) pair; results are new
// (array, coefficients) tuples, except that states are applied into a
// caller's (FermionStateArray, Map, coefficients).
#pragma once

#include <cstdint>
#include <set>
#include <tuple>
#include <utility>
#include <vector>

#include "core/fermion/normal_order.hpp"
#include "core/fermion/product.hpp"
#include "core/fermion/state_action.hpp"
#include "python/fermion/arrays.hpp"

namespace vemo::py::normal_array {

using fermion::DifferentSpaces;
using fermion::Modes;
using fermion::normal::CmpntList;
namespace lc = fermion::normal::lincomb;

template <class T, class C>
std::tuple<T, C> tuple_of(Terms<T, C>&& t) {
    return {std::move(t.cmpnts), std::move(t.coeffs)};
}
template <class T, class C>
std::tuple<T, C> tuple_of(TermSet<T, C>&& t) {
    return tuple_of(t.into_terms());
}

// The product of two components as it comes: its rows and one sign each. The
// space check comes before the indices.
inline std::tuple<CmpntList, SignVec> cmpnt_mul(const CmpntList& self, int64_t i_lhs, const CmpntList& rhs,
                                               int64_t i_rhs) {
    to_py_result(fermion::check_same_space(self.modes(), rhs.modes()));
    const uint64_t i = py_index(i_lhs, self.size());
    const uint64_t j = py_index(i_rhs, rhs.size());
    auto p = fermion::normal::mul_cmpnts({&self, i}, {&rhs, j});
    return {std::move(p.cmpnts), std::move(p.signs)};
}

inline std::tuple<CmpntList, RealVec> from_ladder_product(const Modes& modes, std::vector<fermion::LadderOp> ops) {
    return tuple_of(to_py_result(fermion::normal_order_product(modes, ops)));
}

template <class C>
std::tuple<CmpntList, C> lincomb_mul(const CmpntList& lhs_impl, const C& lhs_coeffs, const CmpntList& rhs_impl,
                                     const C& rhs_coeffs) {
    auto out = lc::new_term_set<C>(lhs_impl.modes());
    to_py_result(lc::assign_from_mul(out, {lhs_impl, lhs_coeffs}, {rhs_impl, rhs_coeffs}));
    return tuple_of(std::move(out));
}
template <class C>
std::tuple<CmpntList, C> lincomb_commutator(const CmpntList& lhs_impl, const C& lhs_coeffs,
                                            const CmpntList& rhs_impl, const C& rhs_coeffs) {
    return tuple_of(to_py_result(lc::commutator<C>({lhs_impl, lhs_coeffs}, {rhs_impl, rhs_coeffs})));
}
template <class C>
std::tuple<CmpntList, C> lincomb_anticommutator(const CmpntList& lhs_impl, const C& lhs_coeffs,
                                                const CmpntList& rhs_impl, const C& rhs_coeffs) {
    return tuple_of(to_py_result(lc::anticommutator<C>({lhs_impl, lhs_coeffs}, {rhs_impl, rhs_coeffs})));
}
template <class C>
std::tuple<CmpntList, C> lincomb_adjoint(const CmpntList& cmpnts, const C& coeffs) {
    return tuple_of(to_py_result(lc::adjoint<C>({cmpnts, coeffs})));
}
template <class C>
std::expected<bool, lc::ShortCoeffs> lincomb_is_hermitian(const CmpntList& cmpnts, const C& coeffs, double atol) {
    return lc::is_hermitian<C>({cmpnts, coeffs}, atol);
}
template <class C>
bool lincomb_conserves_particle_number(const CmpntList& cmpnts, const C& coeffs, double atol) {
    return lc::conserves_particle_number<C>({cmpnts, coeffs}, atol);
}
template <class C>
std::expected<uint64_t, lc::ShortCoeffs> lincomb_max_n_body(const CmpntList& cmpnts, const C& coeffs) {
    return lc::largest_n_body_order<C>({cmpnts, coeffs});
}
template <class C>
std::set<uint64_t> lincomb_active_modes(const CmpntList& cmpnts, const C& coeffs) {
    const auto modes = to_py_result(lc::active_modes<C>({cmpnts, coeffs}));
    return {modes.begin(), modes.end()};
}
// `map` is taken for the signature's sake: the raw form keeps every term.
template <class C>
std::tuple<fermion::general::CmpntList, C> lincomb_to_general(const CmpntList& cmpnts, const Map&, const C& coeffs) {
    return tuple_of(fermion::to_general<C>({cmpnts, coeffs}));
}

template <class C>
std::expected<void, fermion::state::ApplyError> apply_to_state(const CmpntList& self, const C& coeffs,
                                                               const fermion::state::CmpntList& state_cmpnts,
                                                               const C& state_coeffs,
                                                               fermion::state::CmpntList& out_cmpnts, Map& out_map,
                                                               C& out_coeffs) {
    return fermion::state::apply<C>({self, coeffs}, {state_cmpnts, state_coeffs}, {out_cmpnts, out_map, out_coeffs});
}
template <class C>
std::expected<typename C::Scalar, DifferentSpaces> mat_elem(const CmpntList& self, const C& coeffs,
                                                            const fermion::state::CmpntList& bra_cmpnts,
                                                            const C& bra_coeffs,
                                                            const fermion::state::CmpntList& ket_cmpnts,
                                                            const C& ket_coeffs) {
    return fermion::state::mat_elem<C>({self, coeffs}, {bra_cmpnts, bra_coeffs}, {ket_cmpnts, ket_coeffs});
}

// The section of the class's member list that binds the lincomb_*, apply_to_state_*
// and mat_elem_* methods (normal_array_algebra.cpp).
void define_algebra(ClassDef<CmpntList>& c);

}  // namespace vemo::py::normal_array

