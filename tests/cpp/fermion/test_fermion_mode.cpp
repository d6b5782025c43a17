// Mode spaces and packed mode-index rows.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/fermion/mode.hpp"
#include "core/fermion/mode_inds.hpp"

using namespace vemo::fermion;

TEST(Modes, CountsAndEquality) {
    EXPECT_EQ(Modes::count(5).len(), 5u);
    EXPECT_EQ(Modes::spin_major_pairs(3).len(), 6u);
    EXPECT_EQ(Modes::spin_minor_pairs(3).len(), 6u);
    // Same number of modes is not the same space.
    EXPECT_NE(Modes::spin_minor_pairs(3), Modes::count(6));
    EXPECT_NE(Modes::spin_minor_pairs(3), Modes::spin_major_pairs(3));
    EXPECT_NE(Modes::count(4), Modes::spin_major_pairs(2));
    EXPECT_EQ(Modes::count(4), Modes::count(4));
    EXPECT_EQ(Modes(), Modes::count(0));
}

TEST(Modes, PairCountOverflowIsRefused) {
    EXPECT_TRUE(Modes::try_pairs(ModesKind::SpinMajorPairs, Modes::max_pair_count).has_value());
    EXPECT_EQ(Modes::try_pairs(ModesKind::SpinMinorPairs, Modes::max_pair_count)->len(), UINT64_MAX - 1);
    EXPECT_FALSE(Modes::try_pairs(ModesKind::SpinMajorPairs, Modes::max_pair_count + 1).has_value());
    EXPECT_FALSE(Modes::try_pairs(ModesKind::SpinMinorPairs, UINT64_MAX).has_value());
    EXPECT_TRUE(Modes::try_pairs(ModesKind::Count, UINT64_MAX).has_value());
    EXPECT_THROW(Modes::spin_major_pairs(UINT64_MAX), vemo::InternalError);
}

TEST(Modes, FockSpaceDimension) {
    const std::pair<uint64_t, uint64_t> cases[] = {{0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {6, 3},
                                                   {8, 3}, {16, 4}, {17, 5}, {1024, 10}, {1025, 11},
                                                   {UINT64_MAX, 64}, {uint64_t{1} << 63, 63}};
    for (auto [d, n] : cases) {
        EXPECT_EQ(Modes::from_fock_space_dim(d), Modes::count(n)) << d;
        // Brute force: the smallest k with 2^k >= d.
        if (d > 0 && d < (uint64_t{1} << 40)) {
            uint64_t k = 0;
            while ((uint64_t{1} << k) < d) ++k;
            EXPECT_EQ(k, n) << d;
        }
    }
}

TEST(Modes, DifferentSpacesError) {
    EXPECT_TRUE(check_same_space(Modes::count(3), Modes::count(3)).has_value());
    auto r = check_same_space(Modes::count(3), Modes::count(4));
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error().message(), "Qubits-based objects are based on different qubit spaces.");
}

TEST(PackedModeInds, Geometry) {
    struct Case {
        uint64_t modes, bits, per_word;
    };
    for (auto c : {Case{0, 1, 64}, Case{1, 1, 64}, Case{2, 1, 64}, Case{3, 2, 32}, Case{4, 2, 32}, Case{5, 3, 21},
                   Case{10, 4, 16}, Case{65, 7, 9}, Case{65536, 16, 4}, Case{65537, 17, 3},
                   Case{UINT64_MAX, 64, 1}}) {
        ModeInds m(c.modes, 10);
        EXPECT_EQ(m.n_bits(), c.bits) << c.modes;
        EXPECT_EQ(m.slots_per_word(), c.per_word) << c.modes;
        EXPECT_EQ(m.words_per_row(), (10 + c.per_word - 1) / c.per_word) << c.modes;
        EXPECT_EQ(m.n_rows(), 0u);
    }
    EXPECT_EQ(ModeInds(7, 0).words_per_row(), 0u);
    EXPECT_EQ(ModeInds(7, UINT64_MAX).words_per_row(), UINT64_MAX / 21 + 1);
}

TEST(PackedModeInds, SlotLayoutAcrossWordBoundary) {
    // 3 modes: 2-bit slots, 32 per word; 33 slots need two words.
    ModeInds m(3, 33);
    EXPECT_EQ(m.words_per_row(), 2u);
    std::vector<uint64_t> inds(32, 0);
    inds[31] = 2;
    m.push_vec(inds);
    EXPECT_EQ(m.row(0)[0], uint64_t{1} << 63);
    EXPECT_EQ(m.row(0)[1], 0u);

    std::vector<uint64_t> full(33, 1);
    full[32] = 2;
    m.push_vec(full);
    EXPECT_EQ(m.row(1)[0], 0x5555555555555555u);
    EXPECT_EQ(m.row(1)[1], 2u);
    EXPECT_EQ(m.read_row(1, 33), full);

    // 5 modes: 21 three-bit slots; the top bit of each word holds no slot.
    ModeInds f(5, 42);
    std::vector<uint64_t> fours(42, 4);
    f.push_vec(fours);
    for (auto w : f.row(0)) EXPECT_EQ(w >> 63, 0u);
    EXPECT_EQ(f.row(0)[0] >> 60, 4u);  // slot 20 is bits 60..62
    EXPECT_EQ(f.read_row(0, 42), fours);
}

TEST(PackedModeInds, RoundTripAgainstBitByBitReference) {
    std::mt19937_64 rng(7);
    for (uint64_t modes : {1u, 2u, 3u, 5u, 9u, 64u, 65u, 1000u, 65536u}) {
        const uint64_t max_len = 37;
        ModeInds m(modes, max_len);
        std::vector<std::vector<uint64_t>> rows;
        for (int r = 0; r < 20; ++r) {
            std::vector<uint64_t> v(rng() % (max_len + 1));
            for (auto& x : v) x = modes ? rng() % modes : 0;
            m.push_vec(v);
            rows.push_back(v);
        }
        const uint64_t b = m.n_bits(), k = 64 / b;
        for (size_t r = 0; r < rows.size(); ++r) {
            EXPECT_EQ(m.read_row(r, rows[r].size()), rows[r]);
            // Independent check: bit t of index j sits at bit (j mod k)*b + t of word j div k.
            for (size_t j = 0; j < rows[r].size(); ++j)
                for (uint64_t t = 0; t < b; ++t)
                    EXPECT_EQ((m.row(r)[j / k] >> ((j % k) * b + t)) & 1, (rows[r][j] >> t) & 1);
        }
    }
}

TEST(PackedModeInds, ResizeAndPopAndSwap) {
    ModeInds m(4, 3);
    m.push_vec(std::vector<uint64_t>{3, 0, 2});
    m.push_vec(std::vector<uint64_t>{1});
    m.push_vec(std::vector<uint64_t>{2, 2});
    EXPECT_EQ(m.row(0)[0], 35u);
    m.pop_and_swap(0);
    EXPECT_EQ(m.n_rows(), 2u);
    EXPECT_EQ(m.read_row(0, 2), (std::vector<uint64_t>{2, 2}));
    m.pop_and_swap(1);
    EXPECT_EQ(m.n_rows(), 1u);
    m.resize(3);
    EXPECT_EQ(m.row(2)[0], 0u);
    EXPECT_THROW(m.row(3), vemo::InternalError);
    ModeInds huge(5, UINT64_MAX);
    EXPECT_THROW(huge.push_zero_row(), std::bad_alloc);
}
