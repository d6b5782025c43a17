// QubitPauliArray: the class's single member list, in the order of its method
// table, and the members that concern the array as a whole (construction from
// a register and a parsed Pauli text, length, equality, identity, register).
#include "core/qubit/pauli_list_from_text.hpp"
#include "python/container/array_common.hpp"
#include "python/qubit/op_errors.hpp"
#include "python/qubit/pauli_array.hpp"
#include "python/qubit/state_array.hpp"

namespace vemo::py {
namespace {

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
    using L = CmpntList;
    c.doc("QubitPauliArray(qubits=None, springs=None)\n--\n\nA list of Pauli strings");
    c.init<&qubit::pauli::new_unit_phases>();
    c.len<&array::len<L>>();
    // Planes (words, row count, bit count) and registers alike.
    c.eq<&array::eq<L>>();
    c.prop<&CmpntList::qubits>("qubits", "Get the qubit space on which this term is based.");
    c.def<&to_dict>("to_dict($self)\n--\n\n");
    c.def_static<&from_dict>("from_dict(dict)\n--\n\n");
    c.def_static<&qubit::pauli::new_with_phases>(
        "with_phases(qubits, springs)\n--\n\nGet a new instance and the phases associated with coincidentally-indexed "
        "Paulis in the input springs.");
    c.def<&L::relabel>("relabel($self, qubits)\n--\n\nRedefine the virtual register on which `self` is based.");
    c.def<&L::standardize>(
        "standardize($self, n_qubit)\n--\n\nPhysically reorder contents so that the qubits on which `self` is based are "
        "a simple count from 0 in the standard register.");
    c.def<&L::standardized>(
        "standardized($self, n_qubit)\n--\n\nPhysically reorder contents so that the qubits on which `self` is based are "
        "a simple count from 0 in the standard register.");
    c.def<&array::same_as<L>>("same_as($self, other)\n--\n\nReturn whether the two instances are the same.");
    c.def<&array::resize<L>>(
        "resize($self, n)\n--\n\nSet the number of Pauli strings in `self`.\nErases elements if the new size is less "
        "than the current size.");
    c.def<&array::append_clear<L>>("append_clear($self)\n--\n\nAppend an identity string to the end of `self`");
    c.def<&array::cmpnt_clear<L>>("cmpnt_clear($self, i)\n--\n\nSet the indexed cmpnt to the identity string.");
    c.def<&cmpnt_set_pauli>("cmpnt_set_pauli($self, i_cmpnt, i_qubit, pauli)\n--\n\nSet the Pauli matrix on a single qubit.");
    c.def<&cmpnt_get_pauli>("cmpnt_get_pauli($self, i_cmpnt, i_qubit)\n--\n\nGet the Pauli matrix on a single qubit.");
    c.def<&cmpnt_set_from_list>(
        "cmpnt_set_from_list($self, i, paulis)\n--\n\nSet the indexed cmpnt to the given sequence of pauli matrices.\n"
        "Errors if length of `paulis` is greater than the number of qubits,\nand pads the upper indices with I in the case "
        "that the length of `paulis` is smaller.");
    c.def<&cmpnt_set_from_dict>(
        "cmpnt_set_from_dict($self, i, paulis)\n--\n\nSet the indexed cmpnt with the given dict mapping qubit indices to "
        "pauli matrices.\nAll qubit indices which do not appear in the key set of `paulis` is set to I.");
    c.def<&cmpnt_set_from_spring>(
        "cmpnt_set_from_spring($self, i, src, i_src)\n--\n\nSet the indexed cmpnt with the indexed spring.");
    c.def<&cmpnt_get_list>("cmpnt_get_list($self, i)\n--\n\nGet the indexed cmpnt as a list of pauli matrices.");
    c.def<&cmpnt_get_dict>(
        "cmpnt_get_dict($self, i)\n--\n\nGet the indexed cmpnt as a dict from qubit indices to pauli matrices.");
    array::def_copies(c);
    c.def<&array::cmpnt_equal<L>>(
        "cmpnt_equal($self, i_lhs, rhs, i_rhs)\n--\n\nReturn whether the two referenced cmpnts are equal.");
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
    c.def<&cmpnt_count>(
        "cmpnt_count($self, i, pauli)\n--\n\nGet the number of occurrences of `pauli` in the indexed cmpnt.");
    c.def<&array::cmpnt_to_string<L>>(
        "cmpnt_to_string($self, i)\n--\n\nGet the string representation of the indexed cmpnt.");
    c.def<&cmpnt_to_sparse_matrix>(
        "cmpnt_to_sparse_matrix($self, i, big_endian)\n--\n\nGet the indexed cmpnt as a complex sparse matrix.");
    array::def_selections(c);
    c.def<&compatibility_matrix>(
        "compatibility_matrix($self)\n--\n\nGet a matrix of compatibility of the terms in this list. If the row and "
        "column strings commute, the matrix\nelement is 1, else it's 0.");
    c.def<&centralizer_and_remainder>(
        "centralizer_and_remainder($self)\n--\n\nGet the centralizer and remainder of this array of pauli strings.");
    array::def_mapped(c);
    c.def_static<&lincomb_mul_real>(
        "lincomb_mul_real(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs)\n--\n\n"
        "Mul lhs by rhs and update out with the result");
    c.def_static<&lincomb_mul_complex>(
        "lincomb_mul_complex(lhs_impl, lhs_coeffs, rhs_impl, rhs_coeffs, out_impl, out_map, out_coeffs)\n--\n\n"
        "Mul lhs by rhs and update out with the result");
    c.def_static<&lincomb_to_sparse_real>(
        "lincomb_to_sparse_real(cmpnts, coeffs, big_endian)\n--\n\nGet a real-valued operator as a complex sparse "
        "matrix.");
    c.def_static<&lincomb_to_sparse_complex>(
        "lincomb_to_sparse_complex(cmpnts, coeffs, big_endian)\n--\n\nGet a complex-valued operator as a complex "
        "sparse matrix.");
    c.def_static<&project_ortho_real>(
        "lincomb_project_into_ortho_subspace_real(cmpnts, coeffs, subspace)\n--\n\nGet the projected operator for "
        "real-valued operator in a given subspace");
    c.def_static<&project_ortho_complex>(
        "lincomb_project_into_ortho_subspace_complex(cmpnts, coeffs, subspace)\n--\n\nGet the projected operator "
        "for complex-valued operator in a given subspace");
    c.def_static<&project_nonortho_real>(
        "lincomb_project_into_nonortho_subspace_real(cmpnts, coeffs, subspace_cmpnts, subspace_maps, "
        "subspace_coeffs)\n--\n\nGet the projected operator and the overlap matrix for real-valued operator and "
        "subspace");
    c.def_static<&project_nonortho_complex>(
        "lincomb_project_into_nonortho_subspace_complex(cmpnts, coeffs, subspace_cmpnts, subspace_maps, "
        "subspace_coeffs)\n--\n\nGet the projected operator and the overlap matrix for complex-valued operator "
        "and subspace");
    c.def<&lexicographic_sort>("lexicographic_sort($self, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort_with_sign_vec>(
        "lexicographic_sort_with_sign_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort_with_complex_sign_vec>(
        "lexicographic_sort_with_complex_sign_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort_with_real_vec>(
        "lexicographic_sort_with_real_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&lexicographic_sort_with_complex_vec>(
        "lexicographic_sort_with_complex_vec($self, coeffs, ascending)\n--\n\nSort in lexicographic order");
    c.def<&apply_to_state_real>(
        "apply_to_state_real($self, coeffs, state_cmpnts, state_coeffs, out_cmpnts, out_map, out_coeffs)\n--\n\n"
        "Apply this array as an operator to state.");
    c.def<&apply_to_state_complex>(
        "apply_to_state_complex($self, coeffs, state_cmpnts, state_coeffs, out_cmpnts, out_map, out_coeffs)\n--\n\n"
        "Apply this array as an operator to state.");
    c.def<&mat_elem_real>(
        "mat_elem_real($self, coeffs, bra_cmpnts, bra_coeffs, ket_cmpnts, ket_coeffs)\n--\n\nGet matrix element of "
        "real operator");
    c.def<&mat_elem_complex>(
        "mat_elem_complex($self, coeffs, bra_cmpnts, bra_coeffs, ket_cmpnts, ket_coeffs)\n--\n\nGet matrix element "
        "of complex operator");
    c.def<&conj_clifford_list>(
        "conj_clifford_list($self, gates)\n--\n\nConjugate `self` by a list of clifford gates and return the associated "
        "signs");
    c.def<&canonicalize_sign>(
        "canonicalize_sign($self, coeffs, mode_order, to_solve, additional_reduces)\n--\n\n" CANONICALIZE_DOC);
    c.def<&canonicalize_complex_sign>(
        "canonicalize_complex_sign($self, coeffs, mode_order, to_solve, additional_reduces)\n--\n\n" CANONICALIZE_DOC);
    c.def<&canonicalize_all_sign>("canonicalize_all_sign($self, coeffs)\n--\n\n" CANONICALIZE_ALL_DOC);
    c.def<&canonicalize_all_complex_sign>("canonicalize_all_complex_sign($self, coeffs)\n--\n\n" CANONICALIZE_ALL_DOC);
    c.def<&save_to_file>("save_to_file($self, path)\n--\n\nSave in binary format");
    c.def_static<&load_from_file>("load_from_file(path)\n--\n\nLoad from binary format file");
}

}  // namespace vemo::py
