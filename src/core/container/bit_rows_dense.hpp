// Linear combinations of basis states (a bit-row list with a coefficient
// vector) as dense vectors of 2^n amplitudes, n the row length. Written once
// for every basis-state list: qubit states and occupation-number states.
//
// The dense index of a row is its word 0: position q is index bit q. In the
// big-endian order position 0 is the most significant of the n index bits.
// With n = 0 the one amplitude belongs to the empty row.
//
// A dense vector exists below 64 positions. The list says how it refuses a
// wider one (L::dense_limit_kind, the kind of the OutOfBounds error) and
// whether a dense source may still fill a wider list
// (L::from_dense_any_width), its indices then naming 64 of the positions:
// the first 64, or in the big-endian order the last 64.
//
// Every component needs its coefficient: a coefficient vector shorter than
// its list is refused (ShortCoeffs), the tail of a longer one is ignored.
#pragma once

#include <algorithm>
#include <bit>
#include <concepts>
#include <cstdint>
#include <expected>
#include <new>
#include <span>
#include <vector>

#include "core/base/bits.hpp"
#include "core/base/errors.hpp"
#include "core/container/any_error.hpp"
#include "core/container/bit_matrix.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/container/coeffs/short_coeffs.hpp"
#include "core/container/map.hpp"
#include "core/container/terms.hpp"
#include "core/container/word_iters.hpp"
#include "core/utils/endian.hpp"
#include "core/utils/memory.hpp"

namespace vemo {

// A list of basis states stored as bit rows that states how far its dense vectors reach.
template <class L>
concept DenseStates = WordIters<L> && requires(const L& l) {
    { l.bits() } -> std::same_as<const BitMatrix&>;
    { L::dense_limit_kind } -> std::convertible_to<OutOfBoundsKind>;
    { L::from_dense_any_width } -> std::convertible_to<bool>;
};

// What a conversion to a dense vector refuses: a list too wide, or too few coefficients.
using DenseError = AnyError<OutOfBounds, ShortCoeffs>;

namespace bit_rows {

// 2^n for a list of fewer than 64 positions; OutOfBounds (n, 64) of the list's kind otherwise.
template <DenseStates L>
std::expected<uint64_t, OutOfBounds> dense_dim(const L& l) {
    const uint64_t n = l.bits().n_bits();
    if (n >= 64) return std::unexpected(OutOfBounds{n, 64, L::dense_limit_kind});
    return uint64_t{1} << n;
}

// The dense index of the row whose first word is k, and the first word of the
// row at dense index k: in the big-endian order both reverse the low n bits
// (n from 1 to 64); otherwise, and for n = 0, they are k itself.
inline uint64_t dense_order(uint64_t k, uint64_t n, bool big_endian) {
    return (big_endian && n != 0) ? invert_endian(k, n) : k;
}

// The dense vector of the combination: amplitude (index of row i) :=
// coefficient i, in list order, so a state that occurs twice keeps its last
// coefficient. The width is checked first, then the coefficients, then the
// size of the vector against memory, all before it is allocated.
template <DenseStates L, FieldVec C>
std::expected<std::vector<typename C::Scalar>, DenseError> to_dense(const TermsView<L, C>& terms, bool big_endian) {
    using T = typename C::Scalar;
    const auto dim = dense_dim(terms.cmpnts);
    if (!dim) return std::unexpected(DenseError{dim.error()});
    const uint64_t m = terms.cmpnts.size();
    if (auto r = check_one_coeff_each(terms.coeffs.size(), m); !r) return std::unexpected(DenseError{r.error()});
    const uint64_t size = *dim;
    guard_allocation("a dense state vector", size, sizeof(T));
    std::vector<T> out(static_cast<size_t>(size), T());
    const BitMatrix& rows = terms.cmpnts.bits();
    const uint64_t n = rows.n_bits();
    const std::span<const T> c = terms.coeffs.data();
    for (uint64_t i = 0; i < m; ++i) {
        const uint64_t s = first_word(rows.row(i));
        // Bits at n and above stay zero, so s indexes the vector; never write past it.
        if (s >= size) internal_failure("to_dense: a state has bits beyond its row length");
        out[dense_order(s, n, big_endian)] = c[i];
    }
    return out;
}

// Rebuilds the term set (list, map, coefficients) from the source entries
// that are not exactly zero (-0.0 is zero, NaN is not), one state each, in
// increasing dense index; entries at 2^n and beyond are ignored. A list that
// refuses wide dense vectors is refused before anything changes; on one
// that accepts them, every source index names a state (big-endian: index bit
// b is position n-1-b, in whichever word that falls). The map describes the
// list afterwards. The terms are built aside and swapped in at the end, so a
// refused size (AllocRefused) or memory that runs out part way leaves out's
// list, map and coefficients as they were.
template <DenseStates L, FieldVec C>
std::expected<void, OutOfBounds> assign_from_dense(const TermSetMutView<L, C>& out,
                                                   std::span<const typename C::Scalar> source, bool big_endian) {
    const auto dim = dense_dim(out.cmpnts);
    if (!dim && !L::from_dense_any_width) return std::unexpected(dim.error());
    const uint64_t n = out.cmpnts.bits().n_bits();
    const auto src = dim ? source.first(static_cast<size_t>(std::min<uint64_t>(*dim, source.size()))) : source;

    uint64_t nonzero = 0;
    for (const auto& x : src) nonzero += !is_exact_zero(x);
    L cmpnts = out.cmpnts.empty_clone();
    Map map;
    C coeffs;
    cmpnts.reserve(nonzero);
    coeffs.reserve(nonzero);
    const TermSetMutView<L, C> built{cmpnts, map, coeffs};

    std::vector<uint64_t> row(cmpnts.bits().words_per_row(), 0);
    for (uint64_t k = 0; k < src.size(); ++k) {
        if (is_exact_zero(src[k])) continue;
        if (row.empty()) {
            // 0 positions: the one state is the empty row.
        } else if (!big_endian || n <= 64) {
            row[0] = dense_order(k, n, big_endian);
        } else {
            std::ranges::fill(row, uint64_t{0});
            for_each_set_bit(k, [&](uint64_t b) {
                const uint64_t p = n - 1 - b;
                row[p / 64] |= uint64_t{1} << (p % 64);
            });
        }
        scaled_iadd_u64it(built, std::span<const uint64_t>(row), src[k]);
    }
    std::swap(out.cmpnts, cmpnts);
    std::swap(out.map, map);
    std::swap(out.coeffs, coeffs);
    return {};
}

}  // namespace bit_rows
}  // namespace vemo
