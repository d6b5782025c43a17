// Basis-state lists where Python does not reach: the widest default register,
// standardisation scattered across words, states past their register. Pauli
// actions, dense round trips and the 0/63/64-qubit boundaries are checked
// from Python.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "core/qubit/state.hpp"
#include "core/qubit/state_dense.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using vemo::qubit::state::CmpntList;
using namespace vemo::qubit::state::lincomb;
using namespace vemo::qubit::testing;
using V = std::vector<double>;

namespace {

BinarySprings springs_of(std::string_view text) { return expect_ok(from_str<BinarySprings>(text), "state text"); }
Qubits inds(std::vector<uint64_t> v) { return expect_ok(Qubits::from_inds(std::move(v)), "register"); }
RealVec reals(const V& v) {
    RealVec c;
    for (double x : v) c.push(x);
    return c;
}

std::vector<bool> bits_of(const CmpntList& l, uint64_t i) {
    std::vector<bool> v;
    for (uint64_t q = 0; q < l.n_qubit(); ++q) v.push_back(l.get_bit_unchecked(i, q));
    return v;
}

std::vector<bool> push_random(CmpntList& l, std::mt19937_64& rng) {
    l.resize(l.size() + 1);
    std::vector<bool> b(l.n_qubit());
    for (uint64_t q = 0; q < b.size(); ++q) l.set_bit_unchecked(l.size() - 1, q, b[q] = rng() & 1);
    return b;
}

}  // namespace

TEST(StateList, DefaultRegisterCountsWrittenZeros) {
    EXPECT_EQ(CmpntList::from_springs_default(springs_of("[0, 1, 0, 0], [0, 0, 0]")).to_string(),
              "[0, 1, 0, 0], [0, 0, 0, 0]");
    // 65535 needs 65536 qubits in full width.
    std::string t = "[1";
    for (int k = 1; k < 65536; ++k) t += k == 65535 ? ", 1" : ", 0";
    const CmpntList w = CmpntList::from_springs_default(springs_of(t + "]"));
    EXPECT_EQ(w.n_qubit(), 65536u);
    EXPECT_EQ(w.count(0, true), 2u);
    // Offset(2, 3) holds index 4, its largest, even where its bit is 0.
    CmpntList z(expect_ok(Qubits::from_offset(2, 3), "offset"));
    z.resize(1);
    EXPECT_EQ(z.standardized(4).error(), (OutOfBounds{4, 4, OutOfBoundsKind::Mode}));
}

TEST(StateList, ScatteredStandardizationAcrossWordsMatchesBitByBit) {
    std::mt19937_64 rng(7);
    const uint64_t n = 130;
    std::vector<uint64_t> perm(n);
    for (uint64_t j = 0; j < n; ++j) perm[j] = 3 * j + (j % 5);  // distinct, up to 391
    std::shuffle(perm.begin(), perm.end(), rng);
    CmpntList l(inds(perm));
    for (int r = 0; r < 20; ++r) push_random(l, rng);
    auto s = l.standardized(400);
    for (uint64_t r = 0; r < l.size(); ++r) {
        std::vector<bool> want(400);
        for (uint64_t j = 0; j < n; ++j) want[perm[j]] = l.get_bit_unchecked(r, j);
        EXPECT_EQ(bits_of(*s, r), want);
    }
}

TEST(StateDense, StatesPastTheRegister) {
    // A state with bits past its register would index past the vector: refused.
    CmpntList bad(Qubits::from_count(2));
    bad.resize(1);
    bad.bits_mut().row_mut(0)[0] = 4;
    EXPECT_THROW((void)to_dense(bad, reals({1.0}), false), InternalError);
}
