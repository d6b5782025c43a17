// Basis-state lists where Python does not reach: states with bits past their
// register. Standardisation, Pauli actions, dense round trips and the
// 0/63/64-qubit boundaries are checked from Python.
#include <gtest/gtest.h>

#include "core/container/bit_rows_dense.hpp"
#include "core/qubit/state.hpp"

using namespace vemo;
using namespace vemo::qubit;

TEST(StateDense, StatesPastTheRegister) {
    // A state with bits past its register would index past the vector: refused.
    state::CmpntList bad(Qubits::from_count(2));
    bad.resize(1);
    bad.bits_mut().row_mut(0)[0] = 4;
    RealVec one;
    one.push(1.0);
    EXPECT_THROW((void)bit_rows::to_dense(TermsView<state::CmpntList, RealVec>{bad, one}, false), InternalError);
}
