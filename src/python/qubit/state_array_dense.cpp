// QubitStateArray as a state vector: one Pauli string acting on one basis
// state in place, and the call glue of the dense vectors and inner products.
#include "python/qubit/state_array.hpp"

namespace vemo::py::state_array {
namespace {

using qubit::state::CmpntList;

// Both indices are resolved before the registers are compared.
ComplexSign cmpnt_pauli_string_imul(CmpntList& self, int64_t index, const qubit::pauli::CmpntList& paulis,
                                    int64_t i_pauli) {
    const uint64_t i = py_index(index, self.size());
    const uint64_t j = py_index(i_pauli, paulis.size());
    return to_py_result(self.pauli_string_imul(i, paulis, j));
}

}  // namespace

void define_pauli_action(Def& c) {
    c.def<&cmpnt_pauli_string_imul>(
        "cmpnt_pauli_string_imul($self, index, paulis, i_pauli)\n--\n\nMultiply in-place by a Pauli string and return "
        "the associated ComplexSign phase.");
}

void define_dense(Def& c) {
    c.def<&array::to_dense<CmpntList, RealVec>>(
        "to_dense_real($self, coeffs, big_endian)\n--\n\nConvert to a real dense vector");
    c.def<&array::to_dense<CmpntList, ComplexVec>>(
        "to_dense_complex($self, coeffs, big_endian)\n--\n\nConvert to a complex dense vector");
    c.def<&array::from_dense<CmpntList, RealVec>>(
        "from_dense_real($self, map, coeffs, source, big_endian)\n--\n\nConvert from a real dense vector");
    c.def<&array::from_dense<CmpntList, ComplexVec>>(
        "from_dense_complex($self, map, coeffs, source, big_endian)\n--\n\nConvert from a complex dense vector");
    c.def<&array::vdot<CmpntList, RealVec>>(
        "vdot_real($self, map, coeffs, rhs_cmpnts, rhs_coeffs)\n--\n\nCompute the inner product");
    c.def<&array::vdot<CmpntList, ComplexVec>>(
        "vdot_complex($self, map, coeffs, rhs_cmpnts, rhs_coeffs)\n--\n\nCompute the inner product");
}

}  // namespace vemo::py::state_array

