// Occupation-number states: one component on one state against a
// mode-by-mode ladder model, on rows of one and of several words, and exact
// cancellations in operator application. (Dense checks are in the Python tests.)
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/fermion/state_action.hpp"
#include "fermion_lists.hpp"

using namespace vemo;
using namespace vemo::fermion;
using fermion_lists::reals;
using state::Action;

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

}  // namespace

TEST(FermionState, ActionMatchesTheLadderModel) {
    std::mt19937_64 rng(7);
    for (uint64_t n : {0, 1, 5, 64, 70, 130}) {
        normal::CmpntList ops(Modes::count(n));
        for (int t = 0; t < 40; ++t) fermion_lists::push_random(ops, rng, 0.04 + 2.0 / (n + 4));
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

TEST(FermionState, CancellationsRemoveStates) {
    const auto ops = fermion_lists::parse_list(2, "F0, F0");
    const RealVec oc = reals({1, -1}), one = reals({1});
    state::CmpntList ket(Modes::count(2));
    ket.resize(1);
    ket.row_mut(0)[0] = 1;
    auto out = TermSet<state::CmpntList, RealVec>::empty_from(state::CmpntList(Modes::count(2)));
    ASSERT_TRUE(state::apply<RealVec>({ops, oc}, {ket, one}, out.mut_view()));
    EXPECT_EQ(out.size(), 0u);
    EXPECT_EQ(out.map().size(), 0u);
}

// The spaces are checked first, then that the output holds one coefficient
// per state; nothing changes on either failure.
TEST(FermionState, ApplyChecksSpacesThenOutputCoeffs) {
    const auto ops = fermion_lists::parse_list(2, "F0^");
    const RealVec one = reals({1});
    state::CmpntList ket(Modes::count(2)), wide(Modes::count(3)), out(Modes::count(2));
    ket.resize(1), wide.resize(1), out.resize(1);
    Map map;
    RealVec none;
    const std::pair<state::CmpntList*, state::ApplyError> cases[] = {{&wide, DifferentSpaces{}},
                                                                      {&out, UnequalCoeffs{0, 1}}};
    for (const auto& [o, want] : cases) {
        auto r = state::apply<RealVec>({ops, one}, {ket, one}, {*o, map, none});
        ASSERT_FALSE(r);
        EXPECT_EQ(r.error(), want);
        EXPECT_TRUE(o->size() == 1 && none.size() == 0 && map.size() == 0);
    }
}
