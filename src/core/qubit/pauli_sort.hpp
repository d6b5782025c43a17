// Lexicographic sorting of a Pauli list, alone or with a coefficient vector
// that moves along. The key of a string is its words, x row then z row, each
// an unsigned integer, the first differing word deciding.
//
// The order is the in-place Lomuto quicksort's (container/quicksort.hpp),
// whose placing of equal strings is observable. When the strings are all
// distinct the sorted order is unique, so any correct sort gives the same
// result: the list is then sorted by keys held aside and permuted in one
// gather, and the quicksort runs only on lists with repeated strings (which
// are left untouched until it runs).
#pragma once

#include <algorithm>
#include <cstdint>
#include <expected>
#include <span>
#include <utility>
#include <vector>

#include "core/container/bit_matrix.hpp"
#include "core/container/coeffs/short_coeffs.hpp"
#include "core/container/coeffs/vecs.hpp"
#include "core/container/quicksort.hpp"
#include "core/qubit/pauli_list.hpp"

namespace vemo::qubit::pauli {

namespace detail {

// A string's leading key words and its index; ties on the leading words are
// settled on the whole rows.
struct SortKey {
    uint64_t k0, k1, index;
};

// The strings' indices in ascending order, or nothing when two strings are equal.
inline std::optional<std::vector<uint64_t>> distinct_order(const CmpntList& l) {
    const uint64_t n = l.size();
    const size_t w = l.words_per_row();
    const auto x = l.x_part().data(), z = l.z_part().data();
    std::vector<SortKey> keys(n);
    for (uint64_t i = 0; i < n; ++i) {
        if (w == 0) keys[i] = {0, 0, i};
        else keys[i] = {x[i * w], w == 1 ? z[i] : x[i * w + 1], i};
    }
    // With one word per plane the two leading words are the whole key.
    const auto rest = [&](uint64_t a, uint64_t b) {
        return w <= 1 ? std::strong_ordering::equal : words_cmp(l.elem_u64it(a), l.elem_u64it(b));
    };
    std::sort(keys.begin(), keys.end(), [&](const SortKey& a, const SortKey& b) {
        if (a.k0 != b.k0) return a.k0 < b.k0;
        if (a.k1 != b.k1) return a.k1 < b.k1;
        return rest(a.index, b.index) < 0;
    });
    std::vector<uint64_t> order(n);
    for (uint64_t r = 0; r < n; ++r) {
        if (r > 0 && keys[r].k0 == keys[r - 1].k0 && keys[r].k1 == keys[r - 1].k1 &&
            rest(keys[r].index, keys[r - 1].index) == 0)
            return std::nullopt;
        order[r] = keys[r].index;
    }
    return order;
}

// Row r of the result is row order[r] of m.
inline BitMatrix gather_rows(const BitMatrix& m, std::span<const uint64_t> order) {
    BitMatrix out(order.size(), m.n_bits());
    const size_t w = m.words_per_row();
    const auto src = m.data();
    const auto dst = out.data_mut();
    for (uint64_t r = 0; r < order.size(); ++r)
        std::copy_n(src.begin() + order[r] * w, w, dst.begin() + r * w);
    return out;
}

// Entry r takes entry order[r], for r below order.size(); later entries stay.
template <class C>
void gather_coeffs(C& coeffs, std::span<const uint64_t> order) {
    if constexpr (requires { coeffs.data_mut(); }) {
        const std::vector<typename C::Scalar> old(coeffs.data().begin(), coeffs.data().begin() + order.size());
        auto d = coeffs.data_mut();
        for (uint64_t r = 0; r < order.size(); ++r) d[r] = old[order[r]];
    } else {
        const C old = coeffs;
        for (uint64_t r = 0; r < order.size(); ++r) coeffs.set(r, old.get(order[r]));
    }
}

template <class C>
void sort_with(CmpntList& l, C* coeffs, bool ascending) {
    const uint64_t n = l.size();
    if (n < 2) return;
    auto order = distinct_order(l);
    if (!order) {
        if (coeffs) quicksort(l, *coeffs, ascending);
        else quicksort(l, ascending);
        return;
    }
    if (!ascending) std::ranges::reverse(*order);
    l.x_part_mut() = gather_rows(l.x_part(), *order);
    l.z_part_mut() = gather_rows(l.z_part(), *order);
    if (coeffs) gather_coeffs(*coeffs, *order);
}

}  // namespace detail

inline void lexicographic_sort(CmpntList& l, bool ascending) { detail::sort_with<RealVec>(l, nullptr, ascending); }

// coeffs[i] moves with string i; a vector shorter than the list is refused
// before anything moves, a longer one keeps its surplus entries in place.
template <class C>
std::expected<void, ShortCoeffs> lexicographic_sort(CmpntList& l, C& coeffs, bool ascending) {
    if (auto ok = check_one_coeff_each(coeffs.size(), l.size()); !ok) return ok;
    detail::sort_with(l, &coeffs, ascending);
    return {};
}

}  // namespace vemo::qubit::pauli
