// Algebra of normal-ordered linear combinations: products, commutators,
// adjoints and the tests built on them, against dense matrices and the
// accumulation rule (first arrival, exact zeros removed by swap-removal).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/fermion/lincomb.hpp"
#include "fermion_dense.hpp"

using namespace vemo;
using namespace vemo::fermion;
using fermion_dense::parse_list;
using fermion_dense::reals;
using fermion_dense::show;
using normal::CmpntList;
namespace lc = normal::lincomb;

namespace {

template <class C>
lc::TermsView<C> view(const CmpntList& l, const C& c) {
    return {l, c};
}

template <class C>
fermion_dense::Dense<typename C::Scalar> dense(uint64_t n, const CmpntList& l, const C& c) {
    return fermion_dense::of_normal<typename C::Scalar>(n, l, c);
}

ComplexVec complexes(std::initializer_list<Complex> v) { return fermion_dense::vec_of<ComplexVec>(v); }

const double kNan = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TEST(FermionLincombMul, FirstArrivalOrderWithSwapRemoval) {
    // c0, c1, c2 arrive; c1 then cancels and the last component takes its slot.
    auto out = lc::new_term_set<RealVec>(Modes::count(3));
    ASSERT_TRUE(lc::assign_from_mul(out, view(parse_list(3, "F0^, F1^, F2^, F1^"), reals({1, 1, 1, -1})),
                                    view(parse_list(3, "1"), reals({1}))));
    EXPECT_EQ(show(out), "(F0^: 1), (F2^: 1)");
    EXPECT_EQ(out.map().size(), 2u);
    // (a0 + c0)(c0 + a0): a0 c0 = 1 - c0 a0 and c0 a0 cancel, leaving 1.
    out = lc::new_term_set<RealVec>(Modes::count(1));
    ASSERT_TRUE(lc::assign_from_mul(out, view(parse_list(1, "F0, F0^"), reals({1, 1})),
                                    view(parse_list(1, "F0^, F0"), reals({1, 1}))));
    EXPECT_EQ(show(out), "(: 1)");
}

TEST(FermionLincombMul, EmptyAndShortOperands) {
    const CmpntList a = parse_list(3, "F0^, F1^ F1, F2"), b = parse_list(3, "F2^, F0");
    auto out = lc::new_term_set<RealVec>(Modes::count(3));
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, reals({1, 2, 3})), view(b, reals({1, 1}))));
    ASSERT_GT(out.size(), 0u);
    // The output is cleared first.
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, reals({})), view(b, reals({1, 1}))));
    EXPECT_EQ(out.size(), 0u);
    EXPECT_EQ(out.map().size(), 0u);
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, reals({1, 2, 3})), view(parse_list(3, ""), reals({}))));
    EXPECT_EQ(out.size(), 0u);
    // Only c0 (one coefficient) times c2 (one component) takes part: c0 c2.
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, reals({2})), view(parse_list(3, "F2^"), reals({3, 5, 7}))));
    EXPECT_EQ(show(out), "(F0^ F2^: 6)");
}

TEST(FermionLincombMul, DifferentSpacesLeaveOutputAlone) {
    const CmpntList a = parse_list(3, "F0^"), b = parse_list(4, "F1^");
    auto out = lc::new_term_set<RealVec>(Modes::count(3));
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, reals({2})), view(parse_list(3, "F0"), reals({1}))));
    const std::string before = show(out);
    auto r = lc::assign_from_mul(out, view(a, reals({1})), view(b, reals({1})));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message(), "Qubits-based objects are based on different qubit spaces.");
    EXPECT_EQ(show(out), before);
    auto other = lc::new_term_set<RealVec>(Modes::spin_major_pairs(2));
    EXPECT_FALSE(lc::assign_from_mul(other, view(b, reals({1})), view(b, reals({1}))));
    EXPECT_FALSE(lc::commutator(view(a, reals({1})), view(b, reals({1}))));
    EXPECT_FALSE(lc::anticommutator(view(a, reals({1})), view(b, reals({1}))));
}

// AB, [A, B], {A, B} and [A, A] = 0 against dense matrices, with unique components.
template <class C>
void check_products_against_dense(uint64_t seed) {
    std::mt19937_64 rng(seed);
    for (uint64_t n = 1; n <= 5; ++n)
        for (int trial = 0; trial < 15; ++trial) {
            CmpntList a(Modes::count(n)), b(Modes::count(n));
            for (int k = 0; k < 6; ++k) fermion_dense::push_random(a, rng, 0.4);
            for (int k = 0; k < 5; ++k) fermion_dense::push_random(b, rng, 0.4);
            const C ca = fermion_dense::small_coeffs<C>(rng, a.size() - trial % 2);
            const C cb = fermion_dense::small_coeffs<C>(rng, b.size());
            const auto da = dense(n, a, ca), db = dense(n, b, cb);

            auto prod = lc::new_term_set<C>(Modes::count(n));
            ASSERT_TRUE(lc::assign_from_mul(prod, view(a, ca), view(b, cb)));
            EXPECT_EQ(dense(n, prod.cmpnts(), prod.coeffs()).max_abs_diff(da * db), 0.0);
            for (uint64_t i = 0; i < prod.size(); ++i) EXPECT_FALSE(is_exact_zero(prod.coeffs().get(i)));
            auto com = lc::commutator(view(a, ca), view(b, cb));
            EXPECT_EQ(dense(n, com->cmpnts(), com->coeffs()).max_abs_diff(da * db + (db * da).scaled(-1)), 0.0);
            auto anti = lc::anticommutator(view(a, ca), view(b, cb));
            EXPECT_EQ(dense(n, anti->cmpnts(), anti->coeffs()).max_abs_diff(da * db + db * da), 0.0);
            for (uint64_t i = 0; i < anti->size(); ++i)
                EXPECT_EQ(anti->view().lookup(anti->cmpnts().elem_u64it(i)), std::optional<uint64_t>(i));
            EXPECT_EQ(lc::commutator(view(a, ca), view(a, ca))->size(), 0u);
        }
}

TEST(FermionLincombMul, AgreesWithDenseReal) { check_products_against_dense<RealVec>(1); }
TEST(FermionLincombMul, AgreesWithDenseComplex) { check_products_against_dense<ComplexVec>(2); }

// The result order is that of adding every pair's rows one by one through the
// one-term kernel.
TEST(FermionLincombMul, SameOrderAsPairByPairAccumulation) {
    const auto literal_mul = []<class C>(const CmpntList& a, const C& ca, const CmpntList& b, const C& cb) {
        auto out = lc::new_term_set<C>(a.modes());
        for (uint64_t i = 0; i < std::min<uint64_t>(a.size(), ca.size()); ++i)
            for (uint64_t j = 0; j < std::min<uint64_t>(b.size(), cb.size()); ++j) {
                const auto p = normal::mul_cmpnts({&a, i}, {&b, j});
                for (uint64_t r = 0; r < p.cmpnts.size(); ++r) {
                    const auto c = num_mul(ca.get(i), cb.get(j));
                    scaled_iadd_u64it(out, p.cmpnts.elem_u64it(r), p.signs.get(r).is_minus_one ? -c : c);
                }
            }
        return out;
    };
    std::mt19937_64 rng(41);
    for (uint64_t n : {3u, 8u, 70u}) {
        CmpntList a(Modes::count(n)), b(Modes::count(n));
        for (int k = 0; k < 60; ++k) fermion_dense::push_random(a, rng, n > 10 ? 0.05 : 0.3);
        for (int k = 0; k < 50; ++k) fermion_dense::push_random(b, rng, n > 10 ? 0.05 : 0.3);
        const auto ca = fermion_dense::small_coeffs<RealVec>(rng, a.size());
        const auto cb = fermion_dense::small_coeffs<RealVec>(rng, b.size());
        const auto za = fermion_dense::small_coeffs<ComplexVec>(rng, a.size());
        const auto zb = fermion_dense::small_coeffs<ComplexVec>(rng, b.size());
        auto got = lc::new_term_set<RealVec>(Modes::count(n));
        ASSERT_TRUE(lc::assign_from_mul(got, view(a, ca), view(b, cb)));
        fermion_dense::expect_identical(got, literal_mul(a, ca, b, cb));
        auto zgot = lc::new_term_set<ComplexVec>(Modes::count(n));
        ASSERT_TRUE(lc::assign_from_mul(zgot, view(a, za), view(b, zb)));
        fermion_dense::expect_identical(zgot, literal_mul(a, za, b, zb));
    }
}

TEST(FermionLincombCommutators, CanonicalAnticommutationRelations) {
    const RealVec one = reals({1});
    const auto op = [](uint64_t m, bool cre) {
        std::string t = "F";
        t += std::to_string(m);
        if (cre) t += '^';
        return parse_list(4, t);
    };
    for (uint64_t i = 0; i < 4; ++i)
        for (uint64_t j = 0; j < 4; ++j) {
            EXPECT_EQ(show(*lc::anticommutator(view(op(i, false), one), view(op(j, true), one))), i == j ? "(: 1)" : "");
            EXPECT_EQ(lc::anticommutator(view(op(i, false), one), view(op(j, false), one))->size(), 0u);
            EXPECT_EQ(lc::anticommutator(view(op(i, true), one), view(op(j, true), one))->size(), 0u);
        }
}

TEST(FermionLincombAdjoint, OneTermPerComponentAndDense) {
    auto r = lc::adjoint(view(parse_list(3, "F0^ F1^ F2"), reals({1})));
    EXPECT_EQ(r->cmpnts.fmt_elem(0), "F2^ F0 F1");
    EXPECT_EQ(r->coeffs.get(0), -1.0);
    auto s = lc::adjoint(view(parse_list(2, "F0^ F1"), complexes({{2, 3}})));
    EXPECT_EQ(s->cmpnts.fmt_elem(0), "F1^ F0");
    EXPECT_EQ(s->coeffs.get(0), Complex(2, -3));

    std::mt19937_64 rng(9);
    CmpntList a(Modes::count(4));
    for (int k = 0; k < 10; ++k) fermion_dense::push_random(a, rng, 0.5);
    a.push_identity();
    push_u64it(a, a.elem_u64it(0));  // a repeat: not merged
    const auto c = fermion_dense::small_coeffs<ComplexVec>(rng, a.size() + 2);
    auto t = lc::adjoint(view(a, c));
    ASSERT_EQ(t->cmpnts.size(), a.size());
    ASSERT_EQ(t->coeffs.size(), a.size());
    EXPECT_EQ(dense(4, t->cmpnts, t->coeffs).max_abs_diff(dense(4, a, c).adjoint()), 0.0);
}

// Where one coefficient per component is read, fewer is an error value.
TEST(FermionLincombAdjoint, ShortCoefficientsAreRefused) {
    const CmpntList a = parse_list(3, "F0^, F1^, F2");
    const RealVec two = reals({1, 2});
    auto r = lc::adjoint(view(a, two));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error(), (lc::ShortCoeffs{2, 3}));
    EXPECT_EQ(r.error().message(), "Coefficient vector of length 2 is shorter than the component list of length 3.");
    EXPECT_FALSE(lc::is_hermitian(view(a, two), 1.0));
    EXPECT_FALSE(lc::active_modes(view(a, two)));
    EXPECT_FALSE(lc::largest_n_body_order(view(a, two)));
    EXPECT_TRUE(lc::is_hermitian(view(a, reals({1, 1, 1, 7})), 10.0));  // longer is fine
}

TEST(FermionLincombHermitian, WorkedCases) {
    const CmpntList a = parse_list(3, "F0^ F1^ F2, F2^ F0 F1");
    for (double atol : {0.0, 0.5, 3.0}) EXPECT_TRUE(*lc::is_hermitian(view(a, reals({1, -1})), atol));
    for (double atol : {0.0, 1.0, 1.99}) EXPECT_FALSE(*lc::is_hermitian(view(a, reals({1, 1})), atol));
    EXPECT_TRUE(*lc::is_hermitian(view(a, reals({1, 1})), 2.0));
    const CmpntList h = parse_list(2, "F0^ F1, F1^ F0");
    EXPECT_TRUE(*lc::is_hermitian(view(h, reals({1, 1})), 0.0));
    EXPECT_TRUE(*lc::is_hermitian(view(parse_list(2, ""), reals({})), 0.0));
    EXPECT_TRUE(*lc::is_hermitian(view(h, complexes({{0, 1}, {0, -1}})), 0.0));
    EXPECT_FALSE(*lc::is_hermitian(view(h, complexes({{0, 1}, {0, 1}})), 1.0));
    // Repeated components are summed, not "last coefficient wins".
    EXPECT_TRUE(*lc::is_hermitian(view(parse_list(1, "F0^ F0, F0^ F0"), reals({1, 2})), 0.0));
    const CmpntList b = parse_list(2, "F0^ F1, F0^ F1, F1^ F0");
    EXPECT_TRUE(*lc::is_hermitian(view(b, reals({1, 1, 2})), 0.0));
    EXPECT_FALSE(*lc::is_hermitian(view(b, reals({1, 1, 1})), 0.5));
    // NaN never passes.
    EXPECT_FALSE(*lc::is_hermitian(view(parse_list(1, "F0^ F0"), reals({kNan})), 1e300));
    EXPECT_FALSE(*lc::is_hermitian(view(parse_list(1, "F0^ F0"), complexes({{1, kNan}})), 1e300));
}

TEST(FermionLincombHermitian, AgreesWithDense) {
    std::mt19937_64 rng(21);
    int hermitian = 0;
    for (int trial = 0; trial < 200; ++trial) {
        CmpntList a(Modes::count(3));
        for (int k = 0; k < 3; ++k) fermion_dense::push_random(a, rng, 0.4);
        ComplexVec c = fermion_dense::small_coeffs<ComplexVec>(rng, a.size());
        if (trial % 2) {  // made Hermitian by appending the adjoint
            auto adj = lc::adjoint(view(a, c));
            for (uint64_t i = 0; i < adj->cmpnts.size(); ++i) {
                push_u64it(a, adj->cmpnts.elem_u64it(i));
                c.push(adj->coeffs.get(i));
            }
        }
        const auto d = dense(3, a, c);
        const bool expect = d.max_abs_diff(d.adjoint()) == 0.0;
        hermitian += expect;
        EXPECT_EQ(*lc::is_hermitian(view(a, c), 0.0), expect);
    }
    EXPECT_GT(hermitian, 90);
}

TEST(FermionLincombNumber, ParticleNumberWorkedCases) {
    const auto conserves = [](uint64_t n, const std::string& text, const auto& c, double atol) {
        return lc::conserves_particle_number(view(parse_list(n, text), c), atol);
    };
    EXPECT_TRUE(conserves(2, "F0^ F1, F1^ F0", reals({1, 1}), 0.0));
    EXPECT_FALSE(conserves(2, "F0^", reals({1}), 0.0));
    EXPECT_FALSE(conserves(2, "F0^", reals({1}), 0.99));
    EXPECT_TRUE(conserves(2, "F0^", reals({1}), 1.0));
    EXPECT_TRUE(conserves(2, "1", reals({3}), 0.0));
    EXPECT_TRUE(conserves(0, "1", reals({3}), 0.0));
    // Only the terms with coefficients count: c0 has none here.
    EXPECT_TRUE(conserves(2, "F0^ F1, F0^", reals({1}), 0.0));
    // NaN never passes.
    EXPECT_FALSE(conserves(2, "F0^", reals({kNan}), 1e300));
    EXPECT_FALSE(conserves(2, "F0^", complexes({{kNan, 0}}), 1e300));
}

TEST(FermionLincombNumber, ParticleNumberAgreesWithDense) {
    std::mt19937_64 rng(33);
    for (int trial = 0; trial < 150; ++trial) {
        const uint64_t n = 1 + trial % 4;
        CmpntList a(Modes::count(n));
        for (int k = 0; k < 4; ++k) fermion_dense::push_random(a, rng, 0.4);
        const RealVec c = fermion_dense::small_coeffs<RealVec>(rng, a.size());
        fermion_dense::Dense<double> num(n);
        for (uint64_t m = 0; m < n; ++m)
            num += fermion_dense::ladder<double>(n, m, true) * fermion_dense::ladder<double>(n, m, false);
        const auto d = dense(n, a, c);
        const bool expect = (d * num + (num * d).scaled(-1)).is_zero();
        EXPECT_EQ(lc::conserves_particle_number(view(a, c), 0.0), expect) << a.to_string();
    }
}

TEST(FermionLincombNumber, NumOpFromInds) {
    auto r = lc::num_op_from_inds<RealVec>(std::vector<uint64_t>{2, 0, 3}, Modes::count(4));
    EXPECT_EQ(r->cmpnts.to_string(), "F2^ F2, F0^ F0, F3^ F3");
    EXPECT_EQ(r->coeffs, reals({1, 1, 1}));
    EXPECT_EQ(lc::num_op_from_inds<ComplexVec>(std::vector<uint64_t>{}, Modes::count(4))->cmpnts.size(), 0u);
    auto bad = lc::num_op_from_inds<RealVec>(std::vector<uint64_t>{1, 4}, Modes::count(4));
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error(), (OutOfBounds{4, 4, OutOfBoundsKind::Bit}));
}

TEST(FermionLincombModes, ActiveModesAndNBodyOrder) {
    EXPECT_EQ(*lc::active_modes(view(parse_list(8, "1"), reals({1}))), std::vector<uint64_t>{});
    EXPECT_EQ(*lc::active_modes(view(parse_list(8, "F0^ F3, F5^"), reals({1, 0}))), (std::vector<uint64_t>{0, 3, 5}));
    EXPECT_EQ(*lc::active_modes(view(parse_list(200, "F130^ F3, F199"), reals({1, 1}))),
              (std::vector<uint64_t>{3, 130, 199}));
    EXPECT_EQ(*lc::largest_n_body_order(view(parse_list(4, ""), reals({}))), 0u);
    EXPECT_EQ(*lc::largest_n_body_order(view(parse_list(4, "F0^ F1, F0^ F1^ F2 F3"), reals({1, 1}))), 2u);
    EXPECT_EQ(*lc::largest_n_body_order(view(parse_list(4, "F0^ F1 F2"), reals({1}))), 1u);
}
