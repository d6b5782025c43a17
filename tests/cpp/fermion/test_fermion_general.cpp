// General (raw) ladder-operator lists: packing, product checks, element words.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/container/map.hpp"
#include "core/container/word_iters.hpp"
#include "core/fermion/general.hpp"
#include "core/fermion/general_lincomb.hpp"

using namespace vemo::fermion;
using general::CmpntList;
using general::ProductError;
using Inds = std::vector<uint64_t>;
using Flags = std::vector<bool>;

namespace {
std::vector<uint64_t> words_of(const CmpntList& l, uint64_t i) {
    std::vector<uint64_t> w;
    l.elem_u64it(i).for_each([&](uint64_t x) { w.push_back(x); });
    return w;
}
std::string check_msg(const Modes& m, const Inds& inds, uint64_t n_flags, uint64_t max_len) {
    auto r = general::check_general_ops(m, inds, n_flags, max_len);
    return r ? "" : r.error().message();
}
}  // namespace

TEST(GeneralList, WorkedExampleLayout) {
    CmpntList l(3, Modes::count(4));
    EXPECT_EQ(l.mode_inds().n_bits(), 2u);
    EXPECT_EQ(l.mode_inds().slots_per_word(), 32u);
    l.push(Inds{3, 0, 2}, Flags{true, false, false});
    EXPECT_EQ(words_of(l, 0), (std::vector<uint64_t>{35, 1, 3}));
    EXPECT_EQ(l.fmt_elem(0), "F3^ F0 F2");
    auto [inds, flags] = l.get(0);
    EXPECT_EQ(inds, (Inds{3, 0, 2}));
    EXPECT_EQ(flags, (Flags{true, false, false}));
}

TEST(GeneralList, SlotGeometry) {
    struct Case {
        uint64_t modes, bits, per_word;
    };
    for (auto c : {Case{0, 1, 64}, Case{1, 1, 64}, Case{2, 1, 64}, Case{4, 2, 32}, Case{5, 3, 21}, Case{65, 7, 9},
                   Case{65536, 16, 4}}) {
        CmpntList l(100, Modes::count(c.modes));
        EXPECT_EQ(l.mode_inds().n_bits(), c.bits);
        EXPECT_EQ(l.mode_inds().words_per_row(), (100 + c.per_word - 1) / c.per_word);
        EXPECT_EQ(l.adj().words_per_row(), 2u);
    }
}

TEST(GeneralList, RoundTripAcrossWordBoundaries) {
    std::mt19937_64 rng(11);
    for (uint64_t modes : {1u, 2u, 5u, 65u, 300u}) {
        const uint64_t max_len = 70;  // more flags than one word
        CmpntList l(max_len, Modes::count(modes));
        std::vector<std::pair<Inds, Flags>> ref;
        for (int r = 0; r < 30; ++r) {
            Inds in(rng() % (max_len + 1));
            Flags fl(in.size());
            for (size_t j = 0; j < in.size(); ++j) {
                in[j] = rng() % modes;
                fl[j] = rng() & 1;
            }
            ASSERT_TRUE(general::check_general_ops(l.modes(), in, fl.size(), max_len).has_value());
            l.push(in, fl);
            ref.emplace_back(in, fl);
        }
        for (size_t r = 0; r < ref.size(); ++r) {
            EXPECT_EQ(l.get(r).first, ref[r].first);
            EXPECT_EQ(l.get(r).second, ref[r].second);
            EXPECT_EQ(words_of(l, r).back(), ref[r].first.size());
        }
    }
}

TEST(GeneralList, ProductChecksInOrder) {
    const Modes m = Modes::count(3);
    EXPECT_EQ(check_msg(m, {0, 1}, 2, 2), "");
    EXPECT_EQ(check_msg(m, {7, 9}, 3, 0), "modes and adj must have the same length");
    EXPECT_EQ(check_msg(m, {7, 9, 8}, 3, 2), "operator product is longer than max_len");
    EXPECT_EQ(check_msg(m, {0, 3, 9}, 3, 3), "mode index out of bounds");
    EXPECT_EQ(check_msg(Modes::count(0), {0}, 1, 5), "mode index out of bounds");
    EXPECT_EQ(check_msg(Modes::count(0), {}, 0, 0), "");
}

TEST(GeneralList, LengthWordSeparatesComponents) {
    CmpntList l(2, Modes::count(3));
    l.push(Inds{0}, Flags{false});
    l.push(Inds{0, 0}, Flags{false, false});
    l.push(Inds{}, Flags{});
    // Index and flag rows are all zero in the three; only the length differs.
    EXPECT_EQ(words_of(l, 0), (std::vector<uint64_t>{0, 0, 1}));
    EXPECT_EQ(words_of(l, 1), (std::vector<uint64_t>{0, 0, 2}));
    EXPECT_EQ(words_of(l, 2), (std::vector<uint64_t>{0, 0, 0}));
    vemo::Map map;
    for (uint64_t i = 0; i < 3; ++i) {
        EXPECT_NE(vemo::ElemRef<CmpntList>(&l, i), vemo::ElemRef<CmpntList>(&l, (i + 1) % 3));
        map.insert(vemo::hash_at_index(l, i), i);
    }
    EXPECT_EQ(map.single_keys(), 3u);
    EXPECT_EQ(l.to_string(), "F0, F0 F0, ");
}

TEST(GeneralList, MaxLenZero) {
    CmpntList l(0, Modes::count(4));
    EXPECT_EQ(l.mode_inds().words_per_row(), 0u);
    EXPECT_EQ(l.adj().words_per_row(), 0u);
    l.push(Inds{}, Flags{});
    EXPECT_EQ(words_of(l, 0), (std::vector<uint64_t>{0}));
    EXPECT_EQ(l.fmt_elem(0), "");
    EXPECT_THROW(l.push(Inds{1}, Flags{true}), vemo::InternalError);
}

TEST(GeneralList, ResizePopAndSwapAndGenericOps) {
    CmpntList l(3, Modes::count(8));
    l.push(Inds{7, 1}, Flags{true, false});
    l.push(Inds{2}, Flags{true});
    l.push(Inds{5, 5, 5}, Flags{false, true, false});
    l.resize(5);
    EXPECT_EQ(l.size(), 5u);
    EXPECT_EQ(l.fmt_elem(4), "");
    EXPECT_EQ(l.len_of(3), 0u);
    l.resize(3);
    l.pop_and_swap(0);
    EXPECT_EQ(l.to_string(), "F5 F5^ F5, F2^");
    l.pop_and_swap(1);
    EXPECT_EQ(l.to_string(), "F5 F5^ F5");

    // Generic element operations carry the length along.
    l.push(Inds{3}, Flags{false});
    vemo::swap_elems(l, 0, 1);
    EXPECT_EQ(l.to_string(), "F3, F5 F5^ F5");
    vemo::copy_elem(l, 1, 0);
    EXPECT_EQ(l.to_string(), "F3, F3");
    vemo::clear_elem(l, 0);
    EXPECT_EQ(l.to_string(), ", F3");
    auto [sel, rest] = vemo::bipartition(l, std::vector<uint64_t>{1});
    EXPECT_EQ(sel.to_string(), "F3");
    EXPECT_EQ(rest.size(), 1u);
    EXPECT_EQ(sel.max_len(), 3u);
    EXPECT_TRUE(sel.compatible_with(l));
    EXPECT_FALSE(sel.compatible_with(CmpntList(3, Modes::spin_major_pairs(4))));
}

TEST(GeneralList, ConcatenationAndCopiesAcrossGeometries) {
    CmpntList a(2, Modes::count(4)), b(3, Modes::count(4));
    a.push(Inds{1, 3}, Flags{true, false});
    b.push(Inds{0, 2, 2}, Flags{false, true, true});
    CmpntList c(5, Modes::count(4));
    c.push_concat_elems(a, 0, b, 0);
    c.push_concat(a.get(0).first, a.get(0).second, b.get(0).first, b.get(0).second);
    EXPECT_EQ(c.to_string(), "F1^ F3 F0 F2^ F2^, F1^ F3 F0 F2^ F2^");
    EXPECT_EQ(words_of(c, 0), words_of(c, 1));
    EXPECT_THROW(a.push_concat_elems(a, 0, b, 0), vemo::InternalError);

    // Copies and equality between lists of different max_len.
    CmpntList d(9, Modes::count(4));
    d.push_elem(a, 0);
    EXPECT_EQ(d.fmt_elem(0), "F1^ F3");
    CmpntList a2 = a;
    EXPECT_EQ(d, a2);
    d.push_ops(std::vector<LadderOp>{{2, true}});
    EXPECT_FALSE(d == a2);
    EXPECT_EQ(d.get_ops(1), (std::vector<LadderOp>{{2, true}}));
}

TEST(GeneralLincomb, RmulExample) {
    CmpntList lhs(2, Modes::count(3)), rhs(2, Modes::count(3));
    lhs.push(Inds{0}, Flags{false});
    lhs.push(Inds{0, 1}, Flags{false, false});
    rhs.push(Inds{1, 2}, Flags{false, false});
    rhs.push(Inds{2}, Flags{false});
    vemo::RealVec lc, rc;
    lc.push(1.0);
    lc.push(2.0);
    rc.push(3.0);
    rc.push(4.0);
    auto r = general::rmul(lhs, lc, rhs, rc);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->cmpnts.to_string(), "F0 F1 F2, F0 F2, F0 F1 F1 F2, F0 F1 F2");
    EXPECT_EQ(r->cmpnts.max_len(), 4u);
    ASSERT_EQ(r->coeffs.size(), 4u);
    EXPECT_EQ(r->coeffs.get(0), 3.0);
    EXPECT_EQ(r->coeffs.get(1), 4.0);
    EXPECT_EQ(r->coeffs.get(2), 6.0);
    EXPECT_EQ(r->coeffs.get(3), 8.0);
    // The two equal products stay apart, both registered under one hash.
    EXPECT_EQ(r->map.size(), 4u);
    const auto found = r->map.lookup(vemo::hash_at_index(r->cmpnts, 0));
    ASSERT_TRUE(found.is_multiple());
    EXPECT_EQ(std::vector<uint64_t>(found.multiple.begin(), found.multiple.end()), (std::vector<uint64_t>{0, 3}));
}

TEST(GeneralLincomb, RmulEdgeCases) {
    CmpntList lhs(1, Modes::count(2)), rhs(3, Modes::count(2));
    lhs.push(Inds{1}, Flags{true});
    lhs.push(Inds{0}, Flags{true});
    rhs.push(Inds{0, 1, 0}, Flags{false, true, false});
    vemo::ComplexVec lc, rc;
    lc.push({1.0, 2.0});  // only the first lhs term has a coefficient
    rc.push({3.0, -1.0});
    auto r = general::rmul(lhs, lc, rhs, rc);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->cmpnts.to_string(), "F1^ F0 F1^ F0");
    EXPECT_EQ(r->coeffs.get(0), vemo::Complex(5.0, 5.0));

    vemo::ComplexVec none;
    auto e = general::rmul(lhs, none, rhs, rc);
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->cmpnts.size(), 0u);
    EXPECT_EQ(e->cmpnts.max_len(), 4u);

    CmpntList other(1, Modes::spin_major_pairs(1));
    auto d = general::rmul(lhs, lc, other, rc);
    ASSERT_FALSE(d.has_value());
    EXPECT_EQ(d.error().message(), "Qubits-based objects are based on different qubit spaces.");
}

TEST(GeneralLincomb, TermSetKeepsDistinctProducts) {
    auto ts = general::new_term_set<vemo::RealVec>(2, Modes::count(2));
    CmpntList src(2, Modes::count(2));
    src.push(Inds{0}, Flags{false});
    src.push(Inds{0, 0}, Flags{false, false});
    src.push(Inds{}, Flags{});
    src.push(Inds{0}, Flags{false});
    for (uint64_t i = 0; i < src.size(); ++i) vemo::scaled_iadd_u64it(ts, src.elem_u64it(i), 1.5);
    EXPECT_EQ(ts.cmpnts().to_string(), "F0, F0 F0, ");
    EXPECT_EQ(ts.coeffs().get(0), 3.0);
    vemo::scaled_iadd_u64it(ts, src.elem_u64it(1), -1.5);
    EXPECT_EQ(ts.cmpnts().to_string(), "F0, ");
}
