// Algebra of normal-ordered linear combinations: products, commutators,
// adjoints and the tests built on them, against dense matrices and the
// accumulation rule (first arrival, exact zeros removed by swap-removal).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/fermion/lincomb.hpp"
#include "fermion_dense.hpp"

using namespace vemo;
using namespace vemo::fermion;
using normal::CmpntList;
namespace lc = normal::lincomb;

namespace {

// "c0 a1, c1 a0" (components separated by commas; "1" is the identity).
CmpntList list(uint64_t n_modes, const std::string& text) {
    CmpntList l(Modes::count(n_modes));
    std::istringstream parts(text);
    std::string part;
    while (std::getline(parts, part, ',')) {
        l.push_identity();
        const uint64_t i = l.size() - 1;
        std::istringstream in(part);
        std::string tok;
        while (in >> tok) {
            if (tok == "1") continue;
            const uint64_t m = std::stoull(tok.substr(1));
            auto row = tok[0] == 'c' ? l.cre_row_mut(i) : l.ann_row_mut(i);
            row[m / 64] |= uint64_t{1} << (m % 64);
        }
    }
    return l;
}
RealVec reals(std::initializer_list<double> v) {
    RealVec r;
    for (double x : v) r.push(x);
    return r;
}

template <class C>
lc::TermsView<C> view(const CmpntList& l, const C& c) {
    return {l, c};
}

// "F0^ F1: 2, ..." for exact comparisons of small results.
template <class C>
std::string show(const lc::TermSet<C>& t) {
    std::string s;
    for (uint64_t i = 0; i < t.size(); ++i) {
        if (i) s += ", ";
        s += '(';
        s += t.cmpnts().fmt_elem(i);
        s += ": ";
        s += fmt_num(t.coeffs().get(i));
        s += ')';
    }
    return s;
}

template <class C>
C random_coeffs(std::mt19937_64& rng, uint64_t n) {
    std::uniform_int_distribution<int> d(-3, 3);
    C c;
    for (uint64_t i = 0; i < n; ++i) {
        if constexpr (std::same_as<C, RealVec>) c.push(d(rng));
        else c.push(Complex(d(rng), d(rng)));
    }
    return c;
}

template <class C>
using Scalar = typename C::Scalar;

template <class C>
fermion_dense::Dense<Scalar<C>> dense(uint64_t n, const CmpntList& l, const C& c) {
    return fermion_dense::of_normal<Scalar<C>>(n, l, c);
}

}  // namespace

TEST(FermionLincombMul, FirstArrivalOrderWithSwapRemoval) {
    // c0, c1, c2 arrive; c1 then cancels and the last component takes its slot.
    const CmpntList a = list(3, "c0, c1, c2, c1"), b = list(3, "1");
    const RealVec ca = reals({1, 1, 1, -1}), cb = reals({1});
    auto out = lc::new_term_set<RealVec>(Modes::count(3));
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, ca), view(b, cb)));
    EXPECT_EQ(show(out), "(F0^: 1), (F2^: 1)");
    EXPECT_EQ(out.map().size(), 2u);

    // (a0 + c0)(c0 + a0): a0 c0 = 1 - c0 a0 and c0 a0 cancel, leaving 1.
    const CmpntList x = list(1, "a0, c0"), y = list(1, "c0, a0");
    const RealVec ones = reals({1, 1});
    auto out1 = lc::new_term_set<RealVec>(Modes::count(1));
    ASSERT_TRUE(lc::assign_from_mul(out1, view(x, ones), view(y, ones)));
    EXPECT_EQ(show(out1), "(: 1)");
}

TEST(FermionLincombMul, EmptyAndShortOperands) {
    const CmpntList a = list(3, "c0, c1 a1, a2"), b = list(3, "c2, a0");
    auto out = lc::new_term_set<RealVec>(Modes::count(3));
    // Output is cleared first.
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, reals({1, 2, 3})), view(b, reals({1, 1}))));
    ASSERT_GT(out.size(), 0u);
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, reals({})), view(b, reals({1, 1}))));
    EXPECT_EQ(out.size(), 0u);
    EXPECT_EQ(out.map().size(), 0u);
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, reals({1, 2, 3})), view(list(3, ""), reals({}))));
    EXPECT_EQ(out.size(), 0u);
    // Only c0 (one coefficient) times c2 (one component) takes part: c0 c2.
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, reals({2})), view(list(3, "c2"), reals({3, 5, 7}))));
    EXPECT_EQ(show(out), "(F0^ F2^: 6)");
}

TEST(FermionLincombMul, DifferentSpacesLeaveOutputAlone) {
    const CmpntList a = list(3, "c0"), b = list(4, "c1");
    auto out = lc::new_term_set<RealVec>(Modes::count(3));
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, reals({2})), view(list(3, "a0"), reals({1}))));
    const std::string before = show(out);
    auto r = lc::assign_from_mul(out, view(a, reals({1})), view(b, reals({1})));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message(), "Qubits-based objects are based on different qubit spaces.");
    EXPECT_EQ(show(out), before);
    auto other = lc::new_term_set<RealVec>(Modes::spin_major_pairs(2));
    const CmpntList c = list(4, "c1");
    EXPECT_FALSE(lc::assign_from_mul(other, view(c, reals({1})), view(c, reals({1}))));
    EXPECT_FALSE(lc::commutator(view(a, reals({1})), view(b, reals({1}))));
    EXPECT_FALSE(lc::anticommutator(view(a, reals({1})), view(b, reals({1}))));
}

template <class C>
void check_products_against_dense(uint64_t seed) {
    std::mt19937_64 rng(seed);
    for (uint64_t n = 1; n <= 5; ++n)
        for (int trial = 0; trial < 15; ++trial) {
            CmpntList a(Modes::count(n)), b(Modes::count(n));
            for (int k = 0; k < 6; ++k) fermion_dense::push_random(a, rng, 0.4);
            for (int k = 0; k < 5; ++k) fermion_dense::push_random(b, rng, 0.4);
            const C ca = random_coeffs<C>(rng, a.size() - trial % 2), cb = random_coeffs<C>(rng, b.size());
            const auto da = dense(n, a, ca), db = dense(n, b, cb);

            auto prod = lc::new_term_set<C>(Modes::count(n));
            ASSERT_TRUE(lc::assign_from_mul(prod, view(a, ca), view(b, cb)));
            EXPECT_EQ(dense(n, prod.cmpnts(), prod.coeffs()).max_abs_diff(da * db), 0.0);
            for (uint64_t i = 0; i < prod.size(); ++i) EXPECT_FALSE(is_exact_zero(prod.coeffs().get(i)));

            auto com = lc::commutator(view(a, ca), view(b, cb));
            ASSERT_TRUE(com);
            EXPECT_EQ(dense(n, com->cmpnts(), com->coeffs()).max_abs_diff(da * db + (db * da).scaled(-1)), 0.0);
            auto anti = lc::anticommutator(view(a, ca), view(b, cb));
            ASSERT_TRUE(anti);
            EXPECT_EQ(dense(n, anti->cmpnts(), anti->coeffs()).max_abs_diff(da * db + db * da), 0.0);

            // Components stay unique and the map describes the list.
            for (uint64_t i = 0; i < anti->size(); ++i)
                EXPECT_EQ(anti->view().lookup(anti->cmpnts().elem_u64it(i)), std::optional<uint64_t>(i));
        }
}

TEST(FermionLincombMul, AgreesWithDenseReal) { check_products_against_dense<RealVec>(1); }
TEST(FermionLincombMul, AgreesWithDenseComplex) { check_products_against_dense<ComplexVec>(2); }

TEST(FermionLincombMul, ComplexCoefficientProductAndSign) {
    // (1 + 2i) a0 times (3 - i) c0 = (5 + 5i)(1 - c0 a0).
    const CmpntList a = list(1, "a0"), b = list(1, "c0");
    ComplexVec ca, cb;
    ca.push({1, 2});
    cb.push({3, -1});
    auto out = lc::new_term_set<ComplexVec>(Modes::count(1));
    ASSERT_TRUE(lc::assign_from_mul(out, view(a, ca), view(b, cb)));
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out.cmpnts().fmt_elem(0), "");
    EXPECT_EQ(out.coeffs().get(0), Complex(5, 5));
    EXPECT_EQ(out.cmpnts().fmt_elem(1), "F0^ F0");
    EXPECT_EQ(out.coeffs().get(1), Complex(-5, -5));
}

TEST(FermionLincombCommutators, CanonicalAnticommutationRelations) {
    for (uint64_t i = 0; i < 4; ++i)
        for (uint64_t j = 0; j < 4; ++j) {
            const auto op = [](char kind, uint64_t m) {
                return list(4, std::string(1, kind).append(std::to_string(m)));
            };
            const CmpntList a = op('a', i), c = op('c', j), a2 = op('a', j), c2 = op('c', i);
            const RealVec one = reals({1});
            auto ac = lc::anticommutator(view(a, one), view(c, one));
            ASSERT_TRUE(ac);
            EXPECT_EQ(show(*ac), i == j ? "(: 1)" : "");
            EXPECT_EQ(lc::anticommutator(view(a, one), view(a2, one))->size(), 0u);
            EXPECT_EQ(lc::anticommutator(view(c2, one), view(c, one))->size(), 0u);
        }
}

TEST(FermionLincombCommutators, SelfCommutatorIsEmpty) {
    std::mt19937_64 rng(5);
    CmpntList a(Modes::count(6));
    for (int k = 0; k < 12; ++k) fermion_dense::push_random(a, rng, 0.4);
    std::uniform_real_distribution<double> u(-1, 1);
    RealVec ca;
    ComplexVec cc;
    for (uint64_t i = 0; i < a.size(); ++i) {
        ca.push(u(rng));
        cc.push({u(rng), u(rng)});
    }
    EXPECT_EQ(lc::commutator(view(a, ca), view(a, ca))->size(), 0u);
    EXPECT_EQ(lc::commutator(view(a, cc), view(a, cc))->size(), 0u);
}

TEST(FermionLincombAdjoint, WorkedCases) {
    const CmpntList a = list(3, "c0 c1 a2");
    auto r = lc::adjoint(view(a, reals({1})));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->cmpnts.fmt_elem(0), "F2^ F0 F1");
    EXPECT_EQ(r->coeffs.get(0), -1.0);

    const CmpntList b = list(2, "c0 a1");
    ComplexVec cb;
    cb.push({2, 3});
    auto s = lc::adjoint(view(b, cb));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->cmpnts.fmt_elem(0), "F1^ F0");
    EXPECT_EQ(s->coeffs.get(0), Complex(2, -3));
}

TEST(FermionLincombAdjoint, OneTermPerComponentAndDense) {
    std::mt19937_64 rng(9);
    CmpntList a(Modes::count(4));
    for (int k = 0; k < 10; ++k) fermion_dense::push_random(a, rng, 0.5);
    a.push_identity();
    push_u64it(a, a.elem_u64it(0));  // a repeat: not merged
    const ComplexVec c = random_coeffs<ComplexVec>(rng, a.size() + 2);
    auto r = lc::adjoint(view(a, c));
    ASSERT_TRUE(r);
    ASSERT_EQ(r->cmpnts.size(), a.size());
    ASSERT_EQ(r->coeffs.size(), a.size());
    EXPECT_EQ(dense(4, r->cmpnts, r->coeffs).max_abs_diff(dense(4, a, c).adjoint()), 0.0);
}

TEST(FermionLincombAdjoint, ShortCoefficientsAreRefused) {
    const CmpntList a = list(3, "c0, c1, a2");
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
    const CmpntList a = list(3, "c0 c1 a2, c2 a0 a1");
    for (double atol : {0.0, 0.5, 3.0}) EXPECT_TRUE(*lc::is_hermitian(view(a, reals({1, -1})), atol));
    for (double atol : {0.0, 1.0, 1.99}) EXPECT_FALSE(*lc::is_hermitian(view(a, reals({1, 1})), atol));
    EXPECT_TRUE(*lc::is_hermitian(view(a, reals({1, 1})), 2.0));

    const CmpntList h = list(2, "c0 a1, c1 a0");
    EXPECT_TRUE(*lc::is_hermitian(view(h, reals({1, 1})), 0.0));
    EXPECT_TRUE(*lc::is_hermitian(view(list(2, ""), reals({})), 0.0));
    ComplexVec cc;
    cc.push({0, 1});
    cc.push({0, -1});
    EXPECT_TRUE(*lc::is_hermitian(view(h, cc), 0.0));
    ComplexVec cd;
    cd.push({0, 1});
    cd.push({0, 1});
    EXPECT_FALSE(*lc::is_hermitian(view(h, cd), 1.0));
}

TEST(FermionLincombHermitian, RepeatedComponentsAreSummed) {
    const CmpntList a = list(1, "c0 a0, c0 a0");
    EXPECT_TRUE(*lc::is_hermitian(view(a, reals({1, 1})), 0.0));
    EXPECT_TRUE(*lc::is_hermitian(view(a, reals({1, 2})), 0.0));
    // c0 a1 twice and c1 a0 once with 2: Hermitian only because the repeats sum.
    const CmpntList b = list(2, "c0 a1, c0 a1, c1 a0");
    EXPECT_TRUE(*lc::is_hermitian(view(b, reals({1, 1, 2})), 0.0));
    EXPECT_FALSE(*lc::is_hermitian(view(b, reals({1, 1, 1})), 0.5));
}

TEST(FermionLincombHermitian, NanFails) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const CmpntList a = list(1, "c0 a0");
    EXPECT_FALSE(*lc::is_hermitian(view(a, reals({nan})), 1e300));
    ComplexVec c;
    c.push({1, nan});
    EXPECT_FALSE(*lc::is_hermitian(view(a, c), 1e300));
}

TEST(FermionLincombHermitian, AgreesWithDense) {
    std::mt19937_64 rng(21);
    int hermitian = 0;
    for (int trial = 0; trial < 200; ++trial) {
        CmpntList a(Modes::count(3));
        for (int k = 0; k < 3; ++k) fermion_dense::push_random(a, rng, 0.4);
        ComplexVec c = random_coeffs<ComplexVec>(rng, a.size());
        // Half the time, make it Hermitian by appending the adjoint.
        if (trial % 2) {
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
    const CmpntList h = list(2, "c0 a1, c1 a0");
    EXPECT_TRUE(lc::conserves_particle_number(view(h, reals({1, 1})), 0.0));
    const CmpntList c0 = list(2, "c0");
    EXPECT_FALSE(lc::conserves_particle_number(view(c0, reals({1})), 0.0));
    EXPECT_FALSE(lc::conserves_particle_number(view(c0, reals({1})), 0.99));
    EXPECT_TRUE(lc::conserves_particle_number(view(c0, reals({1})), 1.0));
    EXPECT_TRUE(lc::conserves_particle_number(view(list(2, "1"), reals({3})), 0.0));
    EXPECT_TRUE(lc::conserves_particle_number(view(list(0, "1"), reals({3})), 0.0));
    // Only the terms with coefficients count: c0 has none here.
    EXPECT_TRUE(lc::conserves_particle_number(view(list(2, "c0 a1, c0"), reals({1})), 0.0));
}

TEST(FermionLincombNumber, NanDoesNotPass) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const CmpntList c0 = list(2, "c0");
    EXPECT_FALSE(lc::conserves_particle_number(view(c0, reals({nan})), 1e300));
    ComplexVec c;
    c.push({nan, 0});
    EXPECT_FALSE(lc::conserves_particle_number(view(c0, c), 1e300));
}

TEST(FermionLincombNumber, ParticleNumberAgreesWithDense) {
    std::mt19937_64 rng(33);
    for (int trial = 0; trial < 150; ++trial) {
        const uint64_t n = 1 + trial % 4;
        CmpntList a(Modes::count(n));
        for (int k = 0; k < 4; ++k) fermion_dense::push_random(a, rng, 0.4);
        const RealVec c = random_coeffs<RealVec>(rng, a.size());
        fermion_dense::Dense<double> num(n);
        for (uint64_t m = 0; m < n; ++m)
            num += fermion_dense::ladder<double>(n, m, true) * fermion_dense::ladder<double>(n, m, false);
        const auto d = dense(n, a, c);
        const bool expect = (d * num + (num * d).scaled(-1)).is_zero();
        EXPECT_EQ(lc::conserves_particle_number(view(a, c), 0.0), expect) << a.to_string();
    }
}

TEST(FermionLincombNumber, NumOpFromInds) {
    std::vector<uint64_t> inds{2, 0, 3};
    auto r = lc::num_op_from_inds<RealVec>(inds, Modes::count(4));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->cmpnts.to_string(), "F2^ F2, F0^ F0, F3^ F3");
    EXPECT_EQ(r->coeffs, reals({1, 1, 1}));
    EXPECT_EQ(lc::num_op_from_inds<ComplexVec>(std::vector<uint64_t>{}, Modes::count(4))->cmpnts.size(), 0u);
    auto bad = lc::num_op_from_inds<RealVec>(std::vector<uint64_t>{1, 4}, Modes::count(4));
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error(), (OutOfBounds{4, 4, OutOfBoundsKind::Bit}));
}

TEST(FermionLincombModes, ActiveModesAndNBodyOrder) {
    EXPECT_EQ(*lc::active_modes(view(list(8, "1"), reals({1}))), std::vector<uint64_t>{});
    EXPECT_EQ(*lc::active_modes(view(list(8, "c0 a3, c5"), reals({1, 0}))), (std::vector<uint64_t>{0, 3, 5}));
    EXPECT_EQ(*lc::active_modes(view(list(200, "c130 a3, a199"), reals({1, 1}))), (std::vector<uint64_t>{3, 130, 199}));
    EXPECT_EQ(*lc::largest_n_body_order(view(list(4, ""), reals({}))), 0u);
    EXPECT_EQ(*lc::largest_n_body_order(view(list(4, "c0 a1, c0 c1 a2 a3"), reals({1, 1}))), 2u);
    EXPECT_EQ(*lc::largest_n_body_order(view(list(4, "c0 a1 a2"), reals({1}))), 1u);
}

namespace {

// The product written out pair by pair with mul_cmpnts and the one-term kernel.
template <class C>
lc::TermSet<C> literal_mul(const CmpntList& a, const C& ca, const CmpntList& b, const C& cb) {
    auto out = lc::new_term_set<C>(a.modes());
    for (uint64_t i = 0; i < std::min<uint64_t>(a.size(), ca.size()); ++i)
        for (uint64_t j = 0; j < std::min<uint64_t>(b.size(), cb.size()); ++j) {
            const auto p = normal::mul_cmpnts({&a, i}, {&b, j});
            for (uint64_t r = 0; r < p.cmpnts.size(); ++r) {
                auto c = num_mul(ca.get(i), cb.get(j));
                if (p.signs.get(r).is_minus_one) c = -c;
                scaled_iadd_u64it(out, p.cmpnts.elem_u64it(r), c);
            }
        }
    return out;
}

template <class C>
void expect_identical(const lc::TermSet<C>& got, const lc::TermSet<C>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (uint64_t i = 0; i < got.size(); ++i) {
        ASSERT_TRUE(words_equal(got.cmpnts().elem_u64it(i), want.cmpnts().elem_u64it(i))) << i;
        ASSERT_EQ(got.coeffs().get(i), want.coeffs().get(i)) << i;
    }
}

}  // namespace

TEST(FermionLincombMul, SameOrderAsPairByPairAccumulation) {
    std::mt19937_64 rng(41);
    for (uint64_t n : {3u, 8u, 70u}) {
        CmpntList a(Modes::count(n)), b(Modes::count(n));
        for (int k = 0; k < 60; ++k) fermion_dense::push_random(a, rng, n > 10 ? 0.05 : 0.3);
        for (int k = 0; k < 50; ++k) fermion_dense::push_random(b, rng, n > 10 ? 0.05 : 0.3);
        // Coefficients +-1 and +-2: many exact cancellations and swap-removals.
        RealVec ca, cb;
        ComplexVec za, zb;
        std::uniform_int_distribution<int> d(0, 3);
        for (uint64_t i = 0; i < a.size(); ++i) {
            ca.push(d(rng) < 2 ? 1 : -2);
            za.push({static_cast<double>(d(rng) - 1), 1});
        }
        for (uint64_t i = 0; i < b.size(); ++i) {
            cb.push(d(rng) < 2 ? -1 : 2);
            zb.push({1, static_cast<double>(d(rng) - 2)});
        }
        auto got = lc::new_term_set<RealVec>(Modes::count(n));
        ASSERT_TRUE(lc::assign_from_mul(got, view(a, ca), view(b, cb)));
        expect_identical(got, literal_mul(a, ca, b, cb));
        auto zgot = lc::new_term_set<ComplexVec>(Modes::count(n));
        ASSERT_TRUE(lc::assign_from_mul(zgot, view(a, za), view(b, zb)));
        expect_identical(zgot, literal_mul(a, za, b, zb));
    }
}

TEST(FermionLincombNumber, SameVerdictAsTheCommutatorWithTheNumberOperator) {
    std::mt19937_64 rng(51);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int trial = 0; trial < 60; ++trial) {
        const uint64_t n = 2 + trial % 5;
        CmpntList a(Modes::count(n));
        for (int k = 0; k < 5; ++k) fermion_dense::push_random(a, rng, 0.3);
        RealVec c;
        for (uint64_t i = 0; i < a.size(); ++i) c.push(u(rng));
        std::vector<uint64_t> all(n);
        for (uint64_t m = 0; m < n; ++m) all[m] = m;
        const auto num = lc::num_op_from_inds<RealVec>(all, Modes::count(n));
        const auto k = lc::commutator(view(a, c), num->view());
        double largest = 0;
        for (uint64_t i = 0; i < k->size(); ++i) largest = std::max(largest, std::fabs(k->coeffs().get(i)));
        for (double atol : {0.0, largest * 0.5, largest, largest * 2})
            EXPECT_EQ(lc::conserves_particle_number(view(a, c), atol), largest <= atol);
    }
}
