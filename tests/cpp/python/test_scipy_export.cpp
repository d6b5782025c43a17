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
    const uint64_t indptr[] = {0, 0};
    Obj m = to_scipy_sparse(indptr, {}, {}, 1, 1);
    Obj csr = Obj::borrow(cached_attr("scipy.sparse", "csr_matrix"));
    EXPECT_EQ(PyObject_IsInstance(m.get(), csr.get()), 1);
    EXPECT_EQ(text(attr(m, "shape")), "(1, 1)");
    EXPECT_EQ(text(attr(m, "nnz")), "0");
    EXPECT_EQ(text(attr(attr(m, "dtype"), "name")), "complex128");
}

TEST(ScipyExport, ValuesAndOwnership) {
    // [[0, 2i], [3, 0]]
    std::vector<uint64_t> indptr{0, 1, 2}, indices{1, 0};
    std::vector<std::complex<double>> data{{0, 2}, {3, 0}};
    Obj m = to_scipy_sparse(indptr, indices, data, 2, 2);
    data[0] = 99.0;  // the matrix holds copies
    EXPECT_EQ(text(call0(call0(m, "toarray"), "tolist")), "[[0j, 2j], [(3+0j), 0j]]");
    // SciPy stores the index arrays in its own index type; the values must survive that.
    EXPECT_EQ(text(call0(attr(m, "indices"), "tolist")), "[1, 0]");
}

TEST(ScipyExport, BadIndexPointersAreInternalFailures) {
    const uint64_t bad[] = {1, 1};
    EXPECT_THROW(to_scipy_sparse(bad, {}, {}, 1, 1), vemo::InternalError);
    EXPECT_THROW(to_scipy_sparse(std::span<const uint64_t>{}, {}, {}, 0, 0), vemo::InternalError);
}
