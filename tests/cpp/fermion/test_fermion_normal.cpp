// Normal-ordered component lists: encoding, text form, counts and adjoints,
// with adjoints checked against dense matrices of ladder operators.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <set>
#include <vector>

#include "core/container/word_iters.hpp"
#include "core/fermion/normal.hpp"

using namespace vemo::fermion;
using normal::CmpntList;
using normal::Elem;
using Set = std::vector<uint64_t>;

namespace {

// Dense ladder operators on n modes in the occupation basis: basis index bit m
// is the occupation of mode m; c_m|s> = (-1)^(occupied modes below m) |s + m>.
using Dense = std::vector<std::vector<int>>;

Dense identity(uint64_t n) {
    Dense d(1u << n, std::vector<int>(1u << n, 0));
    for (size_t s = 0; s < d.size(); ++s) d[s][s] = 1;
    return d;
}
Dense ladder(uint64_t n, uint64_t m, bool creation) {
    Dense d(1u << n, std::vector<int>(1u << n, 0));
    for (uint64_t s = 0; s < (1u << n); ++s) {
        const bool occ = (s >> m) & 1;
        if (occ == creation) continue;
        const int sign = (std::popcount(s & ((1u << m) - 1)) % 2) ? -1 : 1;
        d[s ^ (1u << m)][s] = sign;
    }
    return d;
}
Dense mul(const Dense& a, const Dense& b) {
    Dense c(a.size(), std::vector<int>(a.size(), 0));
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t k = 0; k < a.size(); ++k)
            if (a[i][k])
                for (size_t j = 0; j < a.size(); ++j) c[i][j] += a[i][k] * b[k][j];
    return c;
}
Dense transpose(const Dense& a) {
    Dense t = a;
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t j = 0; j < a.size(); ++j) t[i][j] = a[j][i];
    return t;
}
Dense scale(Dense a, int s) {
    for (auto& r : a)
        for (auto& x : r) x *= s;
    return a;
}
// c_j1 ... c_jp a_i1 ... a_iq for the bit sets of masks c and a.
Dense dense_of(uint64_t n, uint64_t c, uint64_t a) {
    Dense d = identity(n);
    for (uint64_t m = 0; m < n; ++m)
        if ((c >> m) & 1) d = mul(d, ladder(n, m, true));
    for (uint64_t m = 0; m < n; ++m)
        if ((a >> m) & 1) d = mul(d, ladder(n, m, false));
    return d;
}
Set bits_of(uint64_t mask) {
    Set s;
    for (uint64_t m = 0; m < 64; ++m)
        if ((mask >> m) & 1) s.push_back(m);
    return s;
}

}  // namespace

TEST(NormalList, EncodingAndElementWords) {
    CmpntList l(Modes::count(70));
    EXPECT_EQ(l.words_per_row(), 2u);
    l.push_identity();
    ASSERT_TRUE(l.assign_sets(0, Set{0, 65}, Set{69, 1}).has_value());
    auto w = l.elem_u64it(0);
    EXPECT_EQ(w.size(), 4u);
    std::vector<uint64_t> words;
    w.for_each([&](uint64_t x) { words.push_back(x); });
    EXPECT_EQ(words, (std::vector<uint64_t>{1, 2, 2, uint64_t{1} << 5}));
    EXPECT_EQ(l.fmt_elem(0), "F0^ F65^ F1 F69");
    // The generic push copies whole elements.
    vemo::push_u64it(l, l.elem_u64it(0));
    EXPECT_EQ(vemo::ElemRef<CmpntList>(&l, 0), vemo::ElemRef<CmpntList>(&l, 1));
    EXPECT_EQ(vemo::hash_at_index(l, 0), vemo::hash_at_index(l, 1));
}

TEST(NormalList, TextForm) {
    CmpntList l(Modes::spin_major_pairs(2));
    l.resize(5);
    ASSERT_TRUE(l.assign_sets(0, Set{0, 2}, Set{1, 3}).has_value());
    ASSERT_TRUE(l.assign_sets(1, Set{3}, Set{3}).has_value());
    ASSERT_TRUE(l.assign_sets(2, Set{}, Set{2, 0}).has_value());
    ASSERT_TRUE(l.assign_sets(3, Set{1}, Set{}).has_value());
    EXPECT_EQ(l.fmt_elem(0), "F0^ F2^ F1 F3");
    EXPECT_EQ(l.fmt_elem(1), "F3^ F3");
    EXPECT_EQ(l.fmt_elem(2), "F0 F2");
    EXPECT_EQ(l.fmt_elem(3), "F1^");
    EXPECT_EQ(l.fmt_elem(4), "");
    EXPECT_EQ(l.to_string(), "F0^ F2^ F1 F3, F3^ F3, F0 F2, F1^, ");

    // 0 modes: rows of no words, only the identity.
    CmpntList z(Modes::count(0));
    EXPECT_EQ(z.words_per_row(), 0u);
    auto e = Elem::from_sets(Modes::count(0), Set{}, Set{});
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->size(), 1u);
    EXPECT_EQ(e->fmt_elem(0), "");
    EXPECT_EQ(e->elem_u64it(0).size(), 0u);
}

TEST(NormalList, FromSetsBounds) {
    auto a = Elem::from_sets(Modes::count(5), Set{5}, Set{});
    ASSERT_FALSE(a.has_value());
    EXPECT_EQ(a.error(), (vemo::OutOfBounds{5, 5, vemo::OutOfBoundsKind::Bit}));
    EXPECT_EQ(a.error().message(), "Bit index 5 is out-of-bounds for bit matrix with 5 bits per row.");
    auto b = Elem::from_sets(Modes::count(5), Set{0, 7}, Set{9});
    ASSERT_FALSE(b.has_value());
    EXPECT_EQ(b.error().index, 7u);  // creation set first, its largest mode
    auto c = Elem::from_sets(Modes::count(5), Set{4}, Set{6, 8, 1});
    ASSERT_FALSE(c.has_value());
    EXPECT_EQ(c.error().index, 8u);
    // A failed assignment leaves the row as it was.
    CmpntList l(Modes::count(5));
    l.push_identity();
    ASSERT_TRUE(l.assign_sets(0, Set{1}, Set{2}).has_value());
    EXPECT_FALSE(l.assign_sets(0, Set{0}, Set{5}).has_value());
    EXPECT_EQ(l.fmt_elem(0), "F1^ F2");
}

TEST(NormalList, Counts) {
    auto e = Elem::from_sets_unchecked(Modes::count(4), Set{0}, Set{1, 2});
    EXPECT_EQ(e.count_n_body(0), 1u);
    EXPECT_EQ(e.particle_number_change(0), -1);
    EXPECT_EQ(normal::count_n_body({&e, 0}), 1u);
    EXPECT_EQ(normal::particle_number_change({&e, 0}), -1);
    auto f = Elem::from_sets_unchecked(Modes::count(200), Set{0, 64, 130, 199}, Set{});
    EXPECT_EQ(f.count_n_body(0), 2u);
    EXPECT_EQ(f.particle_number_change(0), 4);
}

TEST(NormalList, DaggerExamples) {
    CmpntList empty(Modes::count(3));
    EXPECT_EQ(empty.dagger_get_signs().size(), 0u);

    CmpntList l(Modes::count(2));
    l.resize(4);
    l.assign_sets_unchecked(0, Set{0, 1}, Set{});
    l.assign_sets_unchecked(1, Set{0}, Set{1});
    l.assign_sets_unchecked(2, Set{0, 1}, Set{0, 1});
    const CmpntList before = l;
    vemo::SignVec s = l.dagger_get_signs();
    ASSERT_EQ(s.size(), 4u);
    EXPECT_TRUE(s.get(0).is_minus_one);
    EXPECT_FALSE(s.get(1).is_minus_one);
    EXPECT_FALSE(s.get(2).is_minus_one);
    EXPECT_FALSE(s.get(3).is_minus_one);
    EXPECT_EQ(l.to_string(), "F0 F1, F1^ F0, F0^ F1^ F0 F1, ");
    EXPECT_TRUE(l.cre().is_creation());
    EXPECT_FALSE(l.ann().is_creation());
    l.dagger_get_signs();
    EXPECT_EQ(l, before);

    // A longer sign vector is cut to the list's length.
    vemo::SignVec longer = vemo::SignVec::new_with_len(10);
    l.dagger(longer);
    EXPECT_EQ(longer.size(), 4u);
}

TEST(NormalList, DaggerAgreesWithDenseAdjoint) {
    const uint64_t n = 4;
    CmpntList l(Modes::count(n));
    std::vector<std::pair<uint64_t, uint64_t>> masks;
    for (uint64_t c = 0; c < 16; ++c)
        for (uint64_t a = 0; a < 16; ++a) {
            l.push_identity();
            l.assign_sets_unchecked(l.size() - 1, bits_of(c), bits_of(a));
            masks.emplace_back(c, a);
        }
    vemo::SignVec s = l.dagger_get_signs();
    for (uint64_t i = 0; i < l.size(); ++i) {
        auto [c, a] = masks[i];
        const Dense adj = transpose(dense_of(n, c, a));
        // The list now holds (A, C); with its sign it must be the adjoint.
        EXPECT_EQ(l.fmt_elem(i), Elem::from_sets_unchecked(l.modes(), bits_of(a), bits_of(c)).fmt_elem(0));
        EXPECT_EQ(scale(dense_of(n, a, c), s.get(i).is_minus_one ? -1 : 1), adj) << i;
    }
}

TEST(NormalList, ResizePopAndSwapAndEquality) {
    CmpntList l(Modes::count(3));
    l.resize(3);
    l.assign_sets_unchecked(0, Set{0}, Set{});
    l.assign_sets_unchecked(1, Set{1}, Set{});
    l.assign_sets_unchecked(2, Set{2}, Set{0});
    l.pop_and_swap(0);
    EXPECT_EQ(l.to_string(), "F2^ F0, F1^");
    l.pop_and_swap(1);
    EXPECT_EQ(l.to_string(), "F2^ F0");
    l.resize(2);
    EXPECT_EQ(l.fmt_elem(1), "");
    EXPECT_TRUE(l.compatible_with(CmpntList(Modes::count(3))));
    EXPECT_FALSE(l.compatible_with(CmpntList(Modes::spin_minor_pairs(3))));
    EXPECT_FALSE(l == l.empty_clone());
    EXPECT_EQ(l.empty_clone().size(), 0u);
    EXPECT_EQ(l.empty_clone().modes(), l.modes());
}

TEST(NormalList, TripleHammingWeight) {
    std::mt19937_64 rng(3);
    for (int t = 0; t < 50; ++t) {
        std::vector<uint64_t> a(3), b(3), c(2);
        for (auto* v : {&a, &b, &c})
            for (auto& x : *v) x = rng() & rng();
        for (bool nb : {false, true})
            for (bool nc : {false, true}) {
                uint64_t expect = 0;
                for (uint64_t m = 0; m < 128; ++m) {
                    const bool in_a = (a[m / 64] >> (m % 64)) & 1;
                    const bool in_b = ((b[m / 64] >> (m % 64)) & 1) != nb;
                    const bool in_c = ((c[m / 64] >> (m % 64)) & 1) != nc;
                    expect += in_a && in_b && in_c;
                }
                EXPECT_EQ(normal::cre_or_ann::triple_hamming_weight(a, b, c, nb, nc), expect);
            }
    }
}

TEST(NormalList, TermSetAccumulates) {
    auto ts = normal::new_term_set<vemo::RealVec>(Modes::count(3));
    auto a = Elem::from_sets_unchecked(Modes::count(3), Set{0}, Set{1});
    auto b = Elem::from_sets_unchecked(Modes::count(3), Set{1}, Set{0});
    vemo::scaled_iadd_u64it(ts, a.elem_u64it(0), 1.0);
    vemo::scaled_iadd_u64it(ts, b.elem_u64it(0), 2.0);
    vemo::scaled_iadd_u64it(ts, a.elem_u64it(0), 0.5);
    EXPECT_EQ(ts.cmpnts().to_string(), "F0^ F1, F1^ F0");
    EXPECT_EQ(ts.coeffs().get(0), 1.5);
    vemo::scaled_iadd_u64it(ts, a.elem_u64it(0), -1.5);
    EXPECT_EQ(ts.cmpnts().to_string(), "F1^ F0");
    EXPECT_EQ(ts.cmpnts().modes(), Modes::count(3));
}
