// Mode spaces and packed mode-index rows. Lengths, equality of kinds, the
// Fock-space dimensions and the text form (FermionSprings) are checked from
// Python; here the 64-bit edges and the bit layout of packed rows.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "core/fermion/mode.hpp"
#include "core/fermion/packed_mode_inds.hpp"

using namespace vemo::fermion;

TEST(Modes, CountsEqualityAndOverflow) {
    // The same number of modes is not the same space.
    EXPECT_NE(Modes::count(4), Modes::spin_major_pairs(2));
    EXPECT_EQ(Modes(), Modes::count(0));
    // 2n must fit in 64 bits.
    EXPECT_EQ(Modes::try_pairs(ModesKind::SpinMinorPairs, Modes::max_pair_count)->len(), UINT64_MAX - 1);
    EXPECT_FALSE(Modes::try_pairs(ModesKind::SpinMajorPairs, Modes::max_pair_count + 1).has_value());
    EXPECT_TRUE(Modes::try_pairs(ModesKind::Count, UINT64_MAX).has_value());
    // Dimension 0 (refused by the Python method, which is tested with the other values) and 2^63.
    EXPECT_EQ(Modes::from_fock_space_dim(0), Modes::count(0));
    EXPECT_EQ(Modes::from_fock_space_dim(uint64_t{1} << 63), Modes::count(63));

    auto r = check_same_space(Modes::count(3), Modes::count(4));
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error().message(), "Qubits-based objects are based on different qubit spaces.");
}

TEST(PackedModeInds, Geometry) {
    struct Case {
        uint64_t modes, bits, per_word;
    };
    for (auto c : {Case{0, 1, 64}, Case{3, 2, 32}, Case{5, 3, 21}, Case{65537, 17, 3}, Case{UINT64_MAX, 64, 1}}) {
        PackedModeInds m(c.modes, 10);
        EXPECT_EQ(m.n_bits(), c.bits) << c.modes;
        EXPECT_EQ(m.slots_per_word(), c.per_word) << c.modes;
        EXPECT_EQ(m.words_per_row(), (10 + c.per_word - 1) / c.per_word) << c.modes;
    }
    EXPECT_EQ(PackedModeInds(7, UINT64_MAX).words_per_row(), UINT64_MAX / 21 + 1);
    // Sizes come from users: an impossible row is a bad_alloc, not a crash.
    PackedModeInds huge(5, UINT64_MAX);
    EXPECT_THROW(huge.push_zero_row(), std::bad_alloc);
}

TEST(PackedModeInds, SlotLayoutAcrossWordBoundaries) {
    // 3 modes: 2-bit slots, 32 per word; slot 31 is bits 62 and 63 of word 0.
    PackedModeInds m(3, 33);
    EXPECT_EQ(m.words_per_row(), 2u);
    std::vector<uint64_t> inds(32, 0);
    inds[31] = 2;
    m.push_vec(inds);
    EXPECT_EQ(m.row(0)[0], uint64_t{1} << 63);
    EXPECT_EQ(m.row(0)[1], 0u);

    // 5 modes: 21 three-bit slots; the top bit of every word holds no slot.
    PackedModeInds f(5, 42);
    const std::vector<uint64_t> fours(42, 4);
    f.push_vec(fours);
    for (auto w : f.row(0)) EXPECT_EQ(w >> 63, 0u);
    EXPECT_EQ(f.row(0)[0] >> 60, 4u);

    // Random rows against the bit-by-bit rule: bit t of index j sits at bit
    // (j mod k) * b + t of word j div k.
    std::mt19937_64 rng(7);
    for (uint64_t modes : {1u, 5u, 65u, 65536u}) {
        PackedModeInds p(modes, 37);
        const uint64_t b = p.n_bits(), k = 64 / b;
        for (uint64_t r = 0; r < 10; ++r) {
            std::vector<uint64_t> v(rng() % 38);
            for (auto& x : v) x = rng() % modes;
            p.push_vec(v);
            EXPECT_EQ(p.read_row(r, v.size()), v);
            for (size_t j = 0; j < v.size(); ++j)
                for (uint64_t t = 0; t < b; ++t)
                    EXPECT_EQ((p.row(r)[j / k] >> ((j % k) * b + t)) & 1, (v[j] >> t) & 1);
        }
    }
}
