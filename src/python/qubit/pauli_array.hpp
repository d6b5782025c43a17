// The Python class QubitPauliArray: a Pauli-string list on one register.
//
// Its single member list (the order of the class's method table) is in
// pauli_array.cpp; the bodies of larger groups of methods live in section
// files and are declared here.
#pragma once

#include <expected>

#include "core/qubit/pauli_list.hpp"
#include "python/cmpnt/errors.hpp"
#include "python/container/coeffs/classes.hpp"
#include "python/container/map.hpp"
#include "python/qubit/qubit.hpp"

VEMO_PY_CLASS(vemo::qubit::pauli::CmpntList, "QubitPauliArray");

namespace vemo::py::pauli_array {

using qubit::DifferentQubits;
using qubit::pauli::CmpntList;

// Products of linear combinations (pauli_array_lincomb.cpp).
std::expected<void, DifferentQubits> lincomb_mul_real(const CmpntList& lhs_impl, const RealVec& lhs_coeffs,
                                                      const CmpntList& rhs_impl, const RealVec& rhs_coeffs,
                                                      CmpntList& out_impl, Map& out_map, ComplexVec& out_coeffs);
std::expected<void, DifferentQubits> lincomb_mul_complex(const CmpntList& lhs_impl, const ComplexVec& lhs_coeffs,
                                                         const CmpntList& rhs_impl, const ComplexVec& rhs_coeffs,
                                                         CmpntList& out_impl, Map& out_map, ComplexVec& out_coeffs);

}  // namespace vemo::py::pauli_array
