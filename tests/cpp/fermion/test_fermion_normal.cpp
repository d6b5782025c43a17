// Normal-ordered component lists where Python does not reach: counts and
// single-mode edits on many words, and the triple Hamming weight. Text forms, bounds and adjoints are
// checked from Python.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/container/list_ops.hpp"
#include "core/fermion/normal.hpp"

using namespace vemo::fermion;
using normal::CmpntList;
using normal::Elem;
using Set = std::vector<uint64_t>;

TEST(NormalList, Counts) {
    auto e = Elem::from_sets_unchecked(Modes::count(4), Set{0}, Set{1, 2});
    EXPECT_EQ(normal::count_n_body({&e, 0}), 1u);
    EXPECT_EQ(normal::particle_number_change({&e, 0}), -1);
    auto f = Elem::from_sets_unchecked(Modes::count(200), Set{0, 64, 130, 199}, Set{});
    EXPECT_EQ(f.count_n_body(0), 2u);
    EXPECT_EQ(f.particle_number_change(0), 4);
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

// Random single-mode edits against a model of the two sets, across word boundaries.
TEST(NormalList, SingleModesMatchSetModel) {
    std::mt19937_64 rng(11);
    const uint64_t n = 150;
    CmpntList l(Modes::count(n));
    l.resize(3);
    std::vector<std::vector<bool>> model(6, std::vector<bool>(n));  // (component, cre) -> membership
    for (int step = 0; step < 2000; ++step) {
        const uint64_t i = rng() % 3, m = rng() % n;
        const bool cre = rng() & 1, value = rng() & 1;
        l.set_mode(i, m, cre, value);
        model[2 * i + cre][m] = value;
        const uint64_t j = rng() % 3, k = rng() % n;
        const bool cj = rng() & 1;
        ASSERT_EQ(l.has_mode(j, k, cj), model[2 * j + cj][k]);
    }
    for (uint64_t i = 0; i < 3; ++i)
        for (bool cre : {false, true}) {
            Set want;
            for (uint64_t m = 0; m < n; ++m)
                if (model[2 * i + cre][m]) want.push_back(m);
            EXPECT_EQ(l.modes_of(i, cre), want);
        }
    // The sets written mode by mode are the component the set form makes.
    auto e = Elem::from_sets_unchecked(Modes::count(n), l.modes_of(1, true), l.modes_of(1, false));
    EXPECT_TRUE(vemo::elems_equal(l, 1, e, 0));
}
