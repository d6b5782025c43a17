// Qubit registers: canonical forms at the 64-bit edge and lookups. The serial
// form is checked from Python through the Pauli file.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/qubit/mode.hpp"

using namespace vemo;
using namespace vemo::qubit;

namespace {

Qubits inds(std::vector<uint64_t> v) { return *Qubits::from_inds(std::move(v)); }

}  // namespace

// The canonical forms of ordinary runs are tested from Python through equality.
TEST(Qubits, CanonicalKinds) {
    EXPECT_EQ(inds({2, 0, 1}).kind(), Kind(Inds{{2, 0, 1}}));
    // A run may end on the largest index; one that would pass it stays an
    // explicit list, and offsets never wrap.
    EXPECT_EQ(inds({UINT64_MAX}).kind(), Kind(Offset{UINT64_MAX, 1}));
    EXPECT_EQ(inds({UINT64_MAX - 1}).kind(), Kind(Offset{UINT64_MAX - 1, 1}));
    EXPECT_EQ(inds({UINT64_MAX, 0}).kind(), Kind(Inds{{UINT64_MAX, 0}}));
    EXPECT_EQ(Qubits::from_offset(UINT64_MAX, 2).error(), (OffsetOverflow{UINT64_MAX, 2}));
    EXPECT_EQ(Qubits::from_offset(1, UINT64_MAX)->largest_index(), UINT64_MAX);
    EXPECT_TRUE(Qubits(Offset{UINT64_MAX, 1}).check_valid());
    EXPECT_FALSE(Qubits(Offset{UINT64_MAX, 2}).check_valid());
    // Equality compares representations: only a decoded register holds Offset(0, n).
    EXPECT_NE(Qubits(Offset{0, 3}), Qubits::from_count(3));
    EXPECT_EQ(Qubits::from_inds({1, 2, 2, 1}).error(), BasisError(CoincidentIndex{2}));
}

TEST(Qubits, LookupsAndHilbertDimension) {
    const Qubits off = *Qubits::from_offset(5, 3);
    EXPECT_EQ(off.get(2), 7u);
    EXPECT_EQ(off.get(3).error(), (OutOfBounds{3, 3, OutOfBoundsKind::Mode}));
    EXPECT_EQ(off.inds(), (std::vector<uint64_t>{5, 6, 7}));
    EXPECT_EQ(inds({2, 0, 1}).get(0), 2u);
    EXPECT_THROW((void)Qubits::from_count(UINT64_MAX).inds(), std::bad_alloc);
    // Dimension 0 (refused by the Python method, which is tested with the other values).
    EXPECT_EQ(Qubits::from_hilbert_space_dim(0), Qubits::from_count(0));
}
