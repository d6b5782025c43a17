// Inner products of basis-state combinations: signed zeros, the norm and the
// coefficient each component needs. The dense reference is checked from Python.
#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "core/container/bit_matrix.hpp"
#include "../common/vec_of.hpp"
#include "core/container/vdot.hpp"

using namespace vemo;
using vemo::testing::vec_of;

namespace {

// Basis states on n bits from their indices.
BitMatrix states(uint64_t n_bits, const std::vector<uint64_t>& idx) {
    BitMatrix m(idx.size(), n_bits);
    for (size_t r = 0; r < idx.size(); ++r) m.row_mut(r)[0] = idx[r];
    return m;
}

}  // namespace

TEST(Vdot, NormSignedZerosAndSpareCoefficients) {
    const BitMatrix l = states(70, {0, 5, 9, 3});
    Map lm;
    refresh_map(l, lm);
    const auto c = vec_of<ComplexVec>({{1, 2}, {-0.5, 0.25}, {0, -3}, {2, 0}});
    EXPECT_EQ(*vdot(l, lm, c, l, c), Complex(5 + 0.3125 + 9 + 4, 0));  // the left side conjugated
    const auto lc = vec_of<RealVec>({1, 2, 3, 4, 99});                // the spare 99s are ignored
    const auto real = [&](std::vector<uint64_t> idx, std::initializer_list<double> rc) {
        return *vdot(l, lm, lc, states(70, idx), vec_of<RealVec>(rc));
    };
    const auto bits = [](double x) { return std::bit_cast<uint64_t>(x); };
    EXPECT_EQ(bits(real({}, {})), bits(-0.0));  // the sum starts at -0.0
    EXPECT_EQ(bits(real({4}, {-3, 99})), bits(0.0));  // an absent component adds +0.0
    EXPECT_EQ(bits(real({9, 5}, {1, -1.5, 99})), bits(0.0));  // 3 * 1 + 2 * -1.5 cancels exactly
    // A side with fewer coefficients than components is refused, the left side first.
    const auto one = vec_of<RealVec>({1});
    EXPECT_EQ(vdot(l, lm, one, states(70, {1, 2}), one).error(), (ShortCoeffs{1, 4}));
    EXPECT_EQ(vdot(l, lm, lc, states(70, {1, 2}), one).error(), (ShortCoeffs{1, 2}));
}
