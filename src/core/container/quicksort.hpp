// In-place Lomuto quicksort of a component list in lexicographic order of the
// element words, optionally moving a coefficient vector along. The order it
// leaves among equal components is observable, so the partition step is fixed:
// pivot = last element, elements passing the test go left in scan order.
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <utility>

#include "core/base/errors.hpp"
#include "core/container/word_iters.hpp"

namespace vemo {

namespace detail {

// Exchanges two coefficients: a vector with swap(i, j), an indexable
// container, or a callable (i, j).
template <class V>
void swap_coeffs(V& v, uint64_t i, uint64_t j) {
    if constexpr (requires { v.swap(i, j); })
        v.swap(i, j);
    else if constexpr (requires { v[i]; })
        std::swap(v[i], v[j]);
    else
        v(i, j);
}

template <class V>
void check_coeff_len(const V& v, uint64_t hi) {
    if constexpr (requires { { v.size() } -> std::convertible_to<uint64_t>; }) {
        if (hi >= static_cast<uint64_t>(v.size()))
            internal_failure("quicksort: coefficient vector shorter than the sorted range: " +
                             OutOfBounds{hi, static_cast<uint64_t>(v.size()), OutOfBoundsKind::Element}.debug());
    }
}

struct NoCoeffs {
    void operator()(uint64_t, uint64_t) const {}
};

template <WordIters L, class V>
uint64_t lomuto_partition(L& list, V& coeffs, bool ascending, uint64_t lo, uint64_t hi) {
    // The pivot stays at hi while the scan runs, and swaps move words in place.
    const Words pivot = list.elem_u64it(hi);
    uint64_t i = lo;
    for (uint64_t j = lo; j < hi; ++j) {
        const auto c = words_cmp(Words(list.elem_u64it(j)), pivot);
        // Descending tests pivot <= element, so equal elements go left in both directions.
        if (ascending ? c <= 0 : c >= 0) {
            if (i != j) {
                swap_elems(list, i, j);
                swap_coeffs(coeffs, i, j);
            }
            ++i;
        }
    }
    if (i != hi) {
        swap_elems(list, i, hi);
        swap_coeffs(coeffs, i, hi);
    }
    return i;
}

// A partition in which every element passes the test (its pivot is the
// range's largest element, or smallest when descending) moves nothing and
// leaves the pivot at hi; the next one works on lo..hi-1. With E the first
// occurrence of that extreme value in lo..hi, every partition whose pivot is
// an element after E equal to it is such a one, so they are skipped together
// and runs of equal elements cost one pass instead of one pass each (ordered
// input still costs a pass per element, as the partitions themselves do).
// Returns the hi of the first partition that may move something.
template <WordIters L>
uint64_t skip_fixed_pivots(const L& list, bool ascending, uint64_t lo, uint64_t hi) {
    const auto cmp = [&](uint64_t a, uint64_t b) { return words_cmp(Words(list.elem_u64it(a)), Words(list.elem_u64it(b))); };
    for (;;) {
        uint64_t e = lo;
        for (uint64_t j = lo + 1; j <= hi; ++j)
            if (ascending ? cmp(j, e) > 0 : cmp(j, e) < 0) e = j;
        while (hi > e && cmp(hi, e) == 0) --hi;
        if (hi != e || hi == lo) return hi;
        hi = e - 1;  // the extreme itself, strictly beyond everything before it, is fixed too
    }
}

// Recurses into the smaller side and loops on the larger, so the depth stays
// below log2(n) even on sorted input. Partitions of disjoint ranges do not
// interact, so the order of processing them does not change the result.
template <WordIters L, class V>
void quicksort_impl(L& list, V& coeffs, bool ascending, uint64_t lo, uint64_t hi) {
    while (lo < hi) {
        const uint64_t p = lomuto_partition(list, coeffs, ascending, lo, hi);
        if (p == hi) {
            // Nothing moved: the pivot was an extreme, and equal ones may follow.
            hi = skip_fixed_pivots(list, ascending, lo, hi - 1);
            continue;
        }
        const uint64_t left = p - lo, right = hi - p;
        if (left < right) {
            if (left > 1) quicksort_impl(list, coeffs, ascending, lo, p - 1);
            lo = p + 1;
        } else {
            if (right > 1) quicksort_impl(list, coeffs, ascending, p + 1, hi);
            hi = p - 1;  // left >= right and lo < hi imply p > lo
        }
    }
}

// Checks the range; false when there is nothing to sort.
template <WordIters L>
bool quicksort_range_ok(const L& list, uint64_t lo, uint64_t hi) {
    // An empty range, including hi = lo - 1 in wrapping arithmetic (hi = n - 1 for n = 0).
    if (lo > hi || hi + 1 < lo + 1) return false;
    if (hi >= list.size())
        internal_failure("quicksort: " + OutOfBounds{hi, static_cast<uint64_t>(list.size()), OutOfBoundsKind::Element}.debug());
    return lo < hi;
}

}  // namespace detail

// Sorts elements lo..hi (inclusive) in place; hi must be below the element count.
template <WordIters L>
void quicksort_range(L& list, bool ascending, uint64_t lo, uint64_t hi) {
    if (!detail::quicksort_range_ok(list, lo, hi)) return;
    detail::NoCoeffs none;
    detail::quicksort_impl(list, none, ascending, lo, hi);
}

// The same, moving coeffs[i] with element i. `coeffs` is a vector with
// swap(i, j), an indexable container, or a callable (i, j) that exchanges two
// coefficients; a vector that reports its size must cover hi.
template <WordIters L, class V>
void quicksort_range(L& list, V&& coeffs, bool ascending, uint64_t lo, uint64_t hi) {
    if (!detail::quicksort_range_ok(list, lo, hi)) return;
    detail::check_coeff_len(coeffs, hi);
    detail::quicksort_impl(list, coeffs, ascending, lo, hi);
}

// The whole list.
template <WordIters L>
void quicksort(L& list, bool ascending) {
    if (list.size() > 1) quicksort_range(list, ascending, 0, list.size() - 1);
}
template <WordIters L, class V>
void quicksort(L& list, V&& coeffs, bool ascending) {
    if (list.size() > 1) quicksort_range(list, std::forward<V>(coeffs), ascending, 0, list.size() - 1);
}

}  // namespace vemo
