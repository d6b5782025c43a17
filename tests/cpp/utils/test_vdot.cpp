// Inner products of basis-state combinations against a dense reference.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/container/bit_matrix.hpp"
#include "core/utils/vdot.hpp"

using namespace vemo;

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

template <class V>
V vec(std::initializer_list<typename V::Scalar> xs) {
    V v;
    for (auto x : xs) v.push(x);
    return v;
}

}  // namespace

TEST(Vdot, SignedZerosAndNorm) {
    const BitMatrix l = states(70, {0, 5, 9, 3});
    const Map lm = map_of(l);
    const double empty = vdot(l, lm, vec<RealVec>({1, 2}), states(70, {}), RealVec());
    EXPECT_TRUE(empty == 0.0 && std::signbit(empty));  // the sum starts at -0.0
    EXPECT_FALSE(std::signbit(vdot(l, lm, vec<RealVec>({1, 2}), states(70, {4}), vec<RealVec>({-3}))));
    const auto c = vec<ComplexVec>({{1, 2}, {-0.5, 0.25}, {0, -3}, {2, 0}});
    EXPECT_EQ(vdot(l, lm, c, l, c), Complex(5 + 0.3125 + 9 + 4, 0));
}

TEST(Vdot, MatchesDenseReference) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int trial = 0; trial < 50; ++trial) {
        // Left: distinct states in shuffled order; right: any states, repeats allowed.
        std::vector<uint64_t> li(32);
        for (uint64_t k = 0; k < 32; ++k) li[k] = k;
        std::shuffle(li.begin(), li.end(), rng);
        li.resize(rng() % 20);
        std::vector<uint64_t> ri(rng() % 20);
        for (auto& x : ri) x = rng() % 32;
        ComplexVec lc, rc;
        std::vector<Complex> dense(32);
        for (uint64_t s : li) lc.push(dense[s] = Complex(u(rng), u(rng)));
        Complex want(0, 0);
        for (uint64_t s : ri) {
            rc.push(Complex(u(rng), u(rng)));
            want += std::conj(dense[s]) * rc.get(rc.size() - 1);
        }
        const BitMatrix l = states(5, li);
        const Complex got = vdot(l, map_of(l), lc, states(5, ri), rc);
        EXPECT_NEAR(std::abs(got - want), 0.0, 1e-12);
    }
}
