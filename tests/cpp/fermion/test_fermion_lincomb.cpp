// Algebra of normal-ordered linear combinations where Python does not reach:
// the accumulation order of products (first arrival, exact zeros removed by
// swap-removal) and the tolerance edges of the Hermiticity and
// particle-number tests. Dense agreement is checked from Python.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/fermion/lincomb.hpp"
#include "fermion_lists.hpp"

using namespace vemo;
using namespace vemo::fermion;
using namespace fermion_lists;
using normal::CmpntList;
namespace lc = normal::lincomb;

namespace {

template <class C>
lc::TermsView<C> view(const CmpntList& l, const C& c) {
    return {l, c};
}
ComplexVec complexes(std::initializer_list<Complex> v) { return vec_of<ComplexVec>(v); }

}  // namespace

TEST(FermionLincombMul, AccumulationOrder) {
    // c0, c1, c2 arrive; c1 then cancels and the last component takes its slot.
    auto out = lc::new_term_set<RealVec>(Modes::count(3));
    ASSERT_TRUE(lc::assign_from_mul(out, view(parse_list(3, "F0^, F1^, F2^, F1^"), reals({1, 1, 1, -1})),
                                    view(parse_list(3, "1"), reals({1}))));
    EXPECT_EQ(show(out), "(F0^: 1), (F2^: 1)");
    EXPECT_EQ(out.map().size(), 2u);
}

// The result order is that of adding every pair's rows one by one through the one-term kernel.
TEST(FermionLincombMul, SameOrderAsPairByPairAccumulation) {
    std::mt19937_64 rng(41);
    for (uint64_t n : {3u, 8u, 70u}) {
        CmpntList a(Modes::count(n)), b(Modes::count(n));
        for (int k = 0; k < 60; ++k) push_random(a, rng, n > 10 ? 0.05 : 0.3);
        for (int k = 0; k < 50; ++k) push_random(b, rng, n > 10 ? 0.05 : 0.3);
        const ComplexVec ca = small_coeffs<ComplexVec>(rng, a.size()), cb = small_coeffs<ComplexVec>(rng, b.size());
        auto want = lc::new_term_set<ComplexVec>(a.modes());
        for (uint64_t i = 0; i < a.size(); ++i)
            for (uint64_t j = 0; j < b.size(); ++j) {
                const auto p = normal::mul_cmpnts({&a, i}, {&b, j});
                for (uint64_t r = 0; r < p.cmpnts.size(); ++r) {
                    const auto c = num_mul(ca.get(i), cb.get(j));
                    scaled_iadd_u64it(want, p.cmpnts.elem_u64it(r), p.signs.get(r).is_minus_one ? -c : c);
                }
            }
        auto got = lc::new_term_set<ComplexVec>(Modes::count(n));
        ASSERT_TRUE(lc::assign_from_mul(got, view(a, ca), view(b, cb)));
        expect_identical(got, want);
    }
}

TEST(FermionLincombTests, ToleranceEdgesAndShortCoefficients) {
    const CmpntList a = parse_list(3, "F0^ F1^ F2, F2^ F0 F1");
    EXPECT_TRUE(*lc::is_hermitian(view(a, reals({1, -1})), 0.0));
    EXPECT_FALSE(*lc::is_hermitian(view(a, reals({1, 1})), 1.99));
    EXPECT_TRUE(*lc::is_hermitian(view(a, reals({1, 1})), 2.0));
    // Repeated components are summed; NaN never passes.
    EXPECT_TRUE(*lc::is_hermitian(view(parse_list(2, "F0^ F1, F0^ F1, F1^ F0"), reals({1, 1, 2})), 0.0));
    EXPECT_FALSE(*lc::is_hermitian(view(parse_list(1, "F0^ F0"), complexes({{1, NAN}})), 1e300));
    EXPECT_FALSE(lc::conserves_particle_number(view(parse_list(2, "F0^"), reals({1})), 0.99));
    EXPECT_TRUE(lc::conserves_particle_number(view(parse_list(2, "F0^"), reals({1})), 1.0));
    EXPECT_TRUE(lc::conserves_particle_number(view(parse_list(2, "F0^ F1, F0^"), reals({1})), 0.0));  // c1 has no coefficient
    EXPECT_FALSE(lc::conserves_particle_number(view(parse_list(2, "F0^"), complexes({{NAN, 0}})), 1e300));
    // Where one coefficient per component is read, fewer is an error value.
    const RealVec two = reals({1, 2});
    const CmpntList three = parse_list(3, "F0^, F1^, F2");
    EXPECT_EQ(lc::adjoint(view(three, two)).error().message(),
              "Coefficient vector of length 2 is shorter than the component list of length 3.");
    EXPECT_FALSE(lc::is_hermitian(view(three, two), 1.0));
    EXPECT_FALSE(lc::active_modes(view(three, two)));
    EXPECT_FALSE(lc::largest_n_body_order(view(three, two)));
    EXPECT_TRUE(lc::is_hermitian(view(three, reals({1, 1, 1, 7})), 10.0));  // longer is fine
    EXPECT_EQ(*lc::active_modes(view(parse_list(200, "F130^ F3, F199"), reals({1, 1}))),
              (std::vector<uint64_t>{3, 130, 199}));
}
