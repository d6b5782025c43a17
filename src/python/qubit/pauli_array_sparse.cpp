// Sparse matrices of Pauli strings and Pauli linear combinations, handed to
// SciPy as csr_matrix objects.
#include "core/qubit/pauli_word.hpp"
#include "core/qubit/sparse_lincomb.hpp"
#include "python/qubit/pauli_array.hpp"
#include "python/utils/scipy_sparse.hpp"

namespace vemo::py::pauli_array {
namespace {

using SparseMatrix = SciPyCsr<qubit::AnyCsrMatrix>;

template <class C>
SparseMatrix lincomb_to_sparse(const CmpntList& cmpnts, const C& coeffs, bool big_endian) {
    return {to_py_result(qubit::pauli::to_sparse_matrix(qubit::pauli::LincombView<C>{cmpnts, coeffs}, big_endian))};
}

SparseMatrix cmpnt_to_sparse_matrix(const CmpntList& self, int64_t i, bool big_endian) {
    const uint64_t k = py_index(i, self.size());
    return {to_py_result(qubit::pauli::to_sparse_matrix(self, k, big_endian))};
}

}  // namespace

void define_cmpnt_sparse(Def& c) {
    c.def<&cmpnt_to_sparse_matrix>(
        "cmpnt_to_sparse_matrix($self, i, big_endian)\n--\n\nGet the indexed cmpnt as a complex sparse matrix.");
}

void define_lincomb_sparse(Def& c) {
    c.def_static<&lincomb_to_sparse<RealVec>>(
        "lincomb_to_sparse_real(cmpnts, coeffs, big_endian)\n--\n\nGet a real-valued operator as a complex sparse "
        "matrix.");
    c.def_static<&lincomb_to_sparse<ComplexVec>>(
        "lincomb_to_sparse_complex(cmpnts, coeffs, big_endian)\n--\n\nGet a complex-valued operator as a complex "
        "sparse matrix.");
}

}  // namespace vemo::py::pauli_array
