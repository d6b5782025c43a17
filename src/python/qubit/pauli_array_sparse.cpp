// Sparse matrices of Pauli strings and Pauli linear combinations, handed to
// SciPy as csr_matrix objects.
#include "core/qubit/pauli_word.hpp"
#include "core/qubit/sparse_lincomb.hpp"
#include "python/qubit/pauli_array.hpp"
#include "python/utils/scipy_sparse.hpp"

namespace vemo::py::pauli_array {
namespace {

template <class C>
SparseMatrix lincomb_to_sparse(const CmpntList& cmpnts, const C& coeffs, bool big_endian) {
    return {to_py_result(qubit::pauli::to_sparse_matrix(qubit::pauli::LincombView<C>{cmpnts, coeffs}, big_endian))};
}

}  // namespace

SparseMatrix cmpnt_to_sparse_matrix(const CmpntList& self, int64_t i, bool big_endian) {
    const uint64_t k = py_index(i, self.size());
    return {to_py_result(qubit::pauli::to_sparse_matrix(self, k, big_endian))};
}

SparseMatrix lincomb_to_sparse_real(const CmpntList& cmpnts, const RealVec& coeffs, bool big_endian) {
    return lincomb_to_sparse(cmpnts, coeffs, big_endian);
}

SparseMatrix lincomb_to_sparse_complex(const CmpntList& cmpnts, const ComplexVec& coeffs, bool big_endian) {
    return lincomb_to_sparse(cmpnts, coeffs, big_endian);
}

}  // namespace vemo::py::pauli_array

namespace vemo::py {
VEMO_METHOD_GLUE(&pauli_array::cmpnt_to_sparse_matrix, qubit::pauli::CmpntList);
VEMO_METHOD_GLUE(&pauli_array::lincomb_to_sparse_real, void);
VEMO_METHOD_GLUE(&pauli_array::lincomb_to_sparse_complex, void);
}  // namespace vemo::py
