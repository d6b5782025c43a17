// Algebra over whole Pauli lists: element-wise products, the pairwise
// commutation (compatibility) matrix, the split into centralizer and
// remainder, and the conjugation of every string by a Clifford gate list.
//
// The compatibility matrix is symmetric with a set diagonal: strings i and j
// commute when the symplectic product sum_w popcount((x_i & z_j) ^ (z_i & x_j))
// is even. It is computed word-parallel over tiles of rows, each pair once,
// and written straight into the dense byte matrix at (i, j) and (j, i).
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <expected>
#include <new>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "core/container/bit_matrix.hpp"
#include "core/container/coeffs/vecs.hpp"
#include "core/base/errors.hpp"
#include "core/container/word_iters.hpp"
#include "core/qubit/clifford.hpp"
#include "core/qubit/pauli_elem.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/traits.hpp"
#include "core/utils/memory.hpp"

namespace vemo::qubit::pauli {

// ---- element-wise products ----

// Refusal of an element-wise product: the registers differ, or (on one
// register) the lengths do.
struct PairwiseMulError {
    bool different_qubits = false;
    bool operator==(const PairwiseMulError&) const = default;
    std::string message() const {
        return different_qubits ? DifferentQubits{}.message() : "Input arrays must have the same length";
    }
};

// out[i] = a[i] b[i] with phase[i] = k of that product; a and b of equal length on one register.
inline std::pair<CmpntList, ComplexSignVec> mul_pairwise_unchecked(const CmpntList& a, const CmpntList& b) {
    std::pair<CmpntList, ComplexSignVec> out{a.empty_clone(), ComplexSignVec::new_with_len(a.size())};
    auto& [list, phases] = out;
    list.resize(a.size());
    for (uint64_t i = 0; i < a.size(); ++i) phases.set(i, assign_mul_unchecked(list, i, a, i, b, i));
    return out;
}
inline std::expected<std::pair<CmpntList, ComplexSignVec>, PairwiseMulError> mul_pairwise(const CmpntList& a,
                                                                                          const CmpntList& b) {
    if (!a.compatible_with(b)) return std::unexpected(PairwiseMulError{true});
    if (a.size() != b.size()) return std::unexpected(PairwiseMulError{false});
    return mul_pairwise_unchecked(a, b);
}

// ---- commutation ----

namespace detail {

// 1 when the strings at word offsets i and j commute (W words per plane, or w when W is 0).
template <size_t W>
inline uint8_t commute_byte(const uint64_t* x, const uint64_t* z, uint64_t i, uint64_t j, size_t w) {
    const size_t n = W ? W : w;
    const uint64_t* xi = x + i * n;
    const uint64_t* zi = z + i * n;
    const uint64_t* xj = x + j * n;
    const uint64_t* zj = z + j * n;
    uint64_t acc = 0;
    for (size_t k = 0; k < n; ++k) acc ^= (xi[k] & zj[k]) ^ (zi[k] & xj[k]);
    return static_cast<uint8_t>(~std::popcount(acc) & 1);
}

// Rows [i0, i1) against every j <= i: the tile's strings stay in cache while
// each j is read once, and the transposed writes of one j land in one run of
// row j.
template <size_t W>
void compatibility_tiles(const uint64_t* x, const uint64_t* z, size_t w, uint64_t n, uint8_t* out) {
    constexpr uint64_t tile = 64;
    for (uint64_t i0 = 0; i0 < n; i0 += tile) {
        const uint64_t i1 = std::min(n, i0 + tile);
        for (uint64_t j = 0; j < i1; ++j) {
            uint8_t* row_j = out + j * n;
            for (uint64_t i = std::max(i0, j); i < i1; ++i) {
                const uint8_t c = commute_byte<W>(x, z, i, j, w);
                out[i * n + j] = c;
                row_j[i] = c;
            }
        }
    }
}

}  // namespace detail

// out[i n + j] := 1 when strings i and j commute, else 0, for the list's n
// strings; out holds n * n bytes.
inline void fill_compatibility(const CmpntList& l, uint8_t* out) {
    const uint64_t n = l.size();
    const size_t w = l.words_per_row();
    const uint64_t* x = l.x_part().data().data();
    const uint64_t* z = l.z_part().data().data();
    switch (w) {
        case 0: std::fill_n(out, n * n, uint8_t{1}); break;
        case 1: detail::compatibility_tiles<1>(x, z, w, n, out); break;
        case 2: detail::compatibility_tiles<2>(x, z, w, n, out); break;
        case 3: detail::compatibility_tiles<3>(x, z, w, n, out); break;
        case 4: detail::compatibility_tiles<4>(x, z, w, n, out); break;
        default: detail::compatibility_tiles<0>(x, z, w, n, out); break;
    }
}

// n * n, refused (AllocationRefusedError) when that many bytes do not fit in memory.
inline uint64_t compatibility_entries(const CmpntList& l) {
    return guard_allocation("a compatibility matrix", count_product(l.size(), l.size()), 1);
}

// Entry (i, j) is 1 when strings i and j commute, 0 otherwise.
inline U8Matrix compatibility_u8(const CmpntList& l) {
    U8Matrix out;
    out.n_rows = out.n_cols = l.size();
    const uint64_t total = compatibility_entries(l);
    out.data.resize(total);
    fill_compatibility(l, out.data.data());
    return out;
}

namespace detail {

// A basis of the GF(2) span of the strings' (x | z) bit vectors, each basis
// row reduced by those before it at their pivots (lowest set bits), so a
// vector is reduced by one pass over the rows in order.
class SymplecticBasis {
public:
    explicit SymplecticBasis(size_t w) : w_(w), v_(2 * w) {}

    void insert(PauliWords p) {
        std::copy(p.x.begin(), p.x.end(), v_.begin());
        std::copy(p.z.begin(), p.z.end(), v_.begin() + static_cast<std::ptrdiff_t>(w_));
        for (size_t r = 0; r < pivots_.size(); ++r)
            if ((v_[pivots_[r] / 64] >> (pivots_[r] % 64)) & 1)
                for (size_t k = 0; k < 2 * w_; ++k) v_[k] ^= rows_[r * 2 * w_ + k];
        for (size_t k = 0; k < 2 * w_; ++k)
            if (v_[k]) {
                pivots_.push_back(k * 64 + static_cast<size_t>(std::countr_zero(v_[k])));
                rows_.insert(rows_.end(), v_.begin(), v_.end());
                return;
            }
    }
    // Whether p commutes with every vector of the span.
    bool commutes_with_all(PauliWords p) const {
        for (size_t r = 0; r < pivots_.size(); ++r) {
            const uint64_t* b = rows_.data() + r * 2 * w_;
            if (!commutes_with(p, PauliWords{{b, w_}, {b + w_, w_}})) return false;
        }
        return true;
    }

private:
    size_t w_;
    std::vector<uint64_t> v_, rows_;
    std::vector<size_t> pivots_;
};

}  // namespace detail

// (strings that commute with every string of the list, the others), each in
// list order. The commutation form is bilinear, so commuting with every
// string is commuting with a basis of their span: at most 2n vectors for n
// qubits, whatever the length of the list.
inline std::pair<CmpntList, CmpntList> centralizer_and_remainder(const CmpntList& l) {
    detail::SymplecticBasis basis(l.words_per_row());
    for (uint64_t i = 0; i < l.size(); ++i) basis.insert(l.words(i));
    std::vector<uint64_t> members;
    for (uint64_t i = 0; i < l.size(); ++i)
        if (basis.commutes_with_all(l.words(i))) members.push_back(i);
    return bipartition(l, members);
}

// ---- Clifford conjugation of every string ----

// Every string P becomes G_k ... G_1 P G_1^dagger ... G_k^dagger; entry i of
// the result is set when string i picked up the factor -1. Every gate
// position is checked against the qubit count first (kind Mode); on failure
// nothing changes.
inline std::expected<SignVec, OutOfBounds> conj_clifford_list(CmpntList& l, std::span<const clifford::Gate> gates) {
    if (auto ok = clifford::check_gates(gates, l.n_qubit()); !ok) return std::unexpected(ok.error());
    SignVec signs = SignVec::new_with_len(l.size());
    if (gates.empty()) return signs;
    for (uint64_t i = 0; i < l.size(); ++i)
        if (clifford::conj_clifford_unchecked(l.words_mut(i), gates)) signs.set(i, Sign(true));
    return signs;
}

}  // namespace vemo::qubit::pauli
