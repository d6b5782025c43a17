// Inner products of basis-state combinations: signed zeros, the norm and the
// coefficient each component needs. The dense reference is checked from Python.
#include <gtest/gtest.h>

#include <cmath>
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

Map map_of(const BitMatrix& m) {
    Map map;
    refresh_map(m, map);
    return map;
}

}  // namespace

TEST(Vdot, SignedZerosAndNorm) {
    const BitMatrix l = states(70, {0, 5, 9, 3});
    const Map lm = map_of(l);
    const auto lc = vec_of<RealVec>({1, 2, 3, 4});
    const double empty = *vdot(l, lm, lc, states(70, {}), RealVec());
    EXPECT_TRUE(empty == 0.0 && std::signbit(empty));  // the sum starts at -0.0
    EXPECT_FALSE(std::signbit(*vdot(l, lm, lc, states(70, {4}), vec_of<RealVec>({-3}))));
    const auto c = vec_of<ComplexVec>({{1, 2}, {-0.5, 0.25}, {0, -3}, {2, 0}});
    EXPECT_EQ(*vdot(l, lm, c, l, c), Complex(5 + 0.3125 + 9 + 4, 0));
}

// A side with fewer coefficients than components is refused, the left side first;
// spare coefficients are ignored.
TEST(Vdot, EachComponentNeedsItsCoefficient) {
    const BitMatrix l = states(3, {1, 6}), r = states(3, {6, 2, 1});
    const Map lm = map_of(l);
    EXPECT_EQ(vdot(l, lm, vec_of<RealVec>({1}), r, vec_of<RealVec>({1})).error(), (ShortCoeffs{1, 2}));
    EXPECT_EQ(vdot(l, lm, vec_of<RealVec>({1, 2}), r, vec_of<RealVec>({1, 1})).error(), (ShortCoeffs{2, 3}));
    EXPECT_EQ(vdot(l, lm, vec_of<RealVec>({2, 3, 99}), r, vec_of<RealVec>({5, 7, 11, 99})), 3 * 5 + 2 * 11);
}
