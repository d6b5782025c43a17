// QubitPauliArray: the class's single member list, in the order of its method
// table, and the members that concern the array as a whole (construction from
// a register and a parsed Pauli text, length, equality, identity, register).
#include "core/qubit/pauli_array_new.hpp"
#include "python/qubit/pauli_array.hpp"

namespace vemo::py {
namespace {

using qubit::pauli::CmpntList;

uint64_t array_len(const CmpntList& l) { return l.size(); }
// Planes (words, row count, bit count) and registers alike.
bool array_eq(const CmpntList& a, const CmpntList& b) { return a == b; }
bool same_as(const CmpntList& self, const CmpntList& other) { return &self == &other; }

// The two canonicalisation docstrings, each shared by its Sign and ComplexSign methods.
#define CANONICALIZE_DOC                                                                                              \
    "In place canonicalization with respect to a given ordering of the binary entries in the symplectic form\n"       \
    "`mode_order` the order of binary entries to try reducing to at most one non-zero entry\n"                        \
    "`to_solve` the subset of the components to canonicalise over (e.g. if some partial canonicalization has "       \
    "already been done, skip those components)\n"                                                                      \
    "`additional_reduces` components outside of `to_solve` to include in the reduction step (e.g. if some partial "   \
    "canonicalization has already been done, reduce the components that already have leading entries)\n"             \
    "Errors if any of the qubit or component indices provided are out of bounds\n"                                    \
    "Returns the sequence of imul operations as pairs (lhs_written, rhs_read)"
#define CANONICALIZE_ALL_DOC                                                                                          \
    "In place canonicalization of the entire QubitPauliArray with respect to solving X parts first (in qubit order), " \
    "then Z parts\nReturns the sequence of imul operations as pairs (lhs_written, rhs_read)"

}  // namespace

VEMO_CLASS(qubit::pauli::CmpntList) {
    using namespace pauli_array;
    c.doc("QubitPauliArray(qubits=None, springs=None)\n--\n\nA list of Pauli strings");
    c.init<&qubit::pauli::new_unit_phases>();
    c.len<&array_len>();
    c.eq<&array_eq>();
    c.prop<&CmpntList::qubits>("qubits", "Get the qubit space on which this term is based.");
    c.def_static<&qubit::pauli::new_with_phases>(
        "with_phases(qubits, springs)\n--\n\nGet a new instance and the phases associated with coincidentally-indexed "
        "Paulis in the input springs.");
    c.def<&same_as>("same_as($self, other)\n--\n\nReturn whether the two instances are the same.");
    c.def<&cmpnt_mul>(
        "cmpnt_mul($self, i_lhs, rhs, i_rhs)\n--\n\nMultiply the `i_lhs` cmpnt of `self` by the `i_rhs` cmpnt of `rhs` "
        "and return the resulting cmpnt as\na single element array along with the complex sign phase of the product.");
    c.def<&cmpnts_mul_pairwise>(
        "cmpnts_mul_pairwise($self, rhs)\n--\n\nMultiply each Pauli string in `self` by the corresponding Pauli string "
        "in `rhs`\nComputes the element-wise product of two equally-sized QubitPauliArray instances,\nreturning the "
        "result QubitPauliArray and a ComplexSignVec of phases.");
    c.def<&cmpnt_matrices_imul_internal>(
        "cmpnt_matrices_imul_internal($self, i_lhs, i_rhs)\n--\n\nMultiply the `i_lhs` cmpnt of `self` by the `i_rhs` "
        "cmpnt of `self` and store the resulting cmpnt in\ncmpnt `i_lhs` of `self`");
    c.def<&cmpnt_matrices_imul_external>(
        "cmpnt_matrices_imul_external($self, i_lhs, rhs, i_rhs)\n--\n\nMultiply the `i_lhs` cmpnt of `self` by the "
        "`i_rhs` cmpnt of `rhs` and store the resulting cmpnt in\ncmpnt `i_lhs` of `self`");
    c.def<&cmpnt_imul_internal>(
        "cmpnt_imul_internal($self, i_lhs, i_rhs)\n--\n\nMultiply the `i_lhs` cmpnt of `self` by the `i_rhs` cmpnt of "
        "`self` and store the resulting cmpnt in\ncmpnt `i_lhs` of `self`, returning only the complex sign phase of the "
        "product.");
    c.def<&cmpnt_imul_external>(
        "cmpnt_imul_external($self, i_lhs, rhs, i_rhs)\n--\n\nMultiply the `i_lhs` cmpnt of `self` by the `i_rhs` cmpnt "
        "of `rhs` and store the resulting cmpnt in\ncmpnt `i_lhs` of `self`, returning only the complex sign phase of "
        "the product.");
    c.def<&cmpnt_phase_of_mul>(
        "cmpnt_phase_of_mul($self, i_lhs, rhs, i_rhs)\n--\n\nGet the complex sign phase of the cmpnt product.");
    c.def<&cmpnt_commutes_with>(
        "cmpnt_commutes_with($self, i_lhs, rhs, i_rhs)\n--\n\nDetermine whether the `i_lhs` cmpnt of `self` commutes "
        "with the `i_rhs` cmpnt of `rhs`.");
    c.def<&compatibility_matrix>(
        "compatibility_matrix($self)\n--\n\nGet a matrix of compatibility of the terms in this list. If the row and "
        "column strings commute, the matrix\nelement is 1, else it's 0.");
    c.def<&centralizer_and_remainder>(
        "centralizer_and_remainder($self)\n--\n\nGet the centralizer and remainder of this array of pauli strings.");
    c.def_static<&lincomb_mul_real>(
        "lincomb_mul_real(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs)\n--\n\n"
        "Mul lhs by rhs and update out with the result");
    c.def_static<&lincomb_mul_complex>(
        "lincomb_mul_complex(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs)\n--\n\n"
        "Mul lhs by rhs and update out with the result");
    c.def<&lexicographic_sort>("lexicographic_sort($self, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort_with_sign_vec>(
        "lexicographic_sort_with_sign_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort_with_complex_sign_vec>(
        "lexicographic_sort_with_complex_sign_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort_with_real_vec>(
        "lexicographic_sort_with_real_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort_with_complex_vec>(
        "lexicographic_sort_with_complex_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&conj_clifford_list>(
        "conj_clifford_list($self, gates)\n--\n\nConjugate `self` by a list of clifford gates and return the associated "
        "signs");
    c.def<&canonicalize_sign>(
        "canonicalize_sign($self, coeffs, mode_order, to_solve, additional_reduces)\n--\n\n" CANONICALIZE_DOC);
    c.def<&canonicalize_complex_sign>(
        "canonicalize_complex_sign($self, coeffs, mode_order, to_solve, additional_reduces)\n--\n\n" CANONICALIZE_DOC);
    c.def<&canonicalize_all_sign>("canonicalize_all_sign($self, coeffs)\n--\n\n" CANONICALIZE_ALL_DOC);
    c.def<&canonicalize_all_complex_sign>("canonicalize_all_complex_sign($self, coeffs)\n--\n\n" CANONICALIZE_ALL_DOC);
}

}  // namespace vemo::py
