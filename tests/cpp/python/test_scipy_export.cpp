// The SciPy hand-over of CSR matrices, run in an embedded interpreter: the
// copying path, and the 64-bit indices that Python reaches only past 2^31
// entries.
#include <gtest/gtest.h>

#include "embedded.hpp"

#include <complex>
#include <vector>

#include "core/qubit/sparse.hpp"
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

// SciPy keeps each index type where it would choose it: the arrays it holds are
// the ones handed over (their base the adopting holder), for 32-bit indices on a
// small matrix and 64-bit ones on a matrix wider than 2^31 - 1 columns.
TEST(ScipyExport, AdoptedIndexArraysAreKept) {
    auto kept = [](auto&& m) {
        Obj csr = to_scipy_sparse(std::move(m));
        bool all = true;
        for (const char* name : {"data", "indices", "indptr"}) {
            Obj base = attr(csr, name);
            while (is_ndarray(base.get())) base = attr(base, "base");
            all = all && text(attr(Obj::borrow(reinterpret_cast<PyObject*>(Py_TYPE(base.get()))), "__name__")) ==
                             "_AdoptedBuffer";
        }
        return std::pair{all, text(attr(attr(csr, "indices"), "dtype"))};
    };
    vemo::qubit::CsrMatrix<int32_t> small;
    small.indptr = {0, 1, 2};
    small.indices = {1, 0};
    small.data = {{0, 2}, {3, 0}};
    small.n_rows = small.n_cols = 2;
    EXPECT_EQ(kept(std::move(small)), std::pair(true, std::string("int32")));
    vemo::qubit::CsrMatrix<int64_t> wide;
    wide.indptr = {0, 1};
    wide.indices = {int64_t{1} << 32};
    wide.data = {{1, 0}};
    wide.n_rows = 1;
    wide.n_cols = uint64_t{1} << 33;
    EXPECT_EQ(kept(vemo::qubit::AnyCsrMatrix(std::move(wide))), std::pair(true, std::string("int64")));
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
