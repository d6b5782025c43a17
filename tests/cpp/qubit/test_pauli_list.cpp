// The Pauli-string list: element words, counting, order and standardisation.
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

TEST(PauliList, ElementWordsTextAndCounts) {
    std::vector<P> ps(70, P::I);
    ps[0] = P::X, ps[1] = P::Y, ps[65] = P::Z, ps[69] = P::X;
    const CmpntList l = list_of(Qubits::from_count(70), {std::vector<P>(70, P::I), ps});
    const Words w = l.elem_u64it(1);  // the x row, then the z row
    ASSERT_EQ(w.size(), 4u);
    EXPECT_EQ(w.parts[0][0], 3u);
    EXPECT_EQ(w.parts[0][1], 32u);
    EXPECT_EQ(w.parts[1][1], 2u);
    EXPECT_EQ(l.to_string(), ", X0 Y1 Z65 X69");
    EXPECT_EQ(l.count(0, P::I), 70u);
    EXPECT_EQ(l.count(1, P::X), 2u);
    std::mt19937_64 rng(1);
    for (uint64_t n : {0u, 1u, 63u, 64u, 65u, 129u}) {
        const auto r = random_paulis(rng, n);
        const CmpntList rl = list_of(Qubits::from_count(n), {r});
        for (int c = 0; c < 4; ++c) EXPECT_EQ(rl.count(0, P(c)), uint64_t(std::ranges::count(r, P(c)))) << n;
    }
    // 0 qubits: strings without words, all the identity.
    EXPECT_EQ(list_of(Qubits::from_count(0), {{}, {}}).to_string(), ", ");
}

TEST(PauliList, OneQubitOrderIsIZXY) {
    const CmpntList l = list_of(Qubits::from_count(1), {{P::Y}, {P::X}, {P::Z}, {P::I}});
    std::vector<uint64_t> idx{0, 1, 2, 3};
    std::ranges::sort(idx, [&](uint64_t a, uint64_t b) { return words_cmp(l.elem_u64it(a), l.elem_u64it(b)) < 0; });
    std::string order;
    for (auto i : idx) order += pauli_char(l.get_pauli_unchecked(i, 0));
    EXPECT_EQ(order, "IZXY");
}

TEST(PauliStandardize, MovesPositionsOntoACount) {
    CmpntList l = list_of(Qubits::from_count(4), {{P::X, P::I, P::I, P::Z}});
    EXPECT_EQ(*l.standardized(4), l);
    l.resize_standardize(2);
    EXPECT_EQ(l.qubits(), Qubits::from_count(2));
    EXPECT_EQ(l.to_string(), "X0");
    l.resize_standardize(130);
    l.set_pauli_unchecked(0, 129, P::Y);
    l.resize_standardize(129);  // the dropped position leaves no padding bit behind
    EXPECT_EQ(l.elem_u64it(0).parts[0][2], 0u);
    const CmpntList g = list_of(*Qubits::from_inds({5, 1, 7}), {{P::X, P::I, P::Y}, {P::I, P::Z, P::I}});
    EXPECT_EQ(g.standardized(8)->qubits(), Qubits::from_count(8));
    EXPECT_EQ(g.standardized(8)->to_string(), "X5 Y7, Z1");
    EXPECT_EQ(list_of(*Qubits::from_offset(64, 3), {{P::Z, P::X, P::Y}}).standardized(70)->to_string(),
              "Z64 X65 Y66");
}

TEST(PauliStandardize, TooFewQubitsIsRefusedBeforeAnyChange) {
    CmpntList l = list_of(*Qubits::from_inds({5, 1, 7}), {{P::X, P::I, P::Y}});
    const CmpntList before = l;
    EXPECT_EQ(l.general_standardize(7).error(), (OutOfBounds{7, 7, OutOfBoundsKind::Mode}));
    EXPECT_EQ(l.standardized(3).error().message(),
              "Mode index 7 is out-of-bounds for component list with 3 modes per component.");
    EXPECT_EQ(l, before);
    EXPECT_EQ(list_of(*Qubits::from_offset(4, 3), {}).standardized(6).error(), (OutOfBounds{6, 6, OutOfBoundsKind::Mode}));
    // A decoded register whose indices wrap is refused too.
    EXPECT_EQ(CmpntList(Qubits(Offset{UINT64_MAX, 2})).standardized(UINT64_MAX).error().index, UINT64_MAX);
}

TEST(PauliList, SerialFormAndRelabel) {
    CmpntList l = list_of(Qubits::from_count(2), {{P::X, P::Z}});
    // x part [1] (1 word per row, 1 row, 2 bits), z part [2], register Count(2).
    auto bytes = bincode::encode_to_vec(l);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 1, 1, 1, 2, 1, 2, 1, 1, 2, 0, 2}));
    bytes.back() = 3;  // planes narrower than the register
    bincode::SpanSource src(bytes);
    bincode::Decoder dec(src);
    EXPECT_EQ(CmpntList::decode(dec).error().kind, bincode::DecodeError::Inconsistent);
    ASSERT_TRUE(l.relabel(*Qubits::from_inds({5, 7})));
    EXPECT_EQ(l.to_string(), "X0 Z1");
    EXPECT_EQ(l.relabel(Qubits::from_count(3)).error().message(), "Mode counts 3 and 2 differ.");
    EXPECT_EQ(l.qubits(), *Qubits::from_inds({5, 7}));
}
