// Qubit registers: canonical forms, lookups, the duplicate check and the serial form.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "core/qubit/mode.hpp"
#include "core/utils/bincode.hpp"

using namespace vemo;
using namespace vemo::qubit;

namespace {

Qubits inds(std::vector<uint64_t> v) { return *Qubits::from_inds(std::move(v)); }

std::vector<uint8_t> bytes_of(const Qubits& q) { return bincode::encode_to_vec(q); }

std::expected<Qubits, bincode::DecodeError> decode(std::vector<uint8_t> b) {
    bincode::SpanSource src(b);
    bincode::Decoder dec(src);
    return Qubits::decode(dec);
}

}  // namespace

TEST(QubitsCanonical, IndexListsBecomeCountOffsetOrInds) {
    EXPECT_EQ(inds({}).kind(), Kind(Count{0}));
    EXPECT_EQ(inds({0, 1, 2}).kind(), Kind(Count{3}));
    EXPECT_EQ(inds({5, 6, 7}).kind(), Kind(Offset{5, 3}));
    EXPECT_EQ(inds({5, 6, 7}), *Qubits::from_offset(5, 3));
    EXPECT_EQ(inds({4, 5}), *Qubits::from_offset(4, 2));
    EXPECT_EQ(inds({2, 0, 1}).kind(), Kind(Inds{{2, 0, 1}}));
    EXPECT_EQ(inds({2, 1, 0}).kind(), Kind(Inds{{2, 1, 0}}));
    EXPECT_EQ(inds({0, 2}).kind(), Kind(Inds{{0, 2}}));
    EXPECT_NE(inds({1, 0}), Qubits::from_count(2));
    // The end of the run would not fit 64 bits: an explicit list, never a wrapping Offset.
    EXPECT_EQ(inds({UINT64_MAX}).kind(), Kind(Inds{{UINT64_MAX}}));
    EXPECT_EQ(inds({UINT64_MAX - 1}).kind(), Kind(Offset{UINT64_MAX - 1, 1}));
}

TEST(QubitsCanonical, ZeroQubitRegistersAreEqual) {
    const Qubits zero = Qubits::from_count(0);
    EXPECT_EQ(inds({}), zero);
    EXPECT_EQ(*Qubits::from_offset(0, 0), zero);
    EXPECT_EQ(Qubits::from_hilbert_space_dim(1), zero);
    EXPECT_EQ(*Qubits::from_offset(0, 5), Qubits::from_count(5));
}

TEST(QubitsCanonical, OffsetNeverWraps) {
    EXPECT_EQ(Qubits::from_offset(UINT64_MAX, 1).error(), (OffsetOverflow{UINT64_MAX, 1}));
    EXPECT_FALSE(Qubits::from_offset(UINT64_MAX - 3, 5).has_value());
    EXPECT_EQ(Qubits::from_offset(UINT64_MAX - 3, 3)->kind(), Kind(Offset{UINT64_MAX - 3, 3}));
    EXPECT_EQ(Qubits::from_offset(UINT64_MAX, 0)->kind(), Kind(Offset{UINT64_MAX, 0}));
}

TEST(QubitsCanonical, RepeatedIndexNamesTheFirstRepeat) {
    auto a = Qubits::from_inds({1, 2, 2, 1});
    ASSERT_FALSE(a);
    EXPECT_EQ(a.error(), BasisError(CoincidentIndex{2}));
    auto b = Qubits::from_inds({3, 1, 3, 1});
    ASSERT_FALSE(b);
    EXPECT_EQ(b.error().message(), "Qubit mode 3 appears more than once in the new basis.");
    EXPECT_EQ(CoincidentIndex::check(std::vector<uint64_t>{4, 5, 6}), std::nullopt);
}

TEST(QubitsLookup, GetIndsAndLength) {
    const Qubits off = *Qubits::from_offset(5, 3);
    EXPECT_EQ(off.get(2), 7u);
    EXPECT_EQ(off.get(3).error(), (OutOfBounds{3, 3, OutOfBoundsKind::Mode}));
    EXPECT_EQ(off.inds(), (std::vector<uint64_t>{5, 6, 7}));
    const Qubits expl = inds({7, 2, 9});
    EXPECT_EQ(expl.size(), 3u);
    EXPECT_EQ(expl.get(0), 7u);
    EXPECT_EQ(expl.inds(), (std::vector<uint64_t>{7, 2, 9}));
    EXPECT_EQ(Qubits::from_offset(10, 4)->size(), 4u);
    EXPECT_EQ(Qubits::from_count(4).inds(), (std::vector<uint64_t>{0, 1, 2, 3}));
}

TEST(QubitsLookup, FirstIndexNotBelowALimit) {
    EXPECT_EQ(Qubits::from_count(5).first_index_not_below(5), std::nullopt);
    EXPECT_EQ(Qubits::from_count(5).first_index_not_below(3), 3u);
    EXPECT_EQ(Qubits::from_offset(4, 3)->first_index_not_below(7), std::nullopt);
    EXPECT_EQ(Qubits::from_offset(4, 3)->first_index_not_below(6), 6u);
    EXPECT_EQ(Qubits::from_offset(4, 3)->first_index_not_below(2), 4u);
    EXPECT_EQ(inds({5, 1, 7}).first_index_not_below(6), 7u);
    EXPECT_EQ(inds({5, 1, 7}).first_index_not_below(8), std::nullopt);
    // A decoded register may wrap; the bound still holds.
    EXPECT_EQ(Qubits(Offset{UINT64_MAX, 2}).first_index_not_below(UINT64_MAX), UINT64_MAX);
}

TEST(QubitsHilbert, CeilingOfLog2) {
    const std::vector<std::pair<uint64_t, uint64_t>> cases = {
        {0, 0}, {1, 0}, {2, 1}, {3, 2}, {4, 2}, {5, 3}, {6, 3}, {8, 3}, {9, 4},
        {uint64_t{1} << 63, 63}, {(uint64_t{1} << 63) + 1, 64}, {UINT64_MAX, 64}};
    for (auto [d, k] : cases) EXPECT_EQ(Qubits::from_hilbert_space_dim(d), Qubits::from_count(k)) << d;
}

TEST(QubitsEquality, ComparesRepresentations) {
    EXPECT_NE(Qubits(Offset{0, 3}), Qubits::from_count(3));
    EXPECT_NE(inds({2, 0, 1}), inds({0, 2, 1}));
    EXPECT_NE(Qubits::from_count(2), inds({5, 7}));
    Qubits a = inds({9, 3});
    Qubits b = a;  // a copy owns its own list
    EXPECT_EQ(a, b);
}

TEST(QubitsSerial, KnownBytes) {
    EXPECT_EQ(bytes_of(Qubits::from_count(2)), (std::vector<uint8_t>{0x00, 0x02}));
    EXPECT_EQ(bytes_of(*Qubits::from_offset(5, 3)), (std::vector<uint8_t>{0x01, 0x05, 0x03}));
    EXPECT_EQ(bytes_of(inds({2, 0, 1})), (std::vector<uint8_t>{0x02, 0x03, 0x02, 0x00, 0x01}));
    EXPECT_EQ(bytes_of(Qubits::from_count(300)), (std::vector<uint8_t>{0x00, 251, 0x2c, 0x01}));
}

TEST(QubitsSerial, RoundTripsAsStored) {
    for (const Qubits& q : {Qubits::from_count(0), Qubits::from_count(70000), *Qubits::from_offset(1u << 20, 9),
                            inds({UINT64_MAX, 0, 12345678901ull}), Qubits(Offset{0, 4}), Qubits(Inds{{1, 2, 3}})}) {
        auto d = decode(bytes_of(q));
        ASSERT_TRUE(d);
        EXPECT_EQ(*d, q);
    }
    // Not brought into canonical form, not checked for repeats.
    EXPECT_EQ(decode({0x01, 0x00, 0x04})->kind(), Kind(Offset{0, 4}));
    EXPECT_EQ(decode({0x02, 0x02, 0x05, 0x05})->kind(), Kind(Inds{{5, 5}}));
}

TEST(QubitsSerial, RefusesUnknownVariantsAndTruncation) {
    auto bad = decode({0x03, 0x00});
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().message(), "invalid value: integer `3`, expected variant index 0 <= i < 3");
    EXPECT_EQ(decode({0x01, 0x05}).error().kind, bincode::DecodeError::Io);
    EXPECT_EQ(decode({0x02, 0x03, 0x01}).error().kind, bincode::DecodeError::Io);
    EXPECT_EQ(decode({}).error().kind, bincode::DecodeError::Io);
    // A huge declared length without data fails without a huge allocation.
    EXPECT_EQ(decode({0x02, 253, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x7f}).error().kind,
              bincode::DecodeError::Io);
}

TEST(QubitSymbols, CodesAndTexts) {
    EXPECT_EQ(static_cast<int>(PauliMatrix::Y), 2);
    EXPECT_EQ(to_string(PauliMatrix::X), "X");
    EXPECT_EQ(to_string(SymplecticPart::X), "X");
    EXPECT_EQ(to_string(SymplecticPart::Z), "Z");
    EXPECT_EQ(static_cast<int>(SymplecticPart::Z), 1);
    for (int c = 0; c < 4; ++c) {
        const auto p = static_cast<PauliMatrix>(c);
        EXPECT_EQ(pauli_from_bits(pauli_x(p), pauli_z(p)), p);
        EXPECT_EQ(pauli_from_char(pauli_char(p)), p);
    }
    EXPECT_EQ(pauli_from_char('x'), std::nullopt);
}
