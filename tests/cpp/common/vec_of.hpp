// Coefficient vectors from literal values.
#pragma once

#include <initializer_list>

#include "core/container/coeffs/coeffs.hpp"

namespace vemo::testing {

template <class C>
C vec_of(std::initializer_list<typename C::Scalar> values) {
    C c;
    for (auto x : values) c.push(x);
    return c;
}

}  // namespace vemo::testing
