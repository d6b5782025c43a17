// The Python class QubitPauliArray: a Pauli-string list on one register.
//
// Its single member list (the order of the class's method table) is in
// pauli_array.cpp; the bodies of larger groups of methods live in section
// files and are declared here.
#pragma once

#include <cstdint>
#include <expected>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

#include "core/qubit/canonical.hpp"
#include "core/qubit/mat_elem.hpp"
#include "core/qubit/pauli_array_algebra.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/sparse.hpp"
#include "python/frame/numpy.hpp"
#include "python/utils/scipy_sparse.hpp"
#include "core/qubit/state.hpp"
#include "python/cmpnt/errors.hpp"
#include "python/container/coeffs/classes.hpp"
#include "python/container/map.hpp"
#include "python/qubit/qubit.hpp"
#include "python/utils/file_errors.hpp"

VEMO_PY_CLASS(vemo::qubit::pauli::CmpntList, "QubitPauliArray");

namespace vemo::py {

template <>
struct ErrorToException<qubit::pauli::PairwiseMulError> {
    static PyObject* type(const qubit::pauli::PairwiseMulError&) { return PyExc_ValueError; }
};
template <>
struct ErrorToException<qubit::pauli::CanonicalError> {
    static PyObject* type(const qubit::pauli::CanonicalError& e) {
        return std::holds_alternative<OutOfBounds>(e.v) ? PyExc_IndexError : PyExc_ValueError;
    }
};

// One mode-order item as given: a 2-tuple (qubit position, SymplecticPart),
// the position still subject to the Python index rule.
struct PyModeEntry {
    int64_t qubit = 0;
    qubit::SymplecticPart part = qubit::SymplecticPart::X;
};
template <>
struct FromPy<PyModeEntry> {
    static PyModeEntry convert(PyObject* o);
};

}  // namespace vemo::py

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

// Sparse matrices (pauli_array_sparse.cpp).
using SparseMatrix = SciPyCsr<qubit::CsrMatrix>;
SparseMatrix cmpnt_to_sparse_matrix(const CmpntList& self, int64_t i, bool big_endian);
SparseMatrix lincomb_to_sparse_real(const CmpntList& cmpnts, const RealVec& coeffs, bool big_endian);
SparseMatrix lincomb_to_sparse_complex(const CmpntList& cmpnts, const ComplexVec& coeffs, bool big_endian);

// Matrix elements, application to states and projections (pauli_array_states.cpp).
using StateList = qubit::state::CmpntList;
using qubit::pauli::MatElemError;
NdArray<double> project_ortho_real(const CmpntList& cmpnts, const RealVec& coeffs, const StateList& subspace);
NdArray<Complex> project_ortho_complex(const CmpntList& cmpnts, const ComplexVec& coeffs, const StateList& subspace);
std::tuple<NdArray<double>, NdArray<double>> project_nonortho_real(const CmpntList& cmpnts, const RealVec& coeffs,
                                           std::vector<StateList> subspace_cmpnts, std::vector<Map> subspace_maps,
                                           std::vector<RealVec> subspace_coeffs);
std::tuple<NdArray<Complex>, NdArray<Complex>> project_nonortho_complex(const CmpntList& cmpnts, const ComplexVec& coeffs,
                                              std::vector<StateList> subspace_cmpnts, std::vector<Map> subspace_maps,
                                              std::vector<ComplexVec> subspace_coeffs);
std::expected<void, MatElemError> apply_to_state_real(const CmpntList& self, const RealVec& coeffs,
                                                      const StateList& state_cmpnts, const RealVec& state_coeffs,
                                                      StateList& out_cmpnts, Map& out_map, ComplexVec& out_coeffs);
std::expected<void, MatElemError> apply_to_state_complex(const CmpntList& self, const ComplexVec& coeffs,
                                                         const StateList& state_cmpnts, const ComplexVec& state_coeffs,
                                                         StateList& out_cmpnts, Map& out_map, ComplexVec& out_coeffs);
std::expected<double, MatElemError> mat_elem_real(const CmpntList& self, const RealVec& coeffs,
                                                  const StateList& bra_cmpnts, const RealVec& bra_coeffs,
                                                  const StateList& ket_cmpnts, const RealVec& ket_coeffs);
std::expected<Complex, MatElemError> mat_elem_complex(const CmpntList& self, const ComplexVec& coeffs,
                                                      const StateList& bra_cmpnts, const ComplexVec& bra_coeffs,
                                                      const StateList& ket_cmpnts, const ComplexVec& ket_coeffs);

// Reading and writing single strings (pauli_array_edit.cpp).
std::expected<void, OutOfBounds> cmpnt_set_pauli(CmpntList& self, int64_t i_cmpnt, int64_t i_qubit,
                                                 qubit::PauliMatrix pauli);
qubit::PauliMatrix cmpnt_get_pauli(CmpntList& self, int64_t i_cmpnt, int64_t i_qubit);
std::expected<void, OutOfBounds> cmpnt_set_from_list(CmpntList& self, int64_t i, std::vector<qubit::PauliMatrix> paulis);
std::expected<void, OutOfBounds> cmpnt_set_from_dict(CmpntList& self, int64_t i,
                                                     std::map<uint64_t, qubit::PauliMatrix> paulis);
std::expected<ComplexSign, ParseError> cmpnt_set_from_spring(CmpntList& self, int64_t i, const qubit::pauli::Springs& src,
                                                             uint64_t i_src);
std::vector<qubit::PauliMatrix> cmpnt_get_list(const CmpntList& self, int64_t i);
std::map<uint64_t, qubit::PauliMatrix> cmpnt_get_dict(const CmpntList& self, int64_t i);
uint64_t cmpnt_count(const CmpntList& self, int64_t i, qubit::PauliMatrix pauli);

// The dict form and the binary file (pauli_array_file.cpp).
Obj to_dict(const CmpntList& self);
CmpntList from_dict(PyObject* dict);
std::expected<void, FileError> save_to_file(const CmpntList& self, std::string path);
std::expected<CmpntList, FileError> load_from_file(std::string path);

// Products, commutation, compatibility, centralizer and Clifford conjugation
// of components (pauli_array_algebra.cpp).
std::expected<std::pair<CmpntList, ComplexSign>, DifferentQubits> cmpnt_mul(const CmpntList& self, int64_t i_lhs,
                                                                           const CmpntList& rhs, int64_t i_rhs);
std::expected<std::pair<CmpntList, ComplexSignVec>, qubit::pauli::PairwiseMulError> cmpnts_mul_pairwise(
    const CmpntList& self, const CmpntList& rhs);
void cmpnt_matrices_imul_internal(CmpntList& self, int64_t i_lhs, int64_t i_rhs);
std::expected<void, DifferentQubits> cmpnt_matrices_imul_external(CmpntList& self, int64_t i_lhs,
                                                                  const CmpntList& rhs, int64_t i_rhs);
ComplexSign cmpnt_imul_internal(CmpntList& self, int64_t i_lhs, int64_t i_rhs);
std::expected<ComplexSign, DifferentQubits> cmpnt_imul_external(CmpntList& self, int64_t i_lhs, const CmpntList& rhs,
                                                                int64_t i_rhs);
std::expected<ComplexSign, DifferentQubits> cmpnt_phase_of_mul(const CmpntList& self, int64_t i_lhs,
                                                               const CmpntList& rhs, int64_t i_rhs);
std::expected<bool, DifferentQubits> cmpnt_commutes_with(const CmpntList& self, int64_t i_lhs, const CmpntList& rhs,
                                                         int64_t i_rhs);
NdArray<uint8_t> compatibility_matrix(const CmpntList& self);
std::pair<CmpntList, CmpntList> centralizer_and_remainder(const CmpntList& self);
std::expected<SignVec, OutOfBounds> conj_clifford_list(CmpntList& self, const qubit::clifford::CliffordGateList& gates);

// Lexicographic sorting (pauli_array_sort.cpp).
void lexicographic_sort(CmpntList& self, bool ascending);
std::expected<void, ShortCoeffs> lexicographic_sort_with_sign_vec(CmpntList& self, SignVec& coeffs, bool ascending);
std::expected<void, ShortCoeffs> lexicographic_sort_with_complex_sign_vec(CmpntList& self, ComplexSignVec& coeffs,
                                                                          bool ascending);
std::expected<void, ShortCoeffs> lexicographic_sort_with_real_vec(CmpntList& self, RealVec& coeffs, bool ascending);
std::expected<void, ShortCoeffs> lexicographic_sort_with_complex_vec(CmpntList& self, ComplexVec& coeffs,
                                                                     bool ascending);

// Canonicalisation (pauli_array_canonical.cpp).
using qubit::pauli::CanonicalError;
using qubit::pauli::ImulRecord;
std::expected<ImulRecord, CanonicalError> canonicalize_sign(CmpntList& self, SignVec& coeffs,
                                                            std::vector<PyModeEntry> mode_order,
                                                            std::vector<uint64_t> to_solve,
                                                            std::vector<uint64_t> additional_reduces);
std::expected<ImulRecord, CanonicalError> canonicalize_complex_sign(CmpntList& self, ComplexSignVec& coeffs,
                                                                    std::vector<PyModeEntry> mode_order,
                                                                    std::vector<uint64_t> to_solve,
                                                                    std::vector<uint64_t> additional_reduces);
std::expected<ImulRecord, CanonicalError> canonicalize_all_sign(CmpntList& self, SignVec& coeffs);
std::expected<ImulRecord, CanonicalError> canonicalize_all_complex_sign(CmpntList& self, ComplexSignVec& coeffs);

}  // namespace vemo::py::pauli_array

// The call glue of the section files' methods is compiled in those files.
namespace vemo::py {
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_mul, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnts_mul_pairwise, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_matrices_imul_internal, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_matrices_imul_external, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_imul_internal, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_imul_external, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_phase_of_mul, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_commutes_with, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::compatibility_matrix, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::centralizer_and_remainder, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::conj_clifford_list, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::canonicalize_sign, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::canonicalize_complex_sign, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::canonicalize_all_sign, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::canonicalize_all_complex_sign, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_set_pauli, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_get_pauli, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_set_from_list, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_set_from_dict, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_set_from_spring, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_get_list, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_get_dict, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_count, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::to_dict, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::from_dict, void);
VEMO_EXTERN_METHOD(&pauli_array::save_to_file, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::load_from_file, void);
VEMO_EXTERN_METHOD(&pauli_array::lincomb_mul_real, void);
VEMO_EXTERN_METHOD(&pauli_array::lincomb_mul_complex, void);
VEMO_EXTERN_METHOD(&pauli_array::lexicographic_sort, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::lexicographic_sort_with_sign_vec, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::lexicographic_sort_with_complex_sign_vec, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::lexicographic_sort_with_real_vec, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::lexicographic_sort_with_complex_vec, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::cmpnt_to_sparse_matrix, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::lincomb_to_sparse_real, void);
VEMO_EXTERN_METHOD(&pauli_array::lincomb_to_sparse_complex, void);
VEMO_EXTERN_METHOD(&pauli_array::apply_to_state_real, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::apply_to_state_complex, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::mat_elem_real, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::mat_elem_complex, qubit::pauli::CmpntList);
VEMO_EXTERN_METHOD(&pauli_array::project_ortho_real, void);
VEMO_EXTERN_METHOD(&pauli_array::project_ortho_complex, void);
VEMO_EXTERN_METHOD(&pauli_array::project_nonortho_real, void);
VEMO_EXTERN_METHOD(&pauli_array::project_nonortho_complex, void);
}  // namespace vemo::py
