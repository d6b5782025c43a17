// Normal-ordered component lists where Python does not reach: the encoding
// across words, counts on many words, the triple Hamming weight. Text forms,
// bounds and adjoints are checked from Python.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/container/word_iters.hpp"
#include "core/fermion/normal.hpp"

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
