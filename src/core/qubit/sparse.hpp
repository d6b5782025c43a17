// Compressed-sparse-row matrices with complex entries, as the qubit operators
// produce them (the binding hands them to SciPy). Their arrays can be large:
// they come from the huge-page allocator, and resizing them writes nothing
// (the threads that fill them touch their pages first).
//
// The index arrays are filled in the type SciPy keeps, so that it takes them
// as they are: 32-bit when the dimension and the entries the matrix can hold
// (its room, at least its final count) both fit in int32, else 64-bit. Given
// a dimension above 2^31 - 1, SciPy keeps 64-bit indices without looking at
// them. A dimension that fits with a room that does not (over 2^31 entries,
// over 40 GB) gets 64-bit arrays too: SciPy then scans both for their least
// and greatest values, keeps them when the row starts pass 2^31 - 1, and
// copies them to 32-bit ones only in the rare case that fewer entries than
// the room were stored.
#pragma once

#include <complex>
#include <cstdint>
#include <new>
#include <type_traits>
#include <variant>
#include <vector>

#include "core/container/huge_alloc.hpp"
#include "core/utils/memory.hpp"

namespace vemo::qubit {

template <class Index>
struct CsrMatrix {
    static_assert(std::is_same_v<Index, int32_t> || std::is_same_v<Index, int64_t>);
    LargeBuf<Index> indptr;                   // n_rows + 1 row starts, from 0
    LargeBuf<Index> indices;                  // column of each stored entry
    LargeBuf<std::complex<double>> data;     // value of each stored entry
    uint64_t n_rows = 0;
    uint64_t n_cols = 0;

    bool operator==(const CsrMatrix&) const = default;
};

using AnyCsrMatrix = std::variant<CsrMatrix<int32_t>, CsrMatrix<int64_t>>;

// Whether a matrix of this dimension (rows or columns, the larger) and room
// takes 32-bit indices.
constexpr bool csr_fits_int32(uint64_t dim, AllocationCount room) {
    constexpr uint64_t max = INT32_MAX;
    return dim <= max && room <= max;
}

// fill(std::type_identity<Index>{}) with the index type of that dimension and room.
template <class F>
AnyCsrMatrix with_csr_index(uint64_t dim, AllocationCount room, F&& fill) {
    if (csr_fits_int32(dim, room)) return AnyCsrMatrix(fill(std::type_identity<int32_t>{}));
    return AnyCsrMatrix(fill(std::type_identity<int64_t>{}));
}

}  // namespace vemo::qubit
