// Occupation-number state combinations as dense vectors of 2^n amplitudes.
// Little-endian order: index bit q is the occupation of mode q, so the index
// is word 0 of the row. Big-endian order: index bit b is the occupation of
// mode n - 1 - b. With 0 modes the one amplitude is the vacuum's.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <expected>
#include <new>
#include <span>
#include <vector>

#include "core/base/bits.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/base/errors.hpp"
#include "core/container/map.hpp"
#include "core/container/terms.hpp"
#include "core/fermion/state.hpp"
#include "core/utils/endian.hpp"
#include "core/utils/memory.hpp"

namespace vemo::fermion::state::lincomb {

// The dense vector of the combination, for fewer than 64 modes (else
// OutOfBounds (n, 64, Mode), checked before allocating): amplitude[index of
// row i] := coefficient i over the first min(rows, coefficients) terms in
// order, so a repeated state keeps its last coefficient. A vector larger
// than memory throws AllocationRefusedError.
template <FieldVec C>
std::expected<std::vector<typename C::Scalar>, OutOfBounds> to_dense(const TermsView<CmpntList, C>& terms,
                                                                     bool big_endian) {
    using T = typename C::Scalar;
    const uint64_t n = terms.cmpnts.n_modes();
    if (n >= 64) return std::unexpected(OutOfBounds{n, 64, OutOfBoundsKind::Mode});
    const uint64_t dim = uint64_t{1} << n;
    guard_allocation("a dense state vector", dim, sizeof(T));
    std::vector<T> out(static_cast<size_t>(dim), T(0.0));
    const uint64_t m = taking_part(terms);
    for (uint64_t i = 0; i < m; ++i) {
        const uint64_t w = first_word(terms.cmpnts.row(i));
        const uint64_t k = big_endian && n != 0 ? invert_endian(w, n) : w;
        if (k >= dim) internal_failure("to_dense: a state has modes beyond its space");
        out[k] = terms.coeffs.get(i);
    }
    return out;
}

// Replaces the term set by the amplitudes of the source that are not exactly
// zero (-0.0 is zero, NaN is not), in ascending index; indices at 2^n and
// beyond are ignored. Works on any number of modes: from 64 modes on, every
// index of the source names a state (big-endian: index bit b is mode n-1-b,
// whichever word that falls in). The map describes the list afterwards.
template <FieldVec C>
void assign_from_dense(const TermSetMutView<CmpntList, C>& out, std::span<const typename C::Scalar> source,
                       bool big_endian) {
    const uint64_t n = out.cmpnts.n_modes();
    out.cmpnts.resize(0);
    out.coeffs.resize(0);
    out.map.clear();
    const uint64_t len = n < 64 ? std::min<uint64_t>(uint64_t{1} << n, source.size()) : source.size();

    uint64_t nonzero = 0;
    for (uint64_t k = 0; k < len; ++k) nonzero += !is_exact_zero(source[k]);
    out.cmpnts.reserve(nonzero);
    out.coeffs.reserve(nonzero);

    std::vector<uint64_t> row(out.cmpnts.words_per_row(), 0);
    for (uint64_t k = 0; k < len; ++k) {
        if (is_exact_zero(source[k])) continue;
        if (!big_endian || n == 0) {
            if (!row.empty()) row[0] = k;
        } else if (n <= 64) {
            row[0] = invert_endian(k, n);
        } else {
            std::ranges::fill(row, uint64_t{0});
            for_each_set_bit(k, [&](uint64_t b) {
                const uint64_t m = n - 1 - b;
                row[m / 64] |= uint64_t{1} << (m % 64);
            });
        }
        scaled_iadd_u64it(out, std::span<const uint64_t>(row), source[k]);
    }
}

}  // namespace vemo::fermion::state::lincomb
