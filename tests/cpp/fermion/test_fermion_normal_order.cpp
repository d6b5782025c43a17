// Normal ordering of raw ladder-operator products and the way back to raw
// form: worked cases, dense matrices of random raw products, round trips.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/fermion/normal_order.hpp"
#include "fermion_dense.hpp"

using namespace vemo;
using namespace vemo::fermion;

namespace {

using Ops = std::vector<std::pair<uint64_t, bool>>;

// "F0^ F1" as (mode, is_creation) pairs.
Ops ops(const std::string& text) {
    Ops out;
    std::istringstream in(text);
    std::string tok;
    while (in >> tok) {
        const bool cre = tok.back() == '^';
        out.emplace_back(std::stoull(tok.substr(1, tok.size() - 1 - cre)), cre);
    }
    return out;
}

template <class C>
std::string show(const normal::lincomb::TermSet<C>& t) {
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

std::string ordered(const std::string& text, uint64_t n_modes = 4) {
    auto r = normal_order_product(Modes::count(n_modes), ops(text));
    EXPECT_TRUE(r);
    return r ? show(*r) : "";
}

}  // namespace

TEST(FermionNormalOrder, WorkedProducts) {
    EXPECT_EQ(ordered("F0 F1 F2^"), "(F2^ F0 F1: 1)");
    EXPECT_EQ(ordered("F1^ F2 F0^"), "(F0^ F1^ F2: 1)");
    EXPECT_EQ(ordered("F2 F1^ F0^"), "(F0^ F1^ F2: -1)");
    EXPECT_EQ(ordered("F1 F0"), "(F0 F1: -1)");
    EXPECT_EQ(ordered("F0^ F0 F0^"), "(F0^: 1)");
    EXPECT_EQ(ordered("F0 F0^"), "(: 1), (F0^ F0: -1)");
    EXPECT_EQ(ordered("F0 F1^ F1 F0^"), "(F1^ F1: 1), (F0^ F1^ F0 F1: 1)");
    EXPECT_EQ(ordered("F0^ F0^"), "");
    EXPECT_EQ(ordered(""), "(: 1)");
    EXPECT_EQ(ordered("", 0), "(: 1)");
}

TEST(FermionNormalOrder, ProductErrors) {
    auto r = normal_order_product(Modes::count(3), ops("F0 F3^"));
    ASSERT_FALSE(r);
    EXPECT_EQ(r.error().message(), "mode index out of bounds");
    EXPECT_FALSE(normal_order_product(Modes::count(0), ops("F0")));
    // LadderOp sequences are accepted as well.
    std::vector<LadderOp> l{{1, false}, {0, true}};
    auto s = normal_order_product(Modes::spin_minor_pairs(1), l);
    ASSERT_TRUE(s);
    EXPECT_EQ(show(*s), "(F0^ F1: -1)");
    EXPECT_EQ(s->cmpnts().modes(), Modes::spin_minor_pairs(1));
}

namespace {

template <class C>
C coeffs(std::mt19937_64& rng, uint64_t n) {
    std::uniform_int_distribution<int> d(-3, 3);
    C c;
    for (uint64_t i = 0; i < n; ++i) {
        if constexpr (std::same_as<C, RealVec>) c.push(d(rng) == 0 ? 5 : d(rng));
        else c.push(Complex(d(rng), 1 + d(rng)));
    }
    return c;
}

template <class C>
void check_random_against_dense(uint64_t seed) {
    using T = typename C::Scalar;
    std::mt19937_64 rng(seed);
    for (uint64_t n = 1; n <= 5; ++n)
        for (int trial = 0; trial < 12; ++trial) {
            const uint64_t max_len = 7;
            general::CmpntList l(max_len, Modes::count(n));
            std::uniform_int_distribution<uint64_t> len(0, max_len), mode(0, n - 1);
            std::bernoulli_distribution cre(0.5);
            for (int k = 0; k < 6; ++k) {
                std::vector<LadderOp> p(len(rng));
                for (auto& o : p) o = {mode(rng), cre(rng)};
                l.push_ops(p);
            }
            const C c = coeffs<C>(rng, l.size() - (trial % 3 == 0));
            const auto r = to_normal_order(TermsView<general::CmpntList, C>{l, c});
            EXPECT_EQ(r.cmpnts().modes(), Modes::count(n));
            const auto expect = fermion_dense::of_lincomb<T>(n, l, c, &fermion_dense::of_general_cmpnt<T>);
            ASSERT_EQ(fermion_dense::of_normal<T>(n, r.cmpnts(), r.coeffs()).max_abs_diff(expect), 0.0)
                << l.to_string();
            for (uint64_t i = 0; i < r.size(); ++i) {
                EXPECT_FALSE(is_exact_zero(r.coeffs().get(i)));
                EXPECT_EQ(r.view().lookup(r.cmpnts().elem_u64it(i)), std::optional<uint64_t>(i));
            }
        }
}

}  // namespace

TEST(FermionNormalOrder, RandomRawProductsAgreeWithDenseReal) { check_random_against_dense<RealVec>(4); }
TEST(FermionNormalOrder, RandomRawProductsAgreeWithDenseComplex) { check_random_against_dense<ComplexVec>(8); }

TEST(FermionNormalOrder, TermsAccumulateInOrder) {
    // F0 F0^ = 1 - c0 a0, then 2 F0^ F0 = 2 c0 a0: the sum keeps 1 and c0 a0 with 1.
    general::CmpntList l(2, Modes::count(1));
    l.push_ops(std::vector<LadderOp>{{0, false}, {0, true}});
    l.push_ops(std::vector<LadderOp>{{0, true}, {0, false}});
    RealVec c;
    c.push(1);
    c.push(2);
    EXPECT_EQ(show(to_normal_order(TermsView<general::CmpntList, RealVec>{l, c})), "(: 1), (F0^ F0: 1)");
    // With coefficient 1 the c0 a0 terms cancel and only the identity is left.
    c.set(1, 1);
    EXPECT_EQ(show(to_normal_order(TermsView<general::CmpntList, RealVec>{l, c})), "(: 1)");
    // Fewer coefficients than components: only the first term.
    RealVec one;
    one.push(3);
    EXPECT_EQ(show(to_normal_order(TermsView<general::CmpntList, RealVec>{l, one})), "(: 3), (F0^ F0: -3)");
    // A vanishing product adds nothing.
    general::CmpntList z(2, Modes::count(2));
    z.push_ops(std::vector<LadderOp>{{1, true}, {1, true}});
    EXPECT_EQ(to_normal_order(TermsView<general::CmpntList, RealVec>{z, one}).size(), 0u);
}

TEST(FermionToGeneral, CanonicalSequences) {
    normal::CmpntList l(Modes::count(4));
    l.push_identity();
    l.push_identity();
    l.cre_row_mut(0)[0] = 0b0101;  // c0 c2
    l.ann_row_mut(0)[0] = 0b1010;  // a1 a3
    ComplexVec c;
    c.push({2, -1});
    c.push({0, 1});
    c.push({9, 9});  // surplus coefficient: ignored
    auto g = to_general(TermsView<normal::CmpntList, ComplexVec>{l, c});
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g.cmpnts().max_len(), 8u);
    EXPECT_EQ(g.cmpnts().get_ops(0), (std::vector<LadderOp>{{0, true}, {2, true}, {1, false}, {3, false}}));
    EXPECT_EQ(g.cmpnts().get_ops(1), std::vector<LadderOp>{});
    EXPECT_EQ(g.coeffs().get(0), Complex(2, -1));
    EXPECT_EQ(g.coeffs().get(1), Complex(0, 1));
    EXPECT_EQ(g.map().size(), 2u);
}

TEST(FermionToGeneral, RepeatsStaySeparate) {
    normal::CmpntList l(Modes::count(2));
    l.push_identity();
    l.push_identity();
    l.cre_row_mut(0)[0] = l.cre_row_mut(1)[0] = 1;
    RealVec c;
    c.push(1);
    c.push(-1);
    auto g = to_general(TermsView<normal::CmpntList, RealVec>{l, c});
    ASSERT_EQ(g.size(), 2u);
    EXPECT_EQ(g.map().size(), 2u);
    EXPECT_EQ(g.coeffs().get(0), 1.0);
    EXPECT_EQ(g.coeffs().get(1), -1.0);
    // Fewer components than coefficients, or the other way round.
    RealVec one;
    one.push(4);
    EXPECT_EQ(to_general(TermsView<normal::CmpntList, RealVec>{l, one}).size(), 1u);
}

TEST(FermionToGeneral, RoundTrip) {
    std::mt19937_64 rng(12);
    for (uint64_t n : {1u, 3u, 6u, 70u}) {
        normal::CmpntList l(Modes::count(n));
        for (int k = 0; k < 25; ++k) fermion_dense::push_random(l, rng, 0.3);
        // Keep components distinct: normal ordering merges repeats.
        auto set = normal::lincomb::new_term_set<RealVec>(Modes::count(n));
        for (uint64_t i = 0; i < l.size(); ++i)
            set.insert_u64it_or_get_index(l.elem_u64it(i), 0.5 + static_cast<double>(i));
        const auto g = to_general(set.as_terms());
        const auto back = to_normal_order(g.as_terms());
        ASSERT_EQ(back.size(), set.size());
        for (uint64_t i = 0; i < set.size(); ++i) {
            EXPECT_TRUE(words_equal(back.cmpnts().elem_u64it(i), set.cmpnts().elem_u64it(i)));
            EXPECT_EQ(back.coeffs().get(i), set.coeffs().get(i));
        }
    }
}

namespace {

// Normal ordering written out with whole term sets: accumulator times a
// one-operator term set through assign_from_mul, one operator at a time.
template <class C>
normal::lincomb::TermSet<C> literal_normal_order(const general::CmpntList& l, const C& c) {
    namespace lc = normal::lincomb;
    auto out = lc::new_term_set<C>(l.modes());
    for (uint64_t i = 0; i < std::min<uint64_t>(l.size(), c.size()); ++i) {
        normal::CmpntList id(l.modes());
        id.push_identity();
        C one;
        one.push(typename C::Scalar(1.0));
        auto acc = lc::TermSet<C>::from_terms({id, one});
        for (uint64_t t = 0; t < l.len_of(i); ++t) {
            const LadderOp o = l.op(i, t);
            const std::vector<uint64_t> m{o.mode}, none;
            const normal::CmpntList op = o.is_creation ? normal::Elem::from_sets_unchecked(l.modes(), m, none)
                                                       : normal::Elem::from_sets_unchecked(l.modes(), none, m);
            auto next = lc::new_term_set<C>(l.modes());
            EXPECT_TRUE(lc::assign_from_mul(next, acc.as_terms(), lc::TermsView<C>{op, one}));
            acc = std::move(next);
        }
        scaled_iadd(out, acc.as_terms(), c.get(i));
    }
    return out;
}

template <class C>
void expect_identical(const normal::lincomb::TermSet<C>& got, const normal::lincomb::TermSet<C>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (uint64_t i = 0; i < got.size(); ++i) {
        ASSERT_TRUE(words_equal(got.cmpnts().elem_u64it(i), want.cmpnts().elem_u64it(i))) << i;
        ASSERT_EQ(got.coeffs().get(i), want.coeffs().get(i)) << i;
    }
}

}  // namespace

TEST(FermionNormalOrder, SameOrderAsTheLiteralAlgorithm) {
    std::mt19937_64 rng(77);
    for (uint64_t n : {2u, 4u, 6u}) {
        const uint64_t max_len = 24;
        general::CmpntList l(max_len, Modes::count(n));
        std::uniform_int_distribution<uint64_t> len(0, 16), mode(0, n - 1);
        std::bernoulli_distribution cre(0.5);
        for (int k = 0; k < 60; ++k) {
            std::vector<LadderOp> p(len(rng));
            for (auto& o : p) o = {mode(rng), cre(rng)};
            l.push_ops(p);
        }
        // Long products with many contractions: a_m c_m for every mode, twice over.
        std::vector<LadderOp> p;
        for (int rep = 0; rep < 2; ++rep)
            for (uint64_t m = 0; m < n; ++m) {
                p.push_back({m, false});
                p.push_back({m, true});
            }
        l.push_ops(p);
        const RealVec c = coeffs<RealVec>(rng, l.size());
        const auto got = to_normal_order(TermsView<general::CmpntList, RealVec>{l, c});
        expect_identical(got, literal_normal_order(l, c));
        const ComplexVec z = coeffs<ComplexVec>(rng, l.size());
        expect_identical(to_normal_order(TermsView<general::CmpntList, ComplexVec>{l, z}), literal_normal_order(l, z));
        const auto expect = fermion_dense::of_lincomb<double>(n, l, c, &fermion_dense::of_general_cmpnt<double>);
        EXPECT_EQ(fermion_dense::of_normal<double>(n, got.cmpnts(), got.coeffs()).max_abs_diff(expect), 0.0);
    }
}

TEST(FermionNormalOrder, ManyTermsPerProduct) {
    // a0 c0 a1 c1 ... a5 c5 = prod (1 - c_m a_m): for each set S of modes the
    // term (-1)^|S| c_m1 a_m1 c_m2 a_m2 ..., which in canonical order gains
    // (-1)^(|S|(|S|-1)/2).
    general::CmpntList l(12, Modes::count(6));
    std::vector<LadderOp> p;
    for (uint64_t m = 0; m < 6; ++m) {
        p.push_back({m, false});
        p.push_back({m, true});
    }
    l.push_ops(p);
    RealVec c;
    c.push(1);
    const auto r = to_normal_order(TermsView<general::CmpntList, RealVec>{l, c});
    ASSERT_EQ(r.size(), 64u);
    for (uint64_t i = 0; i < r.size(); ++i) {
        const uint64_t s = r.cmpnts().cre_row(i)[0];
        EXPECT_EQ(r.cmpnts().ann_row(i)[0], s);
        const int k = std::popcount(s);
        EXPECT_EQ(r.coeffs().get(i), (k + k * (k - 1) / 2) % 2 ? -1.0 : 1.0);
    }
}

TEST(FermionNormalOrder, VastSpacesWithNothingInThem) {
    // Rows on these spaces could never be allocated; empty operands need none.
    const Modes vast = Modes::count(~uint64_t{0});
    namespace lc = normal::lincomb;
    const normal::CmpntList empty(vast);
    const RealVec none;
    auto out = lc::new_term_set<RealVec>(vast);
    EXPECT_TRUE(lc::assign_from_mul(out, lc::TermsView<RealVec>{empty, none}, lc::TermsView<RealVec>{empty, none}));
    EXPECT_TRUE(lc::commutator(lc::TermsView<RealVec>{empty, none}, lc::TermsView<RealVec>{empty, none}));
    EXPECT_TRUE(lc::conserves_particle_number(lc::TermsView<RealVec>{empty, none}, 0.0));
    EXPECT_TRUE(*lc::is_hermitian(lc::TermsView<RealVec>{empty, none}, 0.0));
    EXPECT_TRUE(lc::active_modes(lc::TermsView<RealVec>{empty, none})->empty());
    EXPECT_EQ(to_general(TermsView<normal::CmpntList, RealVec>{empty, none}).size(), 0u);
    const general::CmpntList raw(4, vast);
    EXPECT_EQ(to_normal_order(TermsView<general::CmpntList, RealVec>{raw, none}).size(), 0u);
}
