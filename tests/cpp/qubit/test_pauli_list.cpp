// The Pauli-string list: element words, order, and the standardisation edges
// (padding bits, offsets past one word, wrapping registers). Counting, text,
// relabelling and the serial form are checked from Python.
#include <gtest/gtest.h>

#include <vector>

#include "core/qubit/pauli_list.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using namespace vemo::qubit::testing;
using P = PauliMatrix;

TEST(PauliStandardize, MovesPositionsOntoACount) {
    CmpntList l = list_of(Qubits::from_count(4), {{P::X, P::I, P::I, P::Z}});
    l.resize_standardize(130);
    l.set_pauli_unchecked(0, 129, P::Y);
    l.resize_standardize(129);  // the dropped position leaves no padding bit behind
    EXPECT_EQ(l.elem_u64it(0).parts[0][2], 0u);
    EXPECT_EQ(list_of(*Qubits::from_offset(64, 3), {{P::Z, P::X, P::Y}}).standardized(70)->to_string(),
              "Z64 X65 Y66");
}

TEST(PauliStandardize, RefusesOffsetsAndWrappingRegisters) {
    EXPECT_EQ(list_of(*Qubits::from_offset(4, 3), {}).standardized(6).error(), (OutOfBounds{6, 6, OutOfBoundsKind::Mode}));
    // A decoded register whose indices wrap is refused too.
    EXPECT_EQ(CmpntList(Qubits(Offset{UINT64_MAX, 2})).standardized(UINT64_MAX).error().index, UINT64_MAX);
}
