// Qubit registers: canonical forms, lookups and the serial form.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/qubit/mode.hpp"
#include "core/utils/bincode.hpp"

using namespace vemo;
using namespace vemo::qubit;

namespace {

Qubits inds(std::vector<uint64_t> v) { return *Qubits::from_inds(std::move(v)); }

std::expected<Qubits, bincode::DecodeError> decode(std::vector<uint8_t> b) {
    bincode::SpanSource src(b);
    bincode::Decoder dec(src);
    return Qubits::decode(dec);
}

}  // namespace

// The canonical forms of ordinary runs are tested from Python through equality.
TEST(Qubits, CanonicalKinds) {
    EXPECT_EQ(inds({2, 0, 1}).kind(), Kind(Inds{{2, 0, 1}}));
    // A run whose end does not fit 64 bits stays an explicit list; offsets never wrap.
    EXPECT_EQ(inds({UINT64_MAX}).kind(), Kind(Inds{{UINT64_MAX}}));
    EXPECT_EQ(inds({UINT64_MAX - 1}).kind(), Kind(Offset{UINT64_MAX - 1, 1}));
    EXPECT_EQ(Qubits::from_offset(UINT64_MAX, 1).error(), (OffsetOverflow{UINT64_MAX, 1}));
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

TEST(Qubits, SerialForm) {
    auto bytes = [](const Qubits& q) { return bincode::encode_to_vec(q); };
    EXPECT_EQ(bytes(Qubits::from_count(2)), (std::vector<uint8_t>{0, 2}));
    EXPECT_EQ(bytes(*Qubits::from_offset(5, 3)), (std::vector<uint8_t>{1, 5, 3}));
    EXPECT_EQ(bytes(inds({2, 0, 1})), (std::vector<uint8_t>{2, 3, 2, 0, 1}));
    EXPECT_EQ(bytes(Qubits::from_count(300)), (std::vector<uint8_t>{0, 251, 0x2c, 0x01}));
    const Qubits q = inds({UINT64_MAX, 0, 12345678901ull});
    EXPECT_EQ(*decode(bytes(q)), q);
    // Taken as stored: neither brought into canonical form nor checked for repeats.
    EXPECT_EQ(decode({1, 0, 4})->kind(), Kind(Offset{0, 4}));
    EXPECT_EQ(decode({2, 2, 5, 5})->kind(), Kind(Inds{{5, 5}}));
    EXPECT_EQ(decode({3, 0}).error().message(), "invalid value: integer `3`, expected variant index 0 <= i < 3");
    EXPECT_EQ(decode({1, 5}).error().kind, bincode::DecodeError::Io);
    // A huge declared length without data fails without a huge allocation.
    EXPECT_EQ(decode({2, 253, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x7f}).error().kind,
              bincode::DecodeError::Io);
}
