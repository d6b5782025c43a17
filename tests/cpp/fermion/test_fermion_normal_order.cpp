// Normal ordering of raw ladder-operator products where Python does not reach:
// the literal algorithm's order, vast empty spaces. Dense agreement and the
// way back to raw form are checked from Python.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/fermion/normal_order.hpp"
#include "fermion_lists.hpp"

using namespace vemo;
using namespace vemo::fermion;
using namespace fermion_lists;
namespace lc = normal::lincomb;

namespace {

template <class L, class C>
auto ordered(const L& l, const C& c) {
    return to_normal_order(TermsView<L, C>{l, c});
}

general::CmpntList random_raw(std::mt19937_64& rng, uint64_t n, int count, uint64_t max_len, uint64_t len_cap) {
    general::CmpntList l(max_len, Modes::count(n));
    for (int k = 0; k < count; ++k) {
        std::vector<LadderOp> p(rng() % (len_cap + 1));
        for (auto& o : p) o = {rng() % n, (rng() & 1) == 1};
        l.push_ops(p);
    }
    return l;
}

}  // namespace

// The result order is that of multiplying an accumulator by one operator at a
// time with whole term sets, then adding each product's terms in turn.
TEST(FermionNormalOrder, SameOrderAsTheLiteralAlgorithm) {
    using C = ComplexVec;
    const auto literal = [](const general::CmpntList& l, const C& c) {
        auto out = lc::new_term_set<C>(l.modes());
        const C one = vec_of<C>({1.0});
        for (uint64_t i = 0; i < std::min<uint64_t>(l.size(), c.size()); ++i) {
            normal::CmpntList id(l.modes());
            id.push_identity();
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
    };
    std::mt19937_64 rng(77);
    for (uint64_t n : {2u, 4u, 6u}) {
        general::CmpntList l = random_raw(rng, n, 60, 24, 16);
        // A long product with many contractions: a_m c_m for every mode, twice over.
        std::vector<LadderOp> p;
        for (int rep = 0; rep < 2; ++rep)
            for (uint64_t m = 0; m < n; ++m) p.insert(p.end(), {{m, false}, {m, true}});
        l.push_ops(p);
        const auto c = small_coeffs<C>(rng, l.size());
        expect_identical(ordered(l, c), literal(l, c));
    }
}

// Rows on these spaces could never be allocated; empty operands need none.
TEST(FermionNormalOrder, VastSpacesWithNothingInThem) {
    const Modes vast = Modes::count(~uint64_t{0});
    const normal::CmpntList empty(vast);
    const RealVec none;
    const lc::TermsView<RealVec> e{empty, none};
    auto out = lc::new_term_set<RealVec>(vast);
    EXPECT_TRUE(lc::assign_from_mul(out, e, e));
    EXPECT_TRUE(lc::commutator(e, e));
    EXPECT_TRUE(lc::conserves_particle_number(e, 0.0));
    EXPECT_TRUE(*lc::is_hermitian(e, 0.0));
    EXPECT_TRUE(lc::active_modes(e)->empty());
    EXPECT_EQ(to_general(TermsView<normal::CmpntList, RealVec>{empty, none}).size(), 0u);
    EXPECT_EQ(ordered(general::CmpntList(4, vast), none).size(), 0u);
}
