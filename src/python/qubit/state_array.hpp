// The Python class QubitStateArray: a list of computational basis states on
// one register.
//
// Its single member list (the order of the class's method table) is in
// state_array.cpp; the bodies of groups of methods live in section files and
// are declared here.
#pragma once

#include <cstdint>
#include <expected>
#include <set>
#include <vector>

#include "core/container/coeffs/short_coeffs.hpp"
#include "core/qubit/state.hpp"
#include "python/cmpnt/binary_springs.hpp"
#include "python/container/coeffs/classes.hpp"
#include "python/container/map.hpp"
#include "python/qubit/pauli_array.hpp"
#include "python/qubit/qubit.hpp"

VEMO_PY_CLASS(vemo::qubit::state::CmpntList, "QubitStateArray");

namespace vemo::py::state_array {

using qubit::DifferentQubits;
using qubit::state::CmpntList;

// Dense vectors, inner products and Pauli action (state_array_dense.cpp).
ComplexSign cmpnt_pauli_string_imul(CmpntList& self, int64_t index, const qubit::pauli::CmpntList& paulis,
                                    int64_t i_pauli);
std::expected<std::vector<double>, OutOfBounds> to_dense_real(const CmpntList& self, const RealVec& coeffs,
                                                              bool big_endian);
std::expected<std::vector<Complex>, OutOfBounds> to_dense_complex(const CmpntList& self, const ComplexVec& coeffs,
                                                                  bool big_endian);
std::expected<void, OutOfBounds> from_dense_real(CmpntList& self, Map& map, RealVec& coeffs,
                                                 std::vector<double> source, bool big_endian);
std::expected<void, OutOfBounds> from_dense_complex(CmpntList& self, Map& map, ComplexVec& coeffs,
                                                    std::vector<Complex> source, bool big_endian);
std::expected<double, ShortCoeffs> vdot_real(const CmpntList& self, const Map& map, const RealVec& coeffs,
                                               const CmpntList& rhs_cmpnts, const RealVec& rhs_coeffs);
std::expected<Complex, ShortCoeffs> vdot_complex(const CmpntList& self, const Map& map, const ComplexVec& coeffs,
                                                   const CmpntList& rhs_cmpnts, const ComplexVec& rhs_coeffs);

}  // namespace vemo::py::state_array

// The call glue of these methods is compiled in state_array_dense.cpp.
namespace vemo::py {
VEMO_EXTERN_METHOD(&state_array::cmpnt_pauli_string_imul, qubit::state::CmpntList);
VEMO_EXTERN_METHOD(&state_array::to_dense_real, qubit::state::CmpntList);
VEMO_EXTERN_METHOD(&state_array::to_dense_complex, qubit::state::CmpntList);
VEMO_EXTERN_METHOD(&state_array::from_dense_real, qubit::state::CmpntList);
VEMO_EXTERN_METHOD(&state_array::from_dense_complex, qubit::state::CmpntList);
VEMO_EXTERN_METHOD(&state_array::vdot_real, qubit::state::CmpntList);
VEMO_EXTERN_METHOD(&state_array::vdot_complex, qubit::state::CmpntList);
}  // namespace vemo::py
