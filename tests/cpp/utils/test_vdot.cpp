// Inner products of basis-state combinations against a dense reference.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "core/container/bit_matrix.hpp"
#include "core/utils/vdot.hpp"

using namespace vemo;

namespace {

// A list of basis states on n bits from their indices.
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

TEST(Vdot, EmptyRightIsNegativeZero) {
    const BitMatrix l = states(3, {1, 2});
    const Map lm = map_of(l);
    RealVec lc;
    lc.push(1.0);
    lc.push(2.0);
    const double r = vdot(l, lm, lc, states(3, {}), RealVec());
    EXPECT_EQ(r, 0.0);
    EXPECT_TRUE(std::signbit(r));
    ComplexVec lz = ComplexVec::new_units_with_len(2);
    const Complex z = vdot(l, lm, lz, states(3, {}), ComplexVec());
    EXPECT_FALSE(std::signbit(z.real()));
    EXPECT_FALSE(std::signbit(z.imag()));
}

TEST(Vdot, NoCommonComponentIsPositiveZero) {
    const BitMatrix l = states(3, {1});
    const Map lm = map_of(l);
    RealVec lc;
    lc.push(5.0);
    RealVec rc;
    rc.push(-3.0);
    const double r = vdot(l, lm, lc, states(3, {4}), rc);
    EXPECT_EQ(r, 0.0);
    EXPECT_FALSE(std::signbit(r));
}

TEST(Vdot, SelfProductIsTheSquaredNorm) {
    const BitMatrix l = states(70, {0, 5, 9, 3});
    const Map lm = map_of(l);
    ComplexVec c;
    c.push({1, 2});
    c.push({-0.5, 0.25});
    c.push({0, -3});
    c.push({2, 0});
    const Complex z = vdot(l, lm, c, l, c);
    EXPECT_DOUBLE_EQ(z.real(), 5 + 0.3125 + 9 + 4);
    EXPECT_EQ(z.imag(), 0.0);
}

TEST(Vdot, MatchesDenseReference) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int trial = 0; trial < 50; ++trial) {
        const unsigned n = 5;
        // Left: distinct states in shuffled order; right: any states, repeats allowed.
        std::vector<uint64_t> li(32);
        for (uint64_t k = 0; k < 32; ++k) li[k] = k;
        std::shuffle(li.begin(), li.end(), rng);
        li.resize(rng() % 20);
        std::vector<uint64_t> ri(rng() % 20);
        for (auto& x : ri) x = rng() % 32;
        ComplexVec lc, rc;
        std::vector<Complex> dl(32), dr(32);
        for (uint64_t s : li) {
            const Complex c(u(rng), u(rng));
            lc.push(c);
            dl[s] = c;
        }
        Complex expected(0, 0);
        for (uint64_t s : ri) {
            const Complex c(u(rng), u(rng));
            rc.push(c);
            expected += std::conj(dl[s]) * c;
        }
        const BitMatrix l = states(n, li);
        const Complex got = vdot(l, map_of(l), lc, states(n, ri), rc);
        EXPECT_NEAR(got.real(), expected.real(), 1e-12);
        EXPECT_NEAR(got.imag(), expected.imag(), 1e-12);
        // The order of the left list does not matter, only its map.
        RealVec lr, rr;
        for (uint64_t k = 0; k < lc.size(); ++k) lr.push(lc.get(k).real());
        for (uint64_t k = 0; k < rc.size(); ++k) rr.push(rc.get(k).real());
        double want = -0.0;
        for (size_t k = 0; k < ri.size(); ++k) want += dl[ri[k]].real() * rr.get(k);
        EXPECT_NEAR(vdot(l, map_of(l), lr, states(n, ri), rr), want, 1e-12);
    }
}
