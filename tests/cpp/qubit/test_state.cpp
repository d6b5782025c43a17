// Basis-state lists where Python does not reach: the widest default register,
// standardisation scattered across words, the action of long Pauli strings
// against a qubit-by-qubit reference, and what dense vectors count as zero.
// Round trips and the 0/63/64-qubit boundaries are checked from Python.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "core/container/set.hpp"
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
CmpntList states(Qubits q, std::string_view text) { return expect_ok(CmpntList::from_springs(std::move(q), springs_of(text)), "states"); }
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

// An output term set (list, map, coefficients) on Count(n), loaded from a dense vector.
template <class C>
struct Out {
    CmpntList list;
    Map map;
    C coeffs;
    explicit Out(uint64_t n) : list(Qubits::from_count(n)) {}
    template <class T>
    void load(const std::vector<T>& src, bool big_endian) {
        ASSERT_TRUE(assign_from_dense(TermSetMutView<CmpntList, C>{list, map, coeffs}, std::span<const T>(src), big_endian));
        ASSERT_EQ(coeffs.size(), list.size());
        for (uint64_t i = 0; i < list.size(); ++i) ASSERT_EQ(SetView<CmpntList>(list, map).lookup(list.elem_u64it(i)), i);
    }
};

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

TEST(StatePauliAction, LongStringsAgreeQubitByQubit) {
    std::mt19937_64 rng(13);
    const uint64_t n = 150;
    for (int trial = 0; trial < 50; ++trial) {
        const auto ps = random_paulis(rng, n);
        pauli::CmpntList ops(Qubits::from_count(n));
        push_paulis(ops, ps);
        CmpntList l(Qubits::from_count(n));
        const auto b = push_random(l, rng);
        CmpntList dst(Qubits::from_count(n));
        dst.resize(1);
        // Reference: X|b> = |!b>, Y|b> = i(-1)^b |!b>, Z|b> = (-1)^b |b>.
        uint32_t k = 0;
        std::vector<bool> want = b;
        for (uint64_t q = 0; q < n; ++q) {
            if (ps[q] == PauliMatrix::X || ps[q] == PauliMatrix::Y) want[q] = !b[q];
            if (ps[q] == PauliMatrix::Y) k += b[q] ? 3 : 1;
            if (ps[q] == PauliMatrix::Z) k += b[q] ? 2 : 0;
        }
        EXPECT_EQ(dst.assign_mul_by_op(0, ops, 0, l, 0).value(), k & 3);
        EXPECT_EQ(bits_of(dst, 0), want);
        EXPECT_EQ(bits_of(l, 0), b);  // the source is untouched
        EXPECT_EQ(l.imul_by_op(0, ops, 0).value(), k & 3);
        EXPECT_EQ(bits_of(l, 0), want);
    }
    // The checked form refuses other registers and leaves the state alone.
    CmpntList l = states(inds({1, 0}), "[1, 0]");
    pauli::CmpntList ops(Qubits::from_count(2));
    push_paulis(ops, {PauliMatrix::X, PauliMatrix::I});
    EXPECT_EQ(l.pauli_string_imul(0, ops, 0).error().message(), "Qubits-based objects are based on different qubit spaces.");
    EXPECT_EQ(l.fmt_elem(0), "[1, 0]");
    CmpntList m = states(Qubits::from_count(2), "[1, 0]");
    EXPECT_EQ(m.pauli_string_imul(0, ops, 0), ComplexSign(0));
    EXPECT_EQ(m.fmt_elem(0), "[0, 0]");
}

TEST(StateDense, ExactZerosAndStatesPastTheRegister) {
    // At most 2^n entries are read; NaN and 1e-300 are not zero, -0.0 is.
    Out<RealVec> o(2);
    o.load(V{-0.0, NAN, 1e-300}, false);
    EXPECT_EQ(o.list.to_string(), "[1, 0], [0, 1]");
    Out<ComplexVec> c(2);
    c.load(std::vector<Complex>{{-0.0, 0.0}, {0.0, -0.0}, {0.0, 2.0}, {NAN, 0.0}}, false);
    EXPECT_EQ(c.list.to_string(), "[0, 1], [1, 1]");
    // A state with bits past its register would index past the vector: refused.
    CmpntList bad(Qubits::from_count(2));
    bad.resize(1);
    bad.bits_mut().row_mut(0)[0] = 4;
    EXPECT_THROW((void)to_dense(bad, reals({1.0}), false), InternalError);
}
