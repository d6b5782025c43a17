// The SciPy hand-over of CSR matrices, run in an embedded interpreter: no
// Python method of this build returns a sparse matrix yet.
#include <gtest/gtest.h>

#include "embedded.hpp"

#include <complex>
#include <vector>

#include "python/frame/numpy.hpp"
#include "python/utils/scipy_sparse.hpp"

using namespace vemo::py;

namespace {


Obj attr(const Obj& o, const char* name) { return check(PyObject_GetAttrString(o.get(), name)); }
std::string text(const Obj& o) { return str_of(o.get()); }
Obj call0(const Obj& o, const char* method) { return check(PyObject_CallMethod(o.get(), method, nullptr)); }

}  // namespace

TEST(ScipyExport, EmptyOneByOne) {
    const int32_t indptr[] = {0, 0};
    Obj m = to_scipy_sparse<int32_t>(indptr, {}, {}, 1, 1);
    Obj csr = Obj::borrow(cached_attr("scipy.sparse", "csr_matrix"));
    EXPECT_EQ(PyObject_IsInstance(m.get(), csr.get()), 1);
    EXPECT_EQ(text(attr(m, "shape")), "(1, 1)");
    EXPECT_EQ(text(attr(m, "nnz")), "0");
    EXPECT_EQ(text(attr(attr(m, "dtype"), "name")), "complex128");
}

TEST(ScipyExport, ValuesAndOwnership) {
    // [[0, 2i], [3, 0]]
    std::vector<int64_t> indptr{0, 1, 2}, indices{1, 0};
    std::vector<std::complex<double>> data{{0, 2}, {3, 0}};
    Obj m = to_scipy_sparse<int64_t>(indptr, indices, data, 2, 2);
    data[0] = 99.0;  // the matrix holds copies
    EXPECT_EQ(text(call0(call0(m, "toarray"), "tolist")), "[[0j, 2j], [(3+0j), 0j]]");
    // SciPy stores the index arrays in its own index type; the values must survive that.
    EXPECT_EQ(text(call0(attr(m, "indices"), "tolist")), "[1, 0]");
    EXPECT_EQ(text(attr(attr(attr(m, "indices"), "dtype"), "name")), "int32");
}

TEST(NumpyArrays, DataMustFillTheShapeExactly) {
    const double data[6] = {1, 2, 3, 4, 5, 6};
    const Py_ssize_t two_by_three[2] = {2, 3}, two_by_four[2] = {2, 4}, negative[2] = {-2, -3};
    const Py_ssize_t huge[2] = {PY_SSIZE_T_MAX, PY_SSIZE_T_MAX};
    Obj a = make_array<double>(two_by_three, data);
    EXPECT_EQ(text(call0(a, "tolist")), "[[1.0, 2.0, 3.0], [4.0, 5.0, 6.0]]");
    EXPECT_THROW(make_array<double>(two_by_four, data), vemo::InternalError);
    EXPECT_THROW(make_array<double>(two_by_three, std::span<const double>(data, 5)), vemo::InternalError);
    EXPECT_THROW(make_array<double>(negative, data), vemo::InternalError);
    EXPECT_THROW(make_array<double>(huge, data), vemo::InternalError);
    const Py_ssize_t empty[2] = {0, 3};
    EXPECT_EQ(text(attr(make_array<double>(empty, {}), "shape")), "(0, 3)");
}

TEST(ScipyExport, BadIndexPointersAreInternalFailures) {
    const int32_t bad[] = {1, 1};
    EXPECT_THROW(to_scipy_sparse<int32_t>(bad, {}, {}, 1, 1), vemo::InternalError);
    EXPECT_THROW(to_scipy_sparse(std::span<const int64_t>{}, {}, {}, 0, 0), vemo::InternalError);
}
