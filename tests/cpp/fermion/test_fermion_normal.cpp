// Normal-ordered component lists: encoding, text form, counts and adjoints,
// the adjoints checked against dense matrices of ladder operators.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/container/word_iters.hpp"
#include "core/fermion/normal.hpp"
#include "fermion_dense.hpp"

using namespace vemo::fermion;
using normal::CmpntList;
using normal::Elem;
using Set = std::vector<uint64_t>;

TEST(NormalList, EncodingAndElementWords) {
    CmpntList l(Modes::count(70));
    EXPECT_EQ(l.words_per_row(), 2u);
    l.push_identity();
    ASSERT_TRUE(l.assign_sets(0, Set{0, 65}, Set{69, 1}).has_value());
    std::vector<uint64_t> words;
    l.elem_u64it(0).for_each([&](uint64_t x) { words.push_back(x); });
    EXPECT_EQ(words, (std::vector<uint64_t>{1, 2, 2, uint64_t{1} << 5}));
    vemo::push_u64it(l, l.elem_u64it(0));
    EXPECT_EQ(vemo::ElemRef<CmpntList>(&l, 0), vemo::ElemRef<CmpntList>(&l, 1));
    EXPECT_EQ(vemo::hash_at_index(l, 0), vemo::hash_at_index(l, 1));
}

TEST(NormalList, TextForm) {
    CmpntList l(Modes::spin_major_pairs(2));
    l.resize(5);
    l.assign_sets_unchecked(0, Set{0, 2}, Set{1, 3});
    l.assign_sets_unchecked(1, Set{3}, Set{3});
    l.assign_sets_unchecked(2, Set{}, Set{2, 0});
    l.assign_sets_unchecked(3, Set{1}, Set{});
    EXPECT_EQ(l.to_string(), "F0^ F2^ F1 F3, F3^ F3, F0 F2, F1^, ");
    l.pop_and_swap(1);  // both planes move together
    EXPECT_EQ(l.to_string(), "F0^ F2^ F1 F3, , F0 F2, F1^");
    EXPECT_TRUE(l.compatible_with(CmpntList(Modes::spin_major_pairs(2))));
    EXPECT_FALSE(l.compatible_with(CmpntList(Modes::count(4))));

    // 0 modes: rows of no words; the identity is the only component.
    auto e = Elem::from_sets(Modes::count(0), Set{}, Set{});
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->fmt_elem(0), "");
    EXPECT_EQ(e->elem_u64it(0).size(), 0u);
}

TEST(NormalList, FromSetsBounds) {
    auto a = Elem::from_sets(Modes::count(5), Set{5}, Set{});
    ASSERT_FALSE(a.has_value());
    EXPECT_EQ(a.error().message(), "Bit index 5 is out-of-bounds for bit matrix with 5 bits per row.");
    // The largest mode of the offending set, the creation set tested first.
    EXPECT_EQ(Elem::from_sets(Modes::count(5), Set{0, 7}, Set{9}).error().index, 7u);
    EXPECT_EQ(Elem::from_sets(Modes::count(5), Set{4}, Set{6, 8, 1}).error().index, 8u);
    // A failed assignment leaves the row as it was.
    CmpntList l(Modes::count(5));
    l.push_identity();
    l.assign_sets_unchecked(0, Set{1}, Set{2});
    EXPECT_FALSE(l.assign_sets(0, Set{0}, Set{5}).has_value());
    EXPECT_EQ(l.fmt_elem(0), "F1^ F2");
}

TEST(NormalList, Counts) {
    auto e = Elem::from_sets_unchecked(Modes::count(4), Set{0}, Set{1, 2});
    EXPECT_EQ(normal::count_n_body({&e, 0}), 1u);
    EXPECT_EQ(normal::particle_number_change({&e, 0}), -1);
    auto f = Elem::from_sets_unchecked(Modes::count(200), Set{0, 64, 130, 199}, Set{});
    EXPECT_EQ(f.count_n_body(0), 2u);
    EXPECT_EQ(f.particle_number_change(0), 4);
}

// Every pair of creation and annihilation sets on 4 modes against the dense adjoint.
TEST(NormalList, DaggerAgreesWithDenseAdjoint) {
    const uint64_t n = 4;
    CmpntList l(Modes::count(n));
    for (uint64_t c = 0; c < 16; ++c)
        for (uint64_t a = 0; a < 16; ++a) {
            l.push_identity();
            l.cre_row_mut(l.size() - 1)[0] = c;
            l.ann_row_mut(l.size() - 1)[0] = a;
        }
    const CmpntList before = l;
    vemo::SignVec s = vemo::SignVec::new_with_len(300);  // a longer vector is cut to the list's length
    l.dagger(s);
    ASSERT_EQ(s.size(), l.size());
    EXPECT_TRUE(l.cre().is_creation());
    for (uint64_t i = 0; i < l.size(); ++i)
        EXPECT_EQ(fermion_dense::of_cmpnt(n, l, i).scaled(s.get(i).is_minus_one ? -1.0 : 1.0),
                  fermion_dense::of_cmpnt(n, before, i).dagger())
            << before.fmt_elem(i);
    l.dagger_get_signs();
    EXPECT_EQ(l, before);
    EXPECT_EQ(CmpntList(Modes::count(3)).dagger_get_signs().size(), 0u);
}

TEST(NormalList, TripleHammingWeightBruteForce) {
    std::mt19937_64 rng(3);
    for (int t = 0; t < 50; ++t) {
        std::vector<uint64_t> a(3), b(3), c(2);  // only the shortest row's words count
        for (auto* v : {&a, &b, &c})
            for (auto& x : *v) x = rng() & rng();
        for (bool nb : {false, true})
            for (bool nc : {false, true}) {
                uint64_t expect = 0;
                for (uint64_t m = 0; m < 128; ++m) {
                    auto bit = [&](const std::vector<uint64_t>& v) { return ((v[m / 64] >> (m % 64)) & 1) != 0; };
                    expect += bit(a) && (bit(b) != nb) && (bit(c) != nc);
                }
                EXPECT_EQ(normal::cre_or_ann::triple_hamming_weight(a, b, c, nb, nc), expect);
            }
    }
}
