// Inner product of two linear combinations of basis states: the left one is
// looked up through its Map and conjugated. Every component needs its
// coefficient: a side whose coefficient vector is shorter than its list is
// refused (ShortCoeffs), the tail of a longer one is ignored.
#pragma once

#include <concepts>
#include <cstdint>
#include <expected>

#include "core/container/coeffs/coeffs.hpp"
#include "core/container/coeffs/short_coeffs.hpp"
#include "core/container/map.hpp"
#include "core/container/set.hpp"
#include "core/container/word_iters.hpp"

namespace vemo {

// sum over right components i of conj(left coefficient of the same component)
// * right coefficient i. Each side needs a coefficient for each of its
// components, the left side checked first. Costs one hash lookup per right component;
// the left list is never scanned. Real sums start at -0.0, so an empty right
// side gives -0.0, and an absent component adds +0.0; complex sums start at
// 0+0i.
template <WordIters L, class V>
    requires(std::same_as<V, RealVec> || std::same_as<V, ComplexVec>)
std::expected<typename V::Scalar, ShortCoeffs> vdot(const L& left, const Map& left_map, const V& left_coeffs,
                                                    const L& right, const V& right_coeffs) {
    using T = typename V::Scalar;
    if (auto r = check_one_coeff_each(left_coeffs.size(), left.size()); !r) return std::unexpected(r.error());
    if (auto r = check_one_coeff_each(right_coeffs.size(), right.size()); !r) return std::unexpected(r.error());
    const SetView<L> lhs(left, left_map);
    T sum;
    if constexpr (std::same_as<T, double>) sum = -0.0;
    else sum = T(0.0, 0.0);
    const uint64_t n_right = right.size();
    for (uint64_t i = 0; i < n_right; ++i) {
        const auto j = lhs.lookup(Words(right.elem_u64it(i)));
        if (!j) {
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
