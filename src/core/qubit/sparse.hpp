// Compressed-sparse-row matrices with complex entries, as the qubit operators
// produce them (the binding hands them to SciPy). Their arrays can be large:
// they come from the huge-page allocator, and resizing them writes nothing
// (the threads that fill them touch their pages first).
#pragma once

#include <complex>
#include <cstdint>
#include <new>
#include <vector>

#include "core/container/huge_alloc.hpp"
#include "core/utils/memory.hpp"

namespace vemo::qubit {

struct CsrMatrix {
    LargeBuf<uint64_t> indptr;                // n_rows + 1 row starts, from 0
    LargeBuf<uint64_t> indices;               // column of each stored entry
    LargeBuf<std::complex<double>> data;     // value of each stored entry
    uint64_t n_rows = 0;
    uint64_t n_cols = 0;

    bool operator==(const CsrMatrix&) const = default;
};

}  // namespace vemo::qubit
