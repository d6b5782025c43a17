// Algebra of normal-ordered linear combinations: products, commutators,
// adjoints and the tests built on them, against dense matrices and the
// accumulation rule (first arrival, exact zeros removed by swap-removal).
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/fermion/lincomb.hpp"
#include "fermion_dense.hpp"

using namespace vemo;
using namespace vemo::fermion;
using namespace fermion_dense;
using normal::CmpntList;
namespace lc = normal::lincomb;

namespace {

template <class C>
lc::TermsView<C> view(const CmpntList& l, const C& c) {
    return {l, c};
}
ComplexVec complexes(std::initializer_list<Complex> v) { return vec_of<ComplexVec>(v); }

}  // namespace

TEST(FermionLincombMul, AccumulationOrderAndOperands) {
    // c0, c1, c2 arrive; c1 then cancels and the last component takes its slot.
    auto out = lc::new_term_set<RealVec>(Modes::count(3));
    ASSERT_TRUE(lc::assign_from_mul(out, view(parse_list(3, "F0^, F1^, F2^, F1^"), reals({1, 1, 1, -1})),
                                    view(parse_list(3, "1"), reals({1}))));
    EXPECT_EQ(show(out), "(F0^: 1), (F2^: 1)");
    EXPECT_EQ(out.map().size(), 2u);
    // Only c0 (one coefficient) times F2^ (one component) takes part; the output is cleared first.
    const CmpntList a = parse_list(3, "F0^, F1^ F1, F2");
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, reals({2})), view(parse_list(3, "F2^, F0"), reals({3}))));
    EXPECT_EQ(show(out), "(F0^ F2^: 6)");
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, reals({})), view(a, reals({1, 1}))));
    EXPECT_EQ(out.size() + out.map().size(), 0u);
    // Different spaces: an error, and the output keeps what it held.
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, reals({2})), view(a, reals({1}))));
    const std::string before = show(out);
    const CmpntList b = parse_list(4, "F1^");
    auto r = lc::assign_from_mul(out, view(a, reals({1})), view(b, reals({1})));
    EXPECT_EQ(r.error().message(), "Qubits-based objects are based on different qubit spaces.");
    EXPECT_EQ(show(out), before);
    auto other = lc::new_term_set<RealVec>(Modes::spin_major_pairs(2));
    EXPECT_FALSE(lc::assign_from_mul(other, view(b, reals({1})), view(b, reals({1}))));
    EXPECT_FALSE(lc::commutator(view(a, reals({1})), view(b, reals({1}))));
    EXPECT_FALSE(lc::anticommutator(view(a, reals({1})), view(b, reals({1}))));
}

template <class C>
class FermionLincombTyped : public ::testing::Test {};
using CoeffKinds = ::testing::Types<RealVec, ComplexVec>;
TYPED_TEST_SUITE(FermionLincombTyped, CoeffKinds);

// AB, [A, B], {A, B} and [A, A] = 0 against dense matrices, with unique components.
TYPED_TEST(FermionLincombTyped, ProductsAgreeWithDense) {
    std::mt19937_64 rng(std::same_as<TypeParam, RealVec> ? 1 : 2);
    for (uint64_t n = 1; n <= 5; ++n)
        for (int trial = 0; trial < 15; ++trial) {
            CmpntList a(Modes::count(n)), b(Modes::count(n));
            for (int k = 0; k < 6; ++k) push_random(a, rng, 0.4);
            for (int k = 0; k < 5; ++k) push_random(b, rng, 0.4);
            const auto ca = small_coeffs<TypeParam>(rng, a.size() - trial % 2), cb = small_coeffs<TypeParam>(rng, b.size());
            const Dense da = of_lincomb(n, a, ca), db = of_lincomb(n, b, cb);
            auto prod = lc::new_term_set<TypeParam>(Modes::count(n));
            ASSERT_TRUE(lc::assign_from_mul(prod, view(a, ca), view(b, cb)));
            EXPECT_EQ(of_lincomb(n, prod.cmpnts(), prod.coeffs()), da * db);
            for (uint64_t i = 0; i < prod.size(); ++i) EXPECT_FALSE(is_exact_zero(prod.coeffs().get(i)));
            auto com = lc::commutator(view(a, ca), view(b, cb));
            EXPECT_EQ(of_lincomb(n, com->cmpnts(), com->coeffs()), da * db + (db * da).scaled(-1));
            auto anti = lc::anticommutator(view(a, ca), view(b, cb));
            EXPECT_EQ(of_lincomb(n, anti->cmpnts(), anti->coeffs()), da * db + db * da);
            for (uint64_t i = 0; i < anti->size(); ++i)
                EXPECT_EQ(anti->view().lookup(anti->cmpnts().elem_u64it(i)), std::optional<uint64_t>(i));
            EXPECT_EQ(lc::commutator(view(a, ca), view(a, ca))->size(), 0u);
        }
}

// The result order is that of adding every pair's rows one by one through the one-term kernel.
TYPED_TEST(FermionLincombTyped, SameOrderAsPairByPairAccumulation) {
    using C = TypeParam;
    std::mt19937_64 rng(41);
    for (uint64_t n : {3u, 8u, 70u}) {
        CmpntList a(Modes::count(n)), b(Modes::count(n));
        for (int k = 0; k < 60; ++k) push_random(a, rng, n > 10 ? 0.05 : 0.3);
        for (int k = 0; k < 50; ++k) push_random(b, rng, n > 10 ? 0.05 : 0.3);
        const C ca = small_coeffs<C>(rng, a.size()), cb = small_coeffs<C>(rng, b.size());
        auto want = lc::new_term_set<C>(a.modes());
        for (uint64_t i = 0; i < a.size(); ++i)
            for (uint64_t j = 0; j < b.size(); ++j) {
                const auto p = normal::mul_cmpnts({&a, i}, {&b, j});
                for (uint64_t r = 0; r < p.cmpnts.size(); ++r) {
                    const auto c = num_mul(ca.get(i), cb.get(j));
                    scaled_iadd_u64it(want, p.cmpnts.elem_u64it(r), p.signs.get(r).is_minus_one ? -c : c);
                }
            }
        auto got = lc::new_term_set<C>(Modes::count(n));
        ASSERT_TRUE(lc::assign_from_mul(got, view(a, ca), view(b, cb)));
        expect_identical(got, want);
    }
}

TEST(FermionLincombAdjoint, OneTermPerComponentAndDense) {
    auto r = lc::adjoint(view(parse_list(3, "F0^ F1^ F2"), reals({1})));
    EXPECT_EQ(r->cmpnts.fmt_elem(0), "F2^ F0 F1");
    EXPECT_EQ(r->coeffs.get(0), -1.0);
    std::mt19937_64 rng(9);
    CmpntList a(Modes::count(4));
    for (int k = 0; k < 10; ++k) push_random(a, rng, 0.5);
    a.push_identity();
    push_u64it(a, a.elem_u64it(0));  // a repeat: not merged
    const auto c = small_coeffs<ComplexVec>(rng, a.size() + 2);
    auto t = lc::adjoint(view(a, c));
    ASSERT_EQ(t->cmpnts.size(), a.size());
    ASSERT_EQ(t->coeffs.size(), a.size());
    EXPECT_EQ(of_lincomb(4, t->cmpnts, t->coeffs), of_lincomb(4, a, c).dagger());
    // Where one coefficient per component is read, fewer is an error value.
    const RealVec two = reals({1, 2});
    const CmpntList three = parse_list(3, "F0^, F1^, F2");
    EXPECT_EQ(lc::adjoint(view(three, two)).error().message(),
              "Coefficient vector of length 2 is shorter than the component list of length 3.");
    EXPECT_FALSE(lc::is_hermitian(view(three, two), 1.0));
    EXPECT_FALSE(lc::active_modes(view(three, two)));
    EXPECT_FALSE(lc::largest_n_body_order(view(three, two)));
    EXPECT_TRUE(lc::is_hermitian(view(three, reals({1, 1, 1, 7})), 10.0));  // longer is fine
}

TEST(FermionLincombHermitian, AtolAndDense) {
    const CmpntList a = parse_list(3, "F0^ F1^ F2, F2^ F0 F1");
    EXPECT_TRUE(*lc::is_hermitian(view(a, reals({1, -1})), 0.0));
    EXPECT_FALSE(*lc::is_hermitian(view(a, reals({1, 1})), 1.99));
    EXPECT_TRUE(*lc::is_hermitian(view(a, reals({1, 1})), 2.0));
    // Repeated components are summed; NaN never passes.
    EXPECT_TRUE(*lc::is_hermitian(view(parse_list(2, "F0^ F1, F0^ F1, F1^ F0"), reals({1, 1, 2})), 0.0));
    EXPECT_FALSE(*lc::is_hermitian(view(parse_list(1, "F0^ F0"), complexes({{1, NAN}})), 1e300));
    std::mt19937_64 rng(21);
    int hermitian = 0;
    for (int trial = 0; trial < 200; ++trial) {
        CmpntList l(Modes::count(3));
        for (int k = 0; k < 3; ++k) push_random(l, rng, 0.4);
        ComplexVec c = small_coeffs<ComplexVec>(rng, l.size());
        if (trial % 2) {  // made Hermitian by appending the adjoint
            auto adj = lc::adjoint(view(l, c));
            for (uint64_t i = 0; i < adj->cmpnts.size(); ++i) push_u64it(l, adj->cmpnts.elem_u64it(i)), c.push(adj->coeffs.get(i));
        }
        const Dense d = of_lincomb(3, l, c);
        hermitian += d == d.dagger();
        EXPECT_EQ(*lc::is_hermitian(view(l, c), 0.0), d == d.dagger());
    }
    EXPECT_GT(hermitian, 90);
}

TEST(FermionLincombNumber, ParticleNumberAtolAndDense) {
    EXPECT_FALSE(lc::conserves_particle_number(view(parse_list(2, "F0^"), reals({1})), 0.99));
    EXPECT_TRUE(lc::conserves_particle_number(view(parse_list(2, "F0^"), reals({1})), 1.0));
    EXPECT_TRUE(lc::conserves_particle_number(view(parse_list(2, "F0^ F1, F0^"), reals({1})), 0.0));  // c1 has no coefficient
    EXPECT_FALSE(lc::conserves_particle_number(view(parse_list(2, "F0^"), complexes({{NAN, 0}})), 1e300));
    std::mt19937_64 rng(33);
    for (int trial = 0; trial < 150; ++trial) {
        const uint64_t n = 1 + trial % 4;
        CmpntList a(Modes::count(n));
        for (int k = 0; k < 4; ++k) push_random(a, rng, 0.4);
        const RealVec c = small_coeffs<RealVec>(rng, a.size());
        Dense num(uint64_t{1} << n);
        for (uint64_t m = 0; m < n; ++m) num = num + ladder(n, m, true) * ladder(n, m, false);
        const Dense d = of_lincomb(n, a, c);
        EXPECT_EQ(lc::conserves_particle_number(view(a, c), 0.0), d * num == num * d) << a.to_string();
    }
}

TEST(FermionLincombModes, NumberOperatorsActiveModesAndNBodyOrder) {
    auto r = lc::num_op_from_inds<RealVec>(std::vector<uint64_t>{2, 0, 3}, Modes::count(4));
    EXPECT_EQ(r->cmpnts.to_string(), "F2^ F2, F0^ F0, F3^ F3");
    EXPECT_EQ(r->coeffs, reals({1, 1, 1}));
    EXPECT_EQ(lc::num_op_from_inds<RealVec>(std::vector<uint64_t>{1, 4}, Modes::count(4)).error(),
              (OutOfBounds{4, 4, OutOfBoundsKind::Bit}));
    EXPECT_EQ(*lc::active_modes(view(parse_list(8, "F0^ F3, F5^"), reals({1, 0}))), (std::vector<uint64_t>{0, 3, 5}));
    EXPECT_EQ(*lc::active_modes(view(parse_list(200, "F130^ F3, F199"), reals({1, 1}))),
              (std::vector<uint64_t>{3, 130, 199}));
    EXPECT_EQ(*lc::largest_n_body_order(view(parse_list(4, ""), reals({}))), 0u);
    EXPECT_EQ(*lc::largest_n_body_order(view(parse_list(4, "F0^ F1, F0^ F1^ F2 F3"), reals({1, 1}))), 2u);
    EXPECT_EQ(*lc::largest_n_body_order(view(parse_list(4, "F0^ F1 F2"), reals({1}))), 1u);
}
