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

#include "core/qubit/state.hpp"
#include "python/cmpnt/binary_springs.hpp"
#include "python/container/bit_rows_methods.hpp"
#include "python/container/coeffs/classes.hpp"
#include "python/container/map.hpp"
#include "python/qubit/pauli_array.hpp"
#include "python/qubit/qubit.hpp"

VEMO_PY_CLASS(vemo::qubit::state::CmpntList, "QubitStateArray");

namespace vemo::py::state_array {

using qubit::DifferentQubits;
using qubit::state::CmpntList;

// One Pauli string acting on one basis state (state_array_dense.cpp); the
// dense vectors and inner products are the shared ones of bit_rows_methods.hpp.
ComplexSign cmpnt_pauli_string_imul(CmpntList& self, int64_t index, const qubit::pauli::CmpntList& paulis,
                                    int64_t i_pauli);

}  // namespace vemo::py::state_array

// The call glue of these methods is compiled in state_array_dense.cpp.
namespace vemo::py {
VEMO_EXTERN_METHOD(&state_array::cmpnt_pauli_string_imul, qubit::state::CmpntList);
VEMO_EXTERN_METHOD((&array::to_dense<qubit::state::CmpntList, RealVec>), qubit::state::CmpntList);
VEMO_EXTERN_METHOD((&array::to_dense<qubit::state::CmpntList, ComplexVec>), qubit::state::CmpntList);
VEMO_EXTERN_METHOD((&array::from_dense<qubit::state::CmpntList, RealVec>), qubit::state::CmpntList);
VEMO_EXTERN_METHOD((&array::from_dense<qubit::state::CmpntList, ComplexVec>), qubit::state::CmpntList);
VEMO_EXTERN_METHOD((&array::vdot<qubit::state::CmpntList, RealVec>), qubit::state::CmpntList);
VEMO_EXTERN_METHOD((&array::vdot<qubit::state::CmpntList, ComplexVec>), qubit::state::CmpntList);
}  // namespace vemo::py
