// QubitStateArray as a state vector: one Pauli string acting on one basis
// state in place, and the call glue of the dense vectors and inner products.
#include "python/qubit/state_array.hpp"

namespace vemo::py::state_array {

// Both indices are resolved before the registers are compared.
ComplexSign cmpnt_pauli_string_imul(CmpntList& self, int64_t index, const qubit::pauli::CmpntList& paulis,
                                    int64_t i_pauli) {
    const uint64_t i = to_py_result(try_py_index(index, self.size()));
    const uint64_t j = to_py_result(try_py_index(i_pauli, paulis.size()));
    return to_py_result(self.pauli_string_imul(i, paulis, j));
}

}  // namespace vemo::py::state_array

namespace vemo::py {
VEMO_METHOD_GLUE(&state_array::cmpnt_pauli_string_imul, qubit::state::CmpntList);
VEMO_METHOD_GLUE((&array::to_dense<qubit::state::CmpntList, RealVec>), qubit::state::CmpntList);
VEMO_METHOD_GLUE((&array::to_dense<qubit::state::CmpntList, ComplexVec>), qubit::state::CmpntList);
VEMO_METHOD_GLUE((&array::from_dense<qubit::state::CmpntList, RealVec>), qubit::state::CmpntList);
VEMO_METHOD_GLUE((&array::from_dense<qubit::state::CmpntList, ComplexVec>), qubit::state::CmpntList);
VEMO_METHOD_GLUE((&array::vdot<qubit::state::CmpntList, RealVec>), qubit::state::CmpntList);
VEMO_METHOD_GLUE((&array::vdot<qubit::state::CmpntList, ComplexVec>), qubit::state::CmpntList);
}  // namespace vemo::py
