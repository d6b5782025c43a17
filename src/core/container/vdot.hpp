// Inner product of two linear combinations of basis states: the left one is
// looked up through its Map and conjugated.
#pragma once

#include <algorithm>
#include <concepts>
#include <cstdint>

#include "core/container/coeffs/coeffs.hpp"
#include "core/container/map.hpp"
#include "core/container/set.hpp"
#include "core/container/terms.hpp"
#include "core/container/word_iters.hpp"

namespace vemo {

// sum over right components i of conj(left coefficient of the same component)
// * right coefficient i. Each side takes part with its first min(components,
// coefficients) terms: a component without a coefficient adds nothing. Costs
// one hash lookup per right component; the left list is never scanned. Real sums start at -0.0, so an empty right side gives
// -0.0; complex sums start at 0+0i.
template <WordIters L, class V>
    requires(std::same_as<V, RealVec> || std::same_as<V, ComplexVec>)
typename V::Scalar vdot(const L& left, const Map& left_map, const V& left_coeffs, const L& right,
                        const V& right_coeffs) {
    using T = typename V::Scalar;
    const SetView<L> lhs(left, left_map);
    T sum;
    if constexpr (std::same_as<T, double>) sum = -0.0;
    else sum = T(0.0, 0.0);
    const uint64_t n_right = taking_part(TermsView<L, V>{right, right_coeffs});
    for (uint64_t i = 0; i < n_right; ++i) {
        const auto j = lhs.lookup(Words(right.elem_u64it(i)));
        if (!j || *j >= left_coeffs.size()) {
            sum += T(0.0);
            continue;
        }
        const T b = right_coeffs.get(i);
        const T a = left_coeffs.get(*j);
        if constexpr (std::same_as<T, double>) sum += a * b;
        else sum += scaled_complex(std::conj(a), b);
    }
    return sum;
}

}  // namespace vemo
