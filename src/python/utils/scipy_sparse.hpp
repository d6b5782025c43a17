// Hand-over of a compressed-sparse-row matrix to SciPy as a csr_matrix with
// int32 or int64 index arrays and complex128 data. SciPy keeps index arrays
// of those types as they are when their type is the one it would choose (the
// core fills them so), so the arrays handed over become the matrix's own.
#pragma once

#include <complex>
#include <concepts>
#include <cstdint>
#include <span>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

#include "python/frame/bind.hpp"
#include "python/frame/numpy.hpp"

namespace vemo::py {

// scipy.sparse.csr_matrix((data, indices, indptr), (n_rows, n_cols)), the arrays
// copied into new NumPy arrays. indptr must be non-empty and start at 0.
// A failure of SciPy (an ImportError when it is missing) propagates as it is.
// Index is int32_t or int64_t.
template <class Index>
Obj to_scipy_sparse(std::span<const Index> indptr, std::span<const Index> indices,
                    std::span<const std::complex<double>> data, uint64_t n_rows, uint64_t n_cols);

// A NumPy array that adopts the vector's buffer (no copy): the array's base
// owns it and frees it with the array.
template <class T, class A>
Obj adopt_array_1d(std::vector<T, A>&& v) {
    const Py_ssize_t shape[1] = {static_cast<Py_ssize_t>(v.size())};
    return adopt_array(std::move(v), shape);
}

// The same csr_matrix call on arrays given as NumPy objects.
Obj to_scipy_sparse(Obj indptr, Obj indices, Obj data, uint64_t n_rows, uint64_t n_cols);

// Any CSR holder with those five fields; it is consumed: arrays held in
// vectors are adopted, others copied and freed.
template <class M, class Index = typename std::remove_cvref_t<decltype(std::declval<M&>().indptr)>::value_type>
    requires requires(M& m) {
        { std::span<const Index>(m.indptr) };
        { std::span<const Index>(m.indices) };
        { std::span<const std::complex<double>>(m.data) };
        { m.n_rows } -> std::convertible_to<uint64_t>;
        { m.n_cols } -> std::convertible_to<uint64_t>;
    }
Obj to_scipy_sparse(M&& m) {
    M owned = std::move(m);
    if constexpr (requires {
                      { adopt_array_1d(std::move(owned.indptr)) };
                      { adopt_array_1d(std::move(owned.data)) };
                  }) {
        if (owned.indptr.empty() || owned.indptr.front() != 0)
            return to_scipy_sparse<Index>(owned.indptr, owned.indices, owned.data, owned.n_rows, owned.n_cols);
        Obj indptr = adopt_array_1d(std::move(owned.indptr));
        Obj indices = adopt_array_1d(std::move(owned.indices));
        Obj data = adopt_array_1d(std::move(owned.data));
        return to_scipy_sparse(std::move(indptr), std::move(indices), std::move(data), owned.n_rows, owned.n_cols);
    } else {
        return to_scipy_sparse<Index>(owned.indptr, owned.indices, owned.data, owned.n_rows, owned.n_cols);
    }
}

// A matrix whose index type was chosen at run time.
template <class... Ms>
Obj to_scipy_sparse(std::variant<Ms...>&& m) {
    return std::visit([](auto&& held) { return to_scipy_sparse(std::move(held)); }, std::move(m));
}

// A CSR matrix as a method's result: computed under the method's borrows,
// handed to SciPy (which runs Python code) once they are released.
template <class M>
struct SciPyCsr {
    M matrix;
};

template <class M>
struct ToPy<SciPyCsr<M>> {
    static Obj convert(SciPyCsr<M>&& m) { return to_scipy_sparse(std::move(m.matrix)); }
};

}  // namespace vemo::py
