// QubitPauliArray sorting in lexicographic order of the strings' words, alone
// or with a coefficient vector that moves along.
#include "core/qubit/pauli_sort.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py::pauli_array {

void define_sorting(Def& c) {
    using qubit::pauli::lexicographic_sort;
    c.def<static_cast<void (*)(CmpntList&, bool)>(&lexicographic_sort)>(
        "lexicographic_sort($self, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort<SignVec>>(
        "lexicographic_sort_with_sign_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort<ComplexSignVec>>(
        "lexicographic_sort_with_complex_sign_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort<RealVec>>(
        "lexicographic_sort_with_real_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort<ComplexVec>>(
        "lexicographic_sort_with_complex_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
}

}  // namespace vemo::py::pauli_array

