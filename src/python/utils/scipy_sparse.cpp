#include "python/utils/scipy_sparse.hpp"

#include <string>

#include "python/frame/numpy.hpp"

namespace vemo::py {

namespace {

constexpr const char* owner_name = "vemo.array_owner";

// numpy.asarray of an object whose __array_interface__ points into the
// vector, the object holding a capsule that owns the vector.
template <class T, class A>
Obj adopt(std::vector<T, A>&& v, const char* typestr) {
    using Vec = std::vector<T, A>;
    if (v.empty()) return make_array_1d<T>(std::span<const T>());
    auto* owner = new Vec(std::move(v));
    PyObject* cap = PyCapsule_New(owner, owner_name, [](PyObject* c) {
        delete static_cast<Vec*>(PyCapsule_GetPointer(c, owner_name));
    });
    if (!cap) {
        delete owner;
        throw ErrorAlreadySet{};
    }
    Obj capsule = check(cap);
    Obj iface = check(Py_BuildValue("{s:(n),s:s,s:(K,O),s:i}", "shape", static_cast<Py_ssize_t>(owner->size()),
                                    "typestr", typestr, "data",
                                    static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(owner->data())),
                                    Py_False, "version", 3));
    Obj kwargs = check(Py_BuildValue("{s:O,s:O}", "__array_interface__", iface.get(), "owner", capsule.get()));
    Obj no_args = check(PyTuple_New(0));
    Obj holder = check(PyObject_Call(cached_attr("types", "SimpleNamespace"), no_args.get(), kwargs.get()));
    return check(PyObject_CallFunctionObjArgs(cached_attr("numpy", "asarray"), holder.get(), nullptr));
}

}  // namespace

Obj adopt_array_1d(LargeVec<uint64_t>&& v) { return adopt(std::move(v), "<u8"); }
Obj adopt_array_1d(LargeVec<std::complex<double>>&& v) { return adopt(std::move(v), "<c16"); }
Obj adopt_array_1d(LargeBuf<uint64_t>&& v) { return adopt(std::move(v), "<u8"); }
Obj adopt_array_1d(LargeBuf<std::complex<double>>&& v) { return adopt(std::move(v), "<c16"); }

Obj to_scipy_sparse(std::span<const uint64_t> indptr, std::span<const uint64_t> indices,
                    std::span<const std::complex<double>> data, uint64_t n_rows, uint64_t n_cols) {
    if (indptr.empty() || indptr.front() != 0)
        internal_failure("to_scipy_sparse: the index pointers must start with 0 (" + std::to_string(indptr.size()) +
                         " given)");
    // Arrays first: their failure is an internal one; SciPy's errors propagate as they are.
    Obj a_indptr, a_indices, a_data;
    try {
        a_indptr = make_array_1d<uint64_t>(indptr);
        a_indices = make_array_1d<uint64_t>(indices);
        a_data = make_array_1d<std::complex<double>>(data);
    } catch (const ErrorAlreadySet&) {
        PyErr_Clear();
        internal_failure("to_scipy_sparse: a NumPy array could not be created");
    }
    return to_scipy_sparse(std::move(a_indptr), std::move(a_indices), std::move(a_data), n_rows, n_cols);
}

Obj to_scipy_sparse(Obj a_indptr, Obj a_indices, Obj a_data, uint64_t n_rows, uint64_t n_cols) {
    PyObject* csr = cached_attr("scipy.sparse", "csr_matrix");
    Obj arrays = check(PyTuple_Pack(3, a_data.get(), a_indices.get(), a_indptr.get()));
    Obj rows = check(PyLong_FromUnsignedLongLong(n_rows));
    Obj cols = check(PyLong_FromUnsignedLongLong(n_cols));
    Obj shape = check(PyTuple_Pack(2, rows.get(), cols.get()));
    return check(PyObject_CallFunctionObjArgs(csr, arrays.get(), shape.get(), nullptr));
}

}  // namespace vemo::py
