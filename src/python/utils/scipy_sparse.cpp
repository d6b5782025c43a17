#include "python/utils/scipy_sparse.hpp"

#include <string>

#include "python/frame/numpy.hpp"

namespace vemo::py {

template <class Index>
Obj to_scipy_sparse(std::span<const Index> indptr, std::span<const Index> indices,
                    std::span<const std::complex<double>> data, uint64_t n_rows, uint64_t n_cols) {
    if (indptr.empty() || indptr.front() != 0)
        internal_failure("to_scipy_sparse: the index pointers must start with 0 (" + std::to_string(indptr.size()) +
                         " given)");
    // Arrays first: their failure is an internal one; SciPy's errors propagate as they are.
    Obj a_indptr, a_indices, a_data;
    try {
        a_indptr = make_array_1d<Index>(indptr);
        a_indices = make_array_1d<Index>(indices);
        a_data = make_array_1d<std::complex<double>>(data);
    } catch (const ErrorAlreadySet&) {
        PyErr_Clear();
        internal_failure("to_scipy_sparse: a NumPy array could not be created");
    }
    return to_scipy_sparse(std::move(a_indptr), std::move(a_indices), std::move(a_data), n_rows, n_cols);
}

template Obj to_scipy_sparse<int32_t>(std::span<const int32_t>, std::span<const int32_t>,
                                      std::span<const std::complex<double>>, uint64_t, uint64_t);
template Obj to_scipy_sparse<int64_t>(std::span<const int64_t>, std::span<const int64_t>,
                                      std::span<const std::complex<double>>, uint64_t, uint64_t);

Obj to_scipy_sparse(Obj a_indptr, Obj a_indices, Obj a_data, uint64_t n_rows, uint64_t n_cols) {
    PyObject* csr = cached_attr("scipy.sparse", "csr_matrix");
    Obj arrays = check(PyTuple_Pack(3, a_data.get(), a_indices.get(), a_indptr.get()));
    Obj rows = check(PyLong_FromUnsignedLongLong(n_rows));
    Obj cols = check(PyLong_FromUnsignedLongLong(n_cols));
    Obj shape = check(PyTuple_Pack(2, rows.get(), cols.get()));
    return check(PyObject_CallFunctionObjArgs(csr, arrays.get(), shape.get(), nullptr));
}

}  // namespace vemo::py
