// Basis-state linear combinations and dense vectors of 2^n amplitudes. The
// dense index of a state is word 0 of its row (qubit q is index bit q); in the
// big-endian order qubit 0 is the most significant of the n index bits. Dense
// vectors exist below 64 qubits, where a state fits one word.
#pragma once

#include <algorithm>
#include <cstdint>
#include <expected>
#include <new>
#include <span>
#include <vector>

#include "core/base/bits.hpp"
#include "core/container/coeffs/short_coeffs.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/base/errors.hpp"
#include "core/container/map.hpp"
#include "core/container/terms.hpp"
#include "core/qubit/state.hpp"
#include "core/utils/endian.hpp"
#include "core/utils/memory.hpp"
#include "core/container/vdot.hpp"

namespace vemo::qubit::state::lincomb {

namespace detail {

// 2^n for a register below 64 qubits; OutOfBounds (n, 64, Element) otherwise.
inline std::expected<uint64_t, OutOfBounds> dense_dim(uint64_t n) {
    if (n >= 64) return std::unexpected(OutOfBounds{n, 64, OutOfBoundsKind::Element});
    return uint64_t{1} << n;
}

// The state word of dense index k (k below 2^n, n below 64) and back: the
// two orders are each other's inverse, a bit reversal within n bits.
inline uint64_t reorder(uint64_t k, uint64_t n, bool big_endian) {
    return (big_endian && n != 0) ? invert_endian(k, n) : k;
}

}  // namespace detail

// The dense vector of the combination: entry (dense index of state i) :=
// coefficient i, for the first min(states, coefficients) terms in list order;
// entries are assigned, so a repeated state keeps its last coefficient.
// Refuses 64 or more qubits before allocating; a vector larger than memory
// throws AllocationRefusedError.
template <FieldVec C>
std::expected<std::vector<typename C::Scalar>, OutOfBounds> to_dense(const CmpntList& cmpnts, const C& coeffs,
                                                                     bool big_endian) {
    using T = typename C::Scalar;
    const uint64_t n = cmpnts.n_qubit();
    const auto dim = detail::dense_dim(n);
    if (!dim) return std::unexpected(dim.error());
    guard_allocation("a dense state vector", *dim, sizeof(T));
    std::vector<T> out(static_cast<size_t>(*dim), T());
    const uint64_t m = taking_part(TermsView<CmpntList, C>{cmpnts, coeffs});
    const std::span<const T> c = coeffs.data();
    for (uint64_t i = 0; i < m; ++i) {
        const uint64_t s = first_word(cmpnts.row(i));
        // Bits at n and above stay zero, so s indexes the vector; never write past it.
        if (s >= *dim) internal_failure("to_dense: a state has bits beyond its register");
        out[detail::reorder(s, n, big_endian)] = c[i];
    }
    return out;
}
template <FieldVec C>
std::expected<std::vector<typename C::Scalar>, OutOfBounds> to_dense(const TermsView<CmpntList, C>& terms,
                                                                     bool big_endian) {
    return to_dense(terms.cmpnts, terms.coeffs, big_endian);
}

// Rebuilds the term set (list, map, coefficients) from the entries of the
// source that are not exactly zero (-0.0 is zero, NaN is not), in increasing
// dense index; entries at 2^n and beyond are ignored. Refuses 64 or more
// qubits before anything is cleared. The map describes the list afterwards.
template <FieldVec C>
std::expected<void, OutOfBounds> assign_from_dense(const TermSetMutView<CmpntList, C>& out,
                                                   std::span<const typename C::Scalar> source, bool big_endian) {
    const uint64_t n = out.cmpnts.n_qubit();
    const auto dim = detail::dense_dim(n);
    if (!dim) return std::unexpected(dim.error());
    out.cmpnts.resize(0);
    out.coeffs.resize(0);
    out.map.clear();
    const uint64_t len = std::min<uint64_t>(*dim, source.size());
    const auto src = source.first(static_cast<size_t>(len));

    uint64_t nonzero = 0;
    for (const auto& v : src) nonzero += !is_exact_zero(v);
    out.cmpnts.reserve(nonzero);
    out.coeffs.reserve(nonzero);

    // A register of 0 qubits has rows of no words; the one state is the empty row.
    const size_t n_words = n == 0 ? 0 : 1;
    for (uint64_t k = 0; k < len; ++k) {
        if (is_exact_zero(src[k])) continue;
        const uint64_t word = detail::reorder(k, n, big_endian);
        scaled_iadd_u64it(out, Words(std::span<const uint64_t>(&word, n_words)), src[k]);
    }
    return {};
}
template <FieldVec C>
std::expected<void, OutOfBounds> assign_from_dense(TermSet<CmpntList, C>& out,
                                                   std::span<const typename C::Scalar> source, bool big_endian) {
    return assign_from_dense(out.mut_view(), source, big_endian);
}
template <FieldVec C>
std::expected<void, OutOfBounds> assign_from_dense(CmpntList& cmpnts, Map& map, C& coeffs,
                                                   std::span<const typename C::Scalar> source, bool big_endian) {
    return assign_from_dense(TermSetMutView<CmpntList, C>{cmpnts, map, coeffs}, source, big_endian);
}

// <lhs|rhs>, the left side conjugated and found through its map. Each side's
// coefficients must cover its states.
template <FieldVec C>
std::expected<typename C::Scalar, ShortCoeffs> vdot(const TermSetView<CmpntList, C>& lhs,
                                                      const TermsView<CmpntList, C>& rhs) {
    if (auto r = check_one_coeff_each(lhs.coeffs.size(), lhs.cmpnts.size()); !r) return std::unexpected(r.error());
    if (auto r = check_one_coeff_each(rhs.coeffs.size(), rhs.cmpnts.size()); !r) return std::unexpected(r.error());
    return vemo::vdot(lhs.cmpnts, lhs.map, lhs.coeffs, rhs.cmpnts, rhs.coeffs);
}

}  // namespace vemo::qubit::state::lincomb
