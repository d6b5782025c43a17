// Normal-ordered component lists where Python does not reach: counts and
// single-mode edits on many words, and the triple Hamming weight. Text forms,
// bounds and adjoints are checked from Python.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

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

// Random single-mode edits on three words per plane against a model of the sets.
TEST(NormalList, SingleModesMatchSetModel) {
    std::mt19937_64 rng(11);
    const uint64_t n = 150;
    CmpntList l(Modes::count(n));
    l.resize(3);
    std::vector<std::vector<bool>> model(6, std::vector<bool>(n));  // [2 * component + cre][mode]
    for (int step = 0; step < 2000; ++step) {
        const uint64_t i = rng() % 6, m = rng() % n, j = rng() % 6, k = rng() % n;
        l.set_mode(i / 2, m, i % 2, model[i][m] = rng() & 1);
        ASSERT_EQ(l.has_mode(j / 2, k, j % 2), model[j][k]);
    }
    for (uint64_t i = 0; i < 6; ++i) {
        Set want;
        for (uint64_t m = 0; m < n; ++m)
            if (model[i][m]) want.push_back(m);
        EXPECT_EQ(l.modes_of(i / 2, i % 2), want);
    }
}
