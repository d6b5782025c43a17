// Occupation-number states: operator application and matrix elements against
// dense ladder matrices (few modes) and a mode-by-mode ladder model (rows of
// several words), dense vectors in both orders, text construction.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "core/fermion/state_action.hpp"
#include "core/fermion/state_dense.hpp"
#include "core/utils/vdot.hpp"
#include "fermion_dense.hpp"

using namespace vemo;
using namespace vemo::fermion;
using fermion_dense::reals;
using state::Action;
namespace dl = state::lincomb;

namespace {

state::CmpntList random_states(Modes modes, std::mt19937_64& rng, uint64_t m) {
    state::CmpntList l(modes);
    std::bernoulli_distribution b(0.5);
    l.resize(m);
    for (uint64_t i = 0; i < m; ++i)
        for (uint64_t q = 0; q < modes.len(); ++q)
            if (b(rng)) l.row_mut(i)[q / 64] |= uint64_t{1} << (q % 64);
    return l;
}

// The ladder operators of component t applied one at a time to the state,
// the rightmost first, each counting the occupied modes below its own.
Action ladder_model(const normal::CmpntList& ops, uint64_t t, std::vector<uint64_t>& occ) {
    const uint64_t n = ops.n_modes();
    const auto has = [](std::span<const uint64_t> r, uint64_t q) { return (r[q / 64] >> (q % 64)) & 1; };
    bool minus = false;
    for (int side = 1; side >= 0; --side)
        for (uint64_t q = n; q-- > 0;) {
            if (!has(side ? ops.ann_row(t) : ops.cre_row(t), q)) continue;
            if (has(occ, q) != static_cast<uint64_t>(side)) return Action::Zero;
            for (uint64_t p = 0; p < q; ++p) minus ^= has(occ, p) != 0;
            occ[q / 64] ^= uint64_t{1} << (q % 64);
        }
    return minus ? Action::Minus : Action::Plus;
}

template <class C>
std::vector<typename C::Scalar> dense_of(const state::CmpntList& l, const C& c) {
    std::vector<typename C::Scalar> v(uint64_t{1} << l.n_modes());
    for (uint64_t i = 0; i < std::min<uint64_t>(l.size(), c.size()); ++i) v[l.words_per_row() ? l.row(i)[0] : 0] += c.get(i);
    return v;
}

BinarySprings springs(std::string_view text) {
    auto parts = all_parts_from_str<BinarySprings>(text);
    if (!parts || parts->size() != 1) internal_failure("test springs");
    return std::move(parts->at(0));
}

template <class T>
double max_diff(const std::vector<T>& a, const std::vector<T>& b) {
    double m = a.size() == b.size() ? 0 : 1e300;
    for (size_t k = 0; k < std::min(a.size(), b.size()); ++k) m = std::max(m, std::abs(a[k] - b[k]));
    return m;
}

}  // namespace

TEST(FermionState, ActionMatchesTheLadderModel) {
    std::mt19937_64 rng(7);
    for (uint64_t n : {0, 1, 5, 64, 70, 130}) {
        normal::CmpntList ops(Modes::count(n));
        for (int t = 0; t < 40; ++t) fermion_dense::push_random(ops, rng, 0.04 + 2.0 / (n + 4));
        const state::CmpntList src = random_states(Modes::count(n), rng, 30);
        state::CmpntList dst = state::CmpntList::elem(Modes::count(n));
        for (uint64_t t = 0; t < ops.size(); ++t)
            for (uint64_t s = 0; s < src.size(); ++s) {
                std::vector<uint64_t> occ(src.row(s).begin(), src.row(s).end());
                const Action want = ladder_model(ops, t, occ);
                std::ranges::fill(dst.row_mut(0), ~uint64_t{0} >> 1);
                ASSERT_EQ(state::assign_mul_by_op(dst, 0, ops, t, src, s), want) << n << ' ' << t << ' ' << s;
                if (want != Action::Zero) ASSERT_TRUE(std::ranges::equal(dst.row(0), occ));
                else ASSERT_TRUE(std::ranges::all_of(dst.row(0), [](uint64_t w) { return w == ~uint64_t{0} >> 1; }));
            }
    }
}

TEST(FermionState, ApplyAndMatElemMatchDenseMatrices) {
    std::mt19937_64 rng(11);
    for (uint64_t n : {1, 3, 5}) {
        const Modes modes = Modes::count(n);
        normal::CmpntList ops(modes);
        for (int t = 0; t < 12; ++t) fermion_dense::push_random(ops, rng);
        const auto oc = fermion_dense::small_coeffs<ComplexVec>(rng, ops.size());
        const auto h = fermion_dense::of_normal<Complex>(n, ops, oc);
        const state::CmpntList ket = random_states(modes, rng, 6), bra = random_states(modes, rng, 5);
        const auto kc = fermion_dense::small_coeffs<ComplexVec>(rng, 5);  // one short: the last ket row is left out
        const auto bc = fermion_dense::small_coeffs<ComplexVec>(rng, 5);
        const auto kv = dense_of(ket, kc), bv = dense_of(bra, bc);
        std::vector<Complex> hk(kv.size());
        for (uint64_t i = 0; i < h.dim; ++i)
            for (uint64_t j = 0; j < h.dim; ++j) hk[i] += h.at(i, j) * kv[j];

        auto out = TermSet<state::CmpntList, ComplexVec>::empty_from(state::CmpntList(modes));
        ASSERT_TRUE(state::apply<ComplexVec>({ops, oc}, {ket, kc}, out.mut_view()));
        EXPECT_EQ(max_diff(dense_of(out.cmpnts(), out.coeffs()), hk), 0.0) << n;
        ASSERT_TRUE(state::apply<ComplexVec>({ops, oc}, {ket, kc}, out.mut_view()));  // adds, doubling
        for (auto& x : hk) x *= 2.0;
        EXPECT_EQ(max_diff(dense_of(out.cmpnts(), out.coeffs()), hk), 0.0) << n;

        Complex want = 0;
        for (uint64_t i = 0; i < h.dim; ++i) want += std::conj(bv[i]) * hk[i] / 2.0;
        const auto got = state::mat_elem<ComplexVec>({ops, oc}, {bra, bc}, {ket, kc});
        ASSERT_TRUE(got);
        EXPECT_EQ(*got, want) << n;
    }
}

TEST(FermionState, SpacesMustAgreeAndCancellationsRemoveStates) {
    const auto ops = fermion_dense::parse_list(2, "F0, F0");
    const RealVec oc = reals({1, -1}), one = reals({1});
    state::CmpntList ket(Modes::count(2));
    ket.resize(1);
    ket.row_mut(0)[0] = 1;
    auto out = TermSet<state::CmpntList, RealVec>::empty_from(state::CmpntList(Modes::count(2)));
    ASSERT_TRUE(state::apply<RealVec>({ops, oc}, {ket, one}, out.mut_view()));
    EXPECT_EQ(out.size(), 0u);
    EXPECT_EQ(out.map().size(), 0u);
    auto other = TermSet<state::CmpntList, RealVec>::empty_from(state::CmpntList(Modes::spin_major_pairs(1)));
    EXPECT_FALSE(state::apply<RealVec>({ops, oc}, {ket, one}, other.mut_view()));
    const state::CmpntList pairs(Modes::spin_minor_pairs(1));
    EXPECT_FALSE(state::mat_elem<RealVec>({ops, oc}, {ket, one}, {pairs, RealVec()}));
    EXPECT_FALSE(state::mat_elem<RealVec>({ops, oc}, {pairs, RealVec()}, {ket, one}));
}

TEST(FermionStateDense, RoundTripsInBothOrders) {
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> u(-1, 1);
    for (uint64_t n : {0, 1, 4, 7})
        for (bool big : {false, true}) {
            std::vector<double> src((uint64_t{1} << n) + 3);
            for (auto& x : src) x = u(rng) < 0 ? 0.0 : u(rng);
            auto t = TermSet<state::CmpntList, RealVec>::empty_from(state::CmpntList(Modes::count(n)));
            dl::assign_from_dense(t.mut_view(), std::span<const double>(src), big);
            const auto back = dl::to_dense<RealVec>({t.cmpnts(), t.coeffs()}, big);
            ASSERT_TRUE(back);
            src.resize(uint64_t{1} << n);
            EXPECT_EQ(*back, src) << n << big;
            EXPECT_EQ(t.map().size(), t.size());
        }
}

TEST(FermionStateDense, ConventionsAndBounds) {
    state::CmpntList l(Modes::count(2));
    l.resize(3);
    l.row_mut(0)[0] = 1;
    l.row_mut(1)[0] = 2;
    EXPECT_EQ(*dl::to_dense<RealVec>({l, reals({0.5, 2})}, false), (std::vector<double>{0, 0.5, 2, 0}));
    EXPECT_EQ(*dl::to_dense<RealVec>({l, reals({0.5, 2})}, true), (std::vector<double>{0, 2, 0.5, 0}));
    const state::CmpntList big(Modes::count(64));
    EXPECT_EQ(dl::to_dense<RealVec>({big, RealVec()}, false).error(),
              (OutOfBounds{64, 64, OutOfBoundsKind::Mode}));
    // Beyond 64 modes each index still names a state; big-endian bit b is mode n - 1 - b.
    auto t = TermSet<state::CmpntList, RealVec>::empty_from(state::CmpntList(Modes::count(130)));
    const std::vector<double> src{0, 0, 0, 1.5};
    dl::assign_from_dense(t.mut_view(), std::span<const double>(src), true);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t.cmpnts().row(0)[2], uint64_t{3} << 0);  // modes 129 and 128
    EXPECT_EQ(t.cmpnts().row(0)[0] | t.cmpnts().row(0)[1], 0u);
}

TEST(FermionStateText, SpringsAndTheirChecks) {
    const BinarySprings sp = springs("[0, 1], [1, 0, 0]");
    const auto l = state::CmpntList::from_springs_default(sp);
    EXPECT_EQ(l.modes(), Modes::count(3));
    EXPECT_EQ(l.to_string(), "[0, 1, 0], [1, 0, 0]");
    EXPECT_EQ(state::CmpntList::from_springs(Modes::count(1), sp).error(), (OutOfBounds{1, 1, OutOfBoundsKind::Bit}));
    state::CmpntList m(Modes::count(2));
    m.resize(1);
    const BinarySprings wide = springs("[1, 0, 1]");
    EXPECT_EQ(m.set_spring(0, wide, 0).error(), (OutOfBounds{2, 2, OutOfBoundsKind::Bit}));
    EXPECT_EQ(m.row(0)[0], 0u);  // nothing written
    EXPECT_EQ(m.set_spring(0, wide, 1).error(), (OutOfBounds{1, 1, OutOfBoundsKind::String}));
    ASSERT_TRUE(m.set_spring(0, sp, 0));
    EXPECT_EQ(m.to_string(), "[0, 1]");
}

TEST(FermionStateVdot, ShortCoefficientVectorsReadOnlyTheirTerms) {
    state::CmpntList l(Modes::count(3));
    l.resize(3);
    for (uint64_t i = 0; i < 3; ++i) l.row_mut(i)[0] = i + 1;
    Map map;
    refresh_map(l, map);
    EXPECT_EQ(vdot(l, map, reals({1, 2}), l, reals({3, 4, 5})), 1 * 3 + 2 * 4.0);
    EXPECT_EQ(vdot(l, map, reals({1, 2, 3}), l, reals({3})), 3.0);
}
