// General (raw) ladder-operator lists: packing, element words and the map
// entries of the concatenation product. Checks and values are tested from Python.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "core/container/map.hpp"
#include "core/container/word_iters.hpp"
#include "core/fermion/general.hpp"
#include "core/fermion/general_lincomb.hpp"

using namespace vemo::fermion;
using general::CmpntList;
using Inds = std::vector<uint64_t>;
using Flags = std::vector<bool>;

namespace {
std::vector<uint64_t> words_of(const CmpntList& l, uint64_t i) {
    std::vector<uint64_t> w;
    l.elem_u64it(i).for_each([&](uint64_t x) { w.push_back(x); });
    return w;
}
}  // namespace

TEST(GeneralList, OperatorsAcrossWords) {
    // 70 operators on 5 modes: indices span four words, flags two.
    CmpntList w(70, Modes::count(5));
    Inds in(70);
    Flags fl(70);
    for (uint64_t j = 0; j < 70; ++j) in[j] = (j * 7) % 5, fl[j] = j % 3 == 0;
    w.push(in, fl);
    EXPECT_EQ(w.get(0), std::make_pair(in, fl));
    EXPECT_EQ(words_of(w, 0).size(), 4u + 2u + 1u);
}

TEST(GeneralList, LengthWordSeparatesComponents) {
    // F0, F0 F0 and the empty product have all-zero index and flag rows.
    CmpntList l(2, Modes::count(3));
    l.push(Inds{0}, Flags{false});
    l.push(Inds{0, 0}, Flags{false, false});
    l.push(Inds{}, Flags{});
    EXPECT_EQ(words_of(l, 1), (std::vector<uint64_t>{0, 0, 2}));
    vemo::Map map;
    for (uint64_t i = 0; i < 3; ++i) {
        EXPECT_NE(vemo::ElemRef<CmpntList>(&l, i), vemo::ElemRef<CmpntList>(&l, (i + 1) % 3));
        map.insert(vemo::hash_at_index(l, i), i);
    }
    EXPECT_EQ(map.single_keys(), 3u);
    EXPECT_EQ(l.to_string(), "F0, F0 F0, ");

    // max_len 0: only empty products, whose only word is the length 0.
    CmpntList z(0, Modes::count(4));
    z.push(Inds{}, Flags{});
    EXPECT_EQ(words_of(z, 0), (std::vector<uint64_t>{0}));
    EXPECT_THROW(z.push(Inds{1}, Flags{true}), vemo::InternalError);
}

TEST(GeneralList, EditingCarriesTheLength) {
    CmpntList l(3, Modes::count(8));
    l.push(Inds{7, 1}, Flags{true, false});
    l.push(Inds{2}, Flags{true});
    l.push(Inds{5, 5, 5}, Flags{false, true, false});
    l.resize(4);
    l.pop_and_swap(0);
    EXPECT_EQ(l.to_string(), ", F2^, F5 F5^ F5");
    vemo::swap_elems(l, 0, 2);
    vemo::clear_elem(l, 1);
    EXPECT_EQ(l.to_string(), "F5 F5^ F5, , ");
    // Copies and equality between lists of different max_len.
    CmpntList d(9, Modes::count(8)), e(3, Modes::count(8));
    d.push_elem(l, 0);
    e.push_ops(std::vector<LadderOp>{{5, false}, {5, true}, {5, false}});
    EXPECT_EQ(d, e);
    EXPECT_FALSE(d.compatible_with(CmpntList(1, Modes::spin_major_pairs(4))));
}

TEST(GeneralLincomb, RmulExample) {
    CmpntList lhs(2, Modes::count(3)), rhs(2, Modes::count(3));
    lhs.push(Inds{0}, Flags{false});
    lhs.push(Inds{0, 1}, Flags{false, false});
    rhs.push(Inds{1, 2}, Flags{false, false});
    rhs.push(Inds{2}, Flags{false});
    vemo::RealVec lc, rc;
    for (double x : {1.0, 2.0}) lc.push(x);
    for (double x : {3.0, 4.0}) rc.push(x);
    auto r = general::rmul(lhs, lc, rhs, rc);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->cmpnts.to_string(), "F0 F1 F2, F0 F2, F0 F1 F1 F2, F0 F1 F2");
    EXPECT_EQ(r->cmpnts.max_len(), 4u);
    for (uint64_t i = 0; i < 4; ++i) EXPECT_EQ(r->coeffs.get(i), (std::array{3.0, 4.0, 6.0, 8.0})[i]);
    // The two equal products stay apart, both registered under one hash.
    EXPECT_EQ(r->map.size(), 4u);
    const auto found = r->map.lookup(vemo::hash_at_index(r->cmpnts, 0));
    ASSERT_TRUE(found.is_multiple());
    EXPECT_EQ(std::vector<uint64_t>(found.multiple.begin(), found.multiple.end()), (std::vector<uint64_t>{0, 3}));
}
