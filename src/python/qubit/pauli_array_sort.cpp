// QubitPauliArray sorting in lexicographic order of the strings' words, alone
// or with a coefficient vector that moves along.
#include "core/qubit/pauli_sort.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py {
namespace {

using qubit::pauli::CmpntList;

void lexicographic_sort(CmpntList& self, bool ascending) { qubit::pauli::lexicographic_sort(self, ascending); }

template <class C>
std::expected<void, ShortCoeffs> lexicographic_sort_with(CmpntList& self, C& coeffs, bool ascending) {
    return qubit::pauli::lexicographic_sort(self, coeffs, ascending);
}

}  // namespace

VEMO_CLASS_BLOCK(qubit::pauli::CmpntList, 500) {
    c.def<&lexicographic_sort>("lexicographic_sort($self, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort_with<SignVec>>(
        "lexicographic_sort_with_sign_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort_with<ComplexSignVec>>(
        "lexicographic_sort_with_complex_sign_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort_with<RealVec>>(
        "lexicographic_sort_with_real_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort_with<ComplexVec>>(
        "lexicographic_sort_with_complex_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
}

}  // namespace vemo::py
