// Products, phases and commutation of single strings of Pauli lists, and the
// assignment of a string from symbols. A string is addressed as (list, index);
// indices are the caller's to check.
#pragma once

#include <cstdint>
#include <expected>
#include <ranges>
#include <utility>

#include "core/container/coeffs/scalars.hpp"
#include "core/base/errors.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/products.hpp"
#include "core/qubit/traits.hpp"

namespace vemo::qubit::pauli {

// k of P_i P_j (P_i on the left); nothing is written; no register check.
inline uint32_t phase_of_mul(const CmpntList& a, uint64_t i, const CmpntList& b, uint64_t j) {
    return phase_of_mul(a.words(i), b.words(j));
}

inline bool commutes_with(const CmpntList& a, uint64_t i, const CmpntList& b, uint64_t j) {
    return commutes_with(a.words(i), b.words(j));
}

// P_i := P_i P_j with its phase; a may be b and i may be j.
inline ComplexSign imul_by_cmpnt_ref_unchecked(CmpntList& a, uint64_t i, const CmpntList& b, uint64_t j) {
    return ComplexSign(static_cast<uint8_t>(imul(a.words_mut(i), b.words(j))));
}
inline std::expected<ComplexSign, DifferentQubits> imul_by_cmpnt_ref(CmpntList& a, uint64_t i, const CmpntList& b,
                                                                    uint64_t j) {
    if (auto ok = check_same(a.qubits(), b.qubits()); !ok) return std::unexpected(ok.error());
    return imul_by_cmpnt_ref_unchecked(a, i, b, j);
}

// P_i := P_i XOR P_j in both planes, without the phase.
inline void imul_by_cmpnt_ref_matrices_unchecked(CmpntList& a, uint64_t i, const CmpntList& b, uint64_t j) {
    imul_matrices(a.words_mut(i), b.words(j));
}
inline std::expected<void, DifferentQubits> imul_by_cmpnt_ref_matrices(CmpntList& a, uint64_t i, const CmpntList& b,
                                                                      uint64_t j) {
    if (auto ok = check_same(a.qubits(), b.qubits()); !ok) return ok;
    imul_by_cmpnt_ref_matrices_unchecked(a, i, b, j);
    return {};
}

// dst_d := lhs_i rhs_j; the phase comes from the operands before the write.
inline ComplexSign assign_mul_unchecked(CmpntList& dst, uint64_t d, const CmpntList& lhs, uint64_t i,
                                        const CmpntList& rhs, uint64_t j) {
    return ComplexSign(static_cast<uint8_t>(assign_mul(dst.words_mut(d), lhs.words(i), rhs.words(j))));
}
inline std::expected<ComplexSign, DifferentQubits> assign_mul(CmpntList& dst, uint64_t d, const CmpntList& lhs,
                                                             uint64_t i, const CmpntList& rhs, uint64_t j) {
    if (auto ok = check_transitive(dst, lhs, rhs); !ok) return std::unexpected(ok.error());
    return assign_mul_unchecked(dst, d, lhs, i, rhs, j);
}

// ---- assignment from symbols ----

// A range of (position, PauliMatrix) pairs: the string becomes those factors, I elsewhere.
template <class Map>
void assign_map_unchecked(CmpntList& l, uint64_t i, const Map& map) {
    auto w = l.words_mut(i);
    std::ranges::fill(w.x, uint64_t{0});
    std::ranges::fill(w.z, uint64_t{0});
    for (const auto& [q, p] : map) encoding::set_qubit(w.x, w.z, static_cast<uint64_t>(q), p);
}
template <class Map>
std::expected<void, OutOfBounds> assign_map(CmpntList& l, uint64_t i, const Map& map) {
    bool any = false;
    uint64_t largest = 0;
    for (const auto& [q, p] : map) {
        largest = any ? std::max<uint64_t>(largest, q) : static_cast<uint64_t>(q);
        any = true;
    }
    if (any && largest >= l.n_qubit())
        return std::unexpected(OutOfBounds{largest, l.n_qubit(), OutOfBoundsKind::Mode});
    assign_map_unchecked(l, i, map);
    return {};
}

// Position q gets entry q; positions past the list stay I.
template <class Vec>
void assign_vec_unchecked(CmpntList& l, uint64_t i, const Vec& paulis) {
    auto w = l.words_mut(i);
    std::ranges::fill(w.x, uint64_t{0});
    std::ranges::fill(w.z, uint64_t{0});
    uint64_t q = 0;
    for (PauliMatrix p : paulis) encoding::set_qubit(w.x, w.z, q++, p);
}
// An empty list passes on every register; otherwise its last index must be below n.
template <class Vec>
std::expected<void, OutOfBounds> assign_vec(CmpntList& l, uint64_t i, const Vec& paulis) {
    const auto len = static_cast<uint64_t>(std::ranges::distance(paulis));
    if (len != 0 && len - 1 >= l.n_qubit())
        return std::unexpected(OutOfBounds{len - 1, l.n_qubit(), OutOfBoundsKind::Mode});
    assign_vec_unchecked(l, i, paulis);
    return {};
}

// A one-string list on the register holding the factors of the map.
template <class Map>
std::expected<CmpntList, OutOfBounds> elem_from_map(Qubits qubits, const Map& map) {
    CmpntList l = CmpntList::elem(std::move(qubits));
    if (auto r = assign_map(l, 0, map); !r) return std::unexpected(r.error());
    return l;
}

// ---- a Pauli string acting on basis states ----
// A state row is a span of words, one bit per qubit (set for |1>).

// state := P_j |state>, returning k of the factor i^k; no register check.
inline ComplexSign imul_by_op(std::span<uint64_t> state, const CmpntList& ops, uint64_t j) {
    return ComplexSign(static_cast<uint8_t>(imul_state(state, ops.words(j))));
}
// dst := P_j |src>, returning k; the phase is taken from src.
inline ComplexSign assign_mul_by_op(std::span<uint64_t> dst, const CmpntList& ops, uint64_t j,
                                    std::span<const uint64_t> src) {
    return ComplexSign(static_cast<uint8_t>(assign_mul_state(dst, src, ops.words(j))));
}

}  // namespace vemo::qubit::pauli
