// Validated operations on one string of a Pauli list: reading and writing
// positions, setting a string from the text form, Clifford conjugation and the
// string's sparse matrix; and building whole lists from the text form.
#pragma once

#include <algorithm>
#include <cstdint>
#include <expected>
#include <span>
#include <utility>
#include <vector>

#include "core/utils/memory.hpp"
#include "core/cmpnt/parse_error.hpp"
#include "core/container/bit_vec.hpp"
#include "core/container/coeffs/scalars.hpp"
#include "core/base/errors.hpp"
#include "core/qubit/clifford.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/pauli_springs.hpp"
#include "core/qubit/sparse.hpp"

namespace vemo::qubit::pauli {

inline std::expected<PauliMatrix, OutOfBounds> get_pauli(const CmpntList& l, uint64_t i, uint64_t q) {
    if (q >= l.n_qubit()) return std::unexpected(OutOfBounds{q, l.n_qubit(), OutOfBoundsKind::Mode});
    return l.get_pauli_unchecked(i, q);
}

inline std::expected<void, OutOfBounds> set_pauli(CmpntList& l, uint64_t i, uint64_t q, PauliMatrix p) {
    if (q >= l.n_qubit()) return std::unexpected(OutOfBounds{q, l.n_qubit(), OutOfBoundsKind::Mode});
    l.set_pauli_unchecked(i, q, p);
    return {};
}

// The n codes of positions 0..n-1.
inline std::vector<PauliMatrix> get_pauli_vec(const CmpntList& l, uint64_t i) {
    const uint64_t n = l.n_qubit();
    std::vector<PauliMatrix> out(guard_allocation("a list of Pauli matrices", n, sizeof(PauliMatrix)));
    const auto w = l.words(i);
    for (uint64_t q = 0; q < n; ++q) out[q] = encoding::get_qubit(w.x, w.z, q);
    return out;
}

// ---- setting a string from the text form ----

// The string becomes the product, in text order, of the factors of string s
// of the text form; returns k with (stored string) i^k = (written product).
// k is the byte sum of the single-qubit products' powers (each 0..3), kept
// unreduced as a ComplexSign product keeps it: X0 Y0 Y1 X1 gives 1 + 3 = 4.
// Positions must be below n and s below the number of strings.
inline ComplexSign set_spring_unchecked(CmpntList& l, uint64_t i, const Springs& springs, size_t s) {
    auto w = l.words_mut(i);
    std::ranges::fill(w.x, uint64_t{0});
    std::ranges::fill(w.z, uint64_t{0});
    const auto [b, e] = springs.get_pauli_iter(s);
    uint32_t k = 0;
    for (size_t t = b; t < e; ++t) {
        const uint64_t q = springs.position(t);
        const uint64_t word = q / 64, bit = q % 64;
        const PauliMatrix c = springs.get_setting(t);
        const uint64_t x2 = uint64_t{pauli_x(c)} << bit, z2 = uint64_t{pauli_z(c)} << bit;
        k += mul_op_op_phase_u64(w.x[word], w.z[word], x2, z2);
        w.x[word] ^= x2;
        w.z[word] ^= z2;
    }
    return ComplexSign(static_cast<uint8_t>(k));
}

// As set_spring_unchecked after checking the string index (kind String) and
// the string's largest position (kind Mode); on failure the string is unchanged.
inline std::expected<ComplexSign, ParseError> set_spring(CmpntList& l, uint64_t i, const Springs& springs, size_t s) {
    if (s >= springs.n_strings())
        return std::unexpected(ParseError(OutOfBounds{s, springs.n_strings(), OutOfBoundsKind::String}));
    const auto [b, e] = springs.get_pauli_iter(s);
    if (b != e) {
        uint64_t largest = 0;
        for (size_t t = b; t < e; ++t) largest = std::max<uint64_t>(largest, springs.position(t));
        if (largest >= l.n_qubit())
            return std::unexpected(ParseError(OutOfBounds{largest, l.n_qubit(), OutOfBoundsKind::Mode}));
    }
    return set_spring_unchecked(l, i, springs, s);
}

// One string per string of the text form, with the phase of each product.
inline std::expected<std::pair<CmpntList, TwoBitVec>, ParseError> from_springs(Qubits qubits,
                                                                               const Springs& springs) {
    std::pair<CmpntList, TwoBitVec> out{CmpntList(std::move(qubits)), TwoBitVec()};
    auto& [list, phases] = out;
    list.reserve(springs.n_strings());
    for (size_t s = 0; s < springs.n_strings(); ++s) {
        list.resize(s + 1);
        auto k = set_spring(list, s, springs, s);
        if (!k) return std::unexpected(k.error());
        phases.push(k->value());
    }
    return out;
}

// On Count(largest position + 1), 0 qubits when the text names none; never fails.
inline std::pair<CmpntList, TwoBitVec> from_springs_default(const Springs& springs) {
    auto r = from_springs(Qubits::from_count(springs.default_n_qubit()), springs);
    if (!r) internal_failure("from_springs_default: " + r.error().message());
    return std::move(*r);
}

// ---- Clifford conjugation ----

// P := G P G^dagger for each gate in order; returns the sign bit (true: -1).
// Every gate position must be below n; otherwise nothing changes.
inline std::expected<bool, OutOfBounds> conj_clifford_vec(CmpntList& l, uint64_t i,
                                                          std::span<const clifford::Gate> gates) {
    return clifford::conj_clifford(l.words_mut(i), l.n_qubit(), gates);
}

// ---- the sparse matrix of one string ----

// The 2^n x 2^n matrix of string i, one entry per row, built by doubling over
// the index bits. Position p is index bit p, or bit n-1-p with big_endian.
// Refuses 64 or more qubits (kind Element, length 64); std::bad_alloc when
// 2^n entries cannot be allocated.
inline std::expected<AnyCsrMatrix, OutOfBounds> to_sparse_matrix(const CmpntList& l, uint64_t i, bool big_endian) {
    const uint64_t n = l.n_qubit();
    if (n >= 64) return std::unexpected(OutOfBounds{n, 64, OutOfBoundsKind::Element});
    const uint64_t dim = uint64_t{1} << n;
    const auto w = l.words(i);
    auto bit_of = [&](std::span<const uint64_t> p, uint64_t q) { return (p[q / 64] >> (q % 64)) & 1; };

    // m: the column offset of the X and Y positions; y: the number of Y positions.
    uint64_t m = 0, y = 0;
    for (uint64_t k = 0; k < n; ++k) {
        const uint64_t p = big_endian ? n - 1 - k : k;
        const uint64_t xb = bit_of(w.x, p), zb = bit_of(w.z, p);
        m |= xb << k;
        y += xb & zb;
    }
    return with_csr_index(dim, dim, [&]<class I>(std::type_identity<I>) {
        CsrMatrix<I> out;
        out.n_rows = out.n_cols = dim;
        // One entry per row: a column index and a value beside the row start.
        guard_allocation("a sparse matrix", dim, 2 * sizeof(I) + sizeof(std::complex<double>));
        out.indptr.resize(dim + 1);
        out.indices.resize(dim);
        out.data.resize(dim);
        for (uint64_t r = 0; r <= dim; ++r) out.indptr[r] = static_cast<I>(r);

        // (-i)^y: the Y factors' entries on the all-zero row.
        static constexpr std::complex<double> minus_i_pow[4] = {{1, 0}, {0, -1}, {-1, 0}, {0, 1}};
        out.indices[0] = static_cast<I>(m);
        out.data[0] = minus_i_pow[y & 3];
        for (uint64_t k = 0; k < n; ++k) {
            const uint64_t p = big_endian ? n - 1 - k : k;
            const auto half = static_cast<I>(uint64_t{1} << k);
            const bool flips_col = bit_of(w.x, p), negates = bit_of(w.z, p);
            for (I r = 0; r < half; ++r) {
                out.indices[half + r] = flips_col ? out.indices[r] - half : out.indices[r] + half;
                out.data[half + r] = negates ? -out.data[r] : out.data[r];
            }
        }
        return out;
    });
}

}  // namespace vemo::qubit::pauli
