// The Pauli-string list: element words, counting, text, standardisation and the serial form.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/qubit/pauli_list.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using namespace vemo::qubit::testing;
using P = PauliMatrix;

namespace {
CmpntList list_of(Qubits q, const std::vector<std::vector<P>>& strings) {
    CmpntList l(std::move(q));
    for (const auto& s : strings) push_paulis(l, s);
    return l;
}
}  // namespace

TEST(PauliList, GeometryAndElementWords) {
    CmpntList l(Qubits::from_count(70));
    EXPECT_EQ(l.size(), 0u);
    EXPECT_EQ(l.words_per_row(), 2u);
    l.resize(2);
    l.set_pauli_unchecked(1, 0, P::X);
    l.set_pauli_unchecked(1, 65, P::Y);
    l.set_pauli_unchecked(1, 66, P::Z);
    const Words w = l.elem_u64it(1);
    EXPECT_EQ(w.size(), 4u);
    EXPECT_EQ(w.parts[0][0], 1u);
    EXPECT_EQ(w.parts[0][1], 2u);
    EXPECT_EQ(w.parts[1][1], 6u);
    EXPECT_EQ(l.fmt_elem(1), "X0 Y65 Z66");
    EXPECT_EQ(l.to_string(), ", X0 Y65 Z66");
    EXPECT_EQ(l.get_pauli_unchecked(1, 65), P::Y);
    EXPECT_EQ(l.empty_clone().size(), 0u);
    EXPECT_EQ(l.empty_clone().qubits(), l.qubits());
    // A register of 0 qubits: every string has no words and all strings are equal.
    CmpntList z(Qubits::from_count(0));
    z.resize(3);
    EXPECT_EQ(z.elem_u64it(2).size(), 0u);
    EXPECT_EQ(z.to_string(), ", , ");
}

TEST(PauliList, CountsByPopulation) {
    CmpntList l(Qubits::from_count(70));
    l.resize(2);
    EXPECT_EQ(l.count(0, P::I), 70u);
    l.set_pauli_unchecked(1, 0, P::X);
    l.set_pauli_unchecked(1, 1, P::Y);
    l.set_pauli_unchecked(1, 69, P::X);
    EXPECT_EQ(l.count(1, P::X), 2u);
    EXPECT_EQ(l.count(1, P::Y), 1u);
    EXPECT_EQ(l.count(1, P::Z), 0u);
    EXPECT_EQ(l.count(1, P::I), 67u);
    std::mt19937_64 rng(1);
    for (uint64_t n : {0u, 1u, 63u, 64u, 65u, 128u, 129u}) {
        const auto ps = random_paulis(rng, n);
        const CmpntList r = list_of(Qubits::from_count(n), {ps});
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(r.count(0, P(c)), static_cast<uint64_t>(std::ranges::count(ps, P(c)))) << n;
    }
}

TEST(PauliList, PopAndSwapAndResize) {
    CmpntList l = list_of(Qubits::from_count(2), {{P::X, P::I}, {P::Y, P::I}, {P::Z, P::Z}});
    l.pop_and_swap(0);
    EXPECT_EQ(l.to_string(), "Z0 Z1, Y0");
    l.pop_and_swap(1);
    EXPECT_EQ(l.to_string(), "Z0 Z1");
    l.resize(3);
    EXPECT_EQ(l.to_string(), "Z0 Z1, , ");
    l.resize(1);
    EXPECT_EQ(l.size(), 1u);
}

TEST(PauliList, SortsIZXYForOneQubit) {
    CmpntList l = list_of(Qubits::from_count(1), {{P::Y}, {P::X}, {P::Z}, {P::I}});
    std::vector<uint64_t> idx{0, 1, 2, 3};
    std::ranges::sort(idx, [&](uint64_t a, uint64_t b) {
        return words_cmp(l.elem_u64it(a), l.elem_u64it(b)) == std::strong_ordering::less;
    });
    std::string order;
    for (auto i : idx) order += pauli_char(l.get_pauli_unchecked(i, 0));
    EXPECT_EQ(order, "IZXY");
}

TEST(PauliStandardize, ResizeKeepsLowPositions) {
    CmpntList l = list_of(Qubits::from_count(4), {{P::X, P::I, P::I, P::Z}});
    l.resize_standardize(2);
    EXPECT_EQ(l.qubits(), Qubits::from_count(2));
    EXPECT_EQ(l.to_string(), "X0");
    l.resize_standardize(130);
    EXPECT_EQ(l.words_per_row(), 3u);
    EXPECT_EQ(l.to_string(), "X0");
    l.set_pauli_unchecked(0, 129, P::Y);
    l.resize_standardize(129);  // padding bits are cleared
    EXPECT_EQ(l.elem_u64it(0).parts[0][2], 0u);
}

TEST(PauliStandardize, GeneralMovesPositionsToRegisterIndices) {
    const CmpntList l = list_of(*Qubits::from_inds({5, 1, 7}), {{P::X, P::I, P::Y}, {P::I, P::Z, P::I}});
    auto s = l.general_standardized(8);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->qubits(), Qubits::from_count(8));
    EXPECT_EQ(s->to_string(), "X5 Y7, Z1");
    const CmpntList off = list_of(*Qubits::from_offset(64, 3), {{P::Z, P::X, P::Y}});
    EXPECT_EQ(off.standardized(70)->to_string(), "Z64 X65 Y66");
}

TEST(PauliStandardize, TooFewQubitsIsRefusedBeforeAnyChange) {
    CmpntList l = list_of(*Qubits::from_inds({5, 1, 7}), {{P::X, P::I, P::Y}});
    const CmpntList before = l;
    EXPECT_EQ(l.general_standardized(7).error(), (OutOfBounds{7, 7, OutOfBoundsKind::Mode}));
    EXPECT_EQ(l.general_standardize(5).error(), (OutOfBounds{5, 5, OutOfBoundsKind::Mode}));
    EXPECT_EQ(l.standardized(3).error().message(),
              "Mode index 5 is out-of-bounds for component list with 3 modes per component.");
    EXPECT_EQ(l, before);
    const CmpntList off = list_of(*Qubits::from_offset(4, 3), {{P::X, P::X, P::X}});
    EXPECT_EQ(off.standardized(6).error(), (OutOfBounds{6, 6, OutOfBoundsKind::Mode}));
}

TEST(PauliStandardize, CountRegistersCopyOrResize) {
    const CmpntList l = list_of(Qubits::from_count(3), {{P::X, P::Y, P::Z}});
    EXPECT_EQ(*l.standardized(3), l);
    EXPECT_EQ(l.standardized(2)->to_string(), "X0 Y1");
    EXPECT_EQ(l.standardized(5)->qubits(), Qubits::from_count(5));
}

TEST(PauliListSerial, RoundTripAndKnownBytes) {
    const CmpntList l = list_of(Qubits::from_count(2), {{P::X, P::Z}});
    // x part: 1 word [1], 1 word per row, 1 row, 2 bits; z part: [2]; register Count(2).
    EXPECT_EQ(bincode::encode_to_vec(l), (std::vector<uint8_t>{1, 1, 1, 1, 2, 1, 2, 1, 1, 2, 0, 2}));
    std::mt19937_64 rng(2);
    CmpntList big(*Qubits::from_inds({9, 3, 100, 4}));
    for (int i = 0; i < 5; ++i) push_paulis(big, random_paulis(rng, 4));
    const auto bytes = bincode::encode_to_vec(big);
    bincode::SpanSource src(bytes);
    bincode::Decoder dec(src);
    auto back = CmpntList::decode(dec);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, big);
    // Planes that do not fit the register are refused.
    CmpntList wrong(Qubits::from_count(2));
    auto b2 = bincode::encode_to_vec(wrong);
    b2.back() = 3;  // register Count(3)
    bincode::SpanSource src2(b2);
    bincode::Decoder dec2(src2);
    EXPECT_EQ(CmpntList::decode(dec2).error().kind, bincode::DecodeError::Inconsistent);
}

TEST(PauliList, RelabelKeepsStringsAndChecksLength) {
    CmpntList l = list_of(Qubits::from_count(2), {{P::X, P::Z}});
    ASSERT_TRUE(l.relabel(*Qubits::from_inds({5, 7})));
    EXPECT_EQ(l.qubits(), *Qubits::from_inds({5, 7}));
    EXPECT_EQ(l.to_string(), "X0 Z1");
    auto bad = l.relabel(Qubits::from_count(3));
    ASSERT_FALSE(bad);
    EXPECT_EQ(bad.error().message(), "Mode counts 3 and 2 differ.");
    EXPECT_EQ(l.qubits(), *Qubits::from_inds({5, 7}));
}
