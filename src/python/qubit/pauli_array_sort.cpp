// QubitPauliArray sorting in lexicographic order of the strings' words, alone
// or with a coefficient vector that moves along.
#include "core/qubit/pauli_sort.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py::pauli_array {

void lexicographic_sort(CmpntList& self, bool ascending) { qubit::pauli::lexicographic_sort(self, ascending); }

std::expected<void, ShortCoeffs> lexicographic_sort_with_sign_vec(CmpntList& self, SignVec& coeffs, bool ascending) {
    return qubit::pauli::lexicographic_sort(self, coeffs, ascending);
}
std::expected<void, ShortCoeffs> lexicographic_sort_with_complex_sign_vec(CmpntList& self, ComplexSignVec& coeffs,
                                                                          bool ascending) {
    return qubit::pauli::lexicographic_sort(self, coeffs, ascending);
}
std::expected<void, ShortCoeffs> lexicographic_sort_with_real_vec(CmpntList& self, RealVec& coeffs, bool ascending) {
    return qubit::pauli::lexicographic_sort(self, coeffs, ascending);
}
std::expected<void, ShortCoeffs> lexicographic_sort_with_complex_vec(CmpntList& self, ComplexVec& coeffs,
                                                                     bool ascending) {
    return qubit::pauli::lexicographic_sort(self, coeffs, ascending);
}

}  // namespace vemo::py::pauli_array

namespace vemo::py {
VEMO_METHOD_GLUE(&pauli_array::lexicographic_sort, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::lexicographic_sort_with_sign_vec, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::lexicographic_sort_with_complex_sign_vec, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::lexicographic_sort_with_real_vec, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::lexicographic_sort_with_complex_vec, qubit::pauli::CmpntList);
}  // namespace vemo::py
