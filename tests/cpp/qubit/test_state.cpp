// Basis-state lists: construction from state texts, element operations,
// standardisation, and the action of Pauli strings checked against dense
// matrices and a qubit-by-qubit reference.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "core/qubit/state.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using vemo::qubit::state::CmpntList;
using namespace vemo::qubit::testing;

namespace {

BinarySprings springs_of(std::string_view text) { return expect_ok(from_str<BinarySprings>(text), "state text"); }

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

Qubits inds(std::vector<uint64_t> v) { return expect_ok(Qubits::from_inds(std::move(v)), "register"); }

}  // namespace

TEST(StateList, FromSprings) {
    auto l = CmpntList::from_springs(Qubits::from_count(3), springs_of("[1, 0, 1], [0, 0, 0]"));
    ASSERT_TRUE(l.has_value());
    EXPECT_EQ(l->row(0)[0], 0b101u);
    EXPECT_EQ(l->to_string(), "[1, 0, 1], [0, 0, 0]");
    // Marked positions at or past the register fail; zeros past it are never tested.
    auto bad = CmpntList::from_springs(Qubits::from_count(2), springs_of("[1, 1, 0], [1, 0, 1]"));
    ASSERT_FALSE(bad.has_value());
    EXPECT_EQ(bad.error().message(), "Bit index 2 is out-of-bounds for bit matrix with 2 bits per row.");
    // Positions, not register indices.
    EXPECT_EQ(CmpntList::from_springs(inds({5, 7}), springs_of("[0, 1]"))->row(0)[0], 0b10u);
}

TEST(StateList, FromSpringsDefaultCountsZerosToo) {
    const CmpntList a = CmpntList::from_springs_default(springs_of("[0, 1, 0, 0], [0, 0, 0]"));
    EXPECT_EQ(a.qubits(), Qubits::from_count(4));
    EXPECT_EQ(a.to_string(), "[0, 1, 0, 0], [0, 0, 0, 0]");
    const CmpntList none = CmpntList::from_springs_default(springs_of(""));
    EXPECT_EQ(none.qubits(), Qubits::from_count(0));
    EXPECT_EQ(none.size(), 0u);
    // A last written position of 65535 needs 65536 qubits, in full width.
    std::string t = "[1";
    for (int k = 1; k < 65536; ++k) t += k == 65535 ? ", 1" : ", 0";
    const CmpntList w = CmpntList::from_springs_default(springs_of(t + "]"));
    EXPECT_EQ(w.n_qubit(), 65536u);
    EXPECT_EQ(w.count(0, true), 2u);
    EXPECT_TRUE(w.get_bit_unchecked(0, 65535));
}

TEST(StateList, ElementOperations) {
    CmpntList l(Qubits::from_count(70));
    l.resize(3);
    l.set_bit_unchecked(0, 69, true);
    l.set_bit_unchecked(2, 1, true);
    EXPECT_EQ(l.elem_u64it(0).size(), 2u);
    EXPECT_EQ(l.row(0)[1], uint64_t{1} << 5);
    EXPECT_EQ(l.count(0, false), 69u);
    l.pop_and_swap(0);
    EXPECT_EQ(l.count(0, true), 1u);
    EXPECT_TRUE(l.get_bit_unchecked(0, 1));
    EXPECT_EQ(l.size(), 2u);
    const CmpntList e = l.empty_clone();
    EXPECT_EQ(e.size(), 0u);
    EXPECT_TRUE(e.compatible_with(l));
    EXPECT_FALSE(e.compatible_with(CmpntList(expect_ok(Qubits::from_offset(1, 70), "offset"))));

    // 0 qubits: rows of no words, all equal, printed "[]".
    CmpntList z;
    z.resize(2);
    EXPECT_EQ(z.elem_u64it(0).size(), 0u);
    EXPECT_EQ(z.to_string(), "[], []");
    EXPECT_EQ(CmpntList::elem(inds({4, 2})).fmt_elem(0), "[0, 0]");

    CmpntList r = CmpntList::from_springs_default(springs_of("[0, 1, 1]"));
    EXPECT_EQ(r.relabel(Qubits::from_count(2)).error().message(), "Mode counts 2 and 3 differ.");
}

TEST(StateStandardize, CountAndIndexRegisters) {
    const CmpntList l = CmpntList::from_springs_default(springs_of("[1, 0, 0, 1], [0, 1, 1, 1]"));
    EXPECT_EQ(l.standardized(2)->to_string(), "[1, 0], [0, 1]");
    EXPECT_EQ(l.standardized(66)->count(1, true), 3u);
    EXPECT_EQ(*l.standardized(4), l);

    // Index register [3, 1]: position 0 moves to qubit 3, position 1 to qubit 1.
    CmpntList x = expect_ok(CmpntList::from_springs(inds({3, 1}), springs_of("[1, 0], [0, 1], [1, 1]")), "x");
    auto s = x.standardized(4);
    EXPECT_EQ(s->qubits(), Qubits::from_count(4));
    EXPECT_EQ(s->to_string(), "[0, 0, 0, 1], [0, 1, 0, 0], [0, 1, 0, 1]");

    CmpntList o = expect_ok(CmpntList::from_springs(expect_ok(Qubits::from_offset(2, 2), "o"), springs_of("[1, 1]")), "o");
    ASSERT_TRUE(o.standardize(5).has_value());
    EXPECT_EQ(o.to_string(), "[0, 0, 1, 1, 0]");
}

TEST(StateStandardize, TooFewQubitsIsRefusedBeforeAnyChange) {
    CmpntList l = expect_ok(CmpntList::from_springs(inds({3, 1}), springs_of("[1, 1]")), "l");
    const CmpntList before = l;
    auto r = l.standardize(3);
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error(), (OutOfBounds{3, 3, OutOfBoundsKind::Mode}));
    EXPECT_EQ(l, before);
    // Offset(2, 3) holds index 4, its largest, even where its bit is 0.
    CmpntList o(expect_ok(Qubits::from_offset(2, 3), "offset"));
    o.resize(1);
    EXPECT_EQ(o.standardized(4).error(), (OutOfBounds{4, 4, OutOfBoundsKind::Mode}));
}

TEST(StateStandardize, ScatteredIndicesAcrossWordsMatchBitByBit) {
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

TEST(StatePauliAction, AgreesWithDenseMatrices) {
    std::mt19937_64 rng(11);
    for (uint64_t n = 1; n <= 6; ++n) {
        for (int trial = 0; trial < 40; ++trial) {
            const auto ps = random_paulis(rng, n);
            const pauli::CmpntList ops = list_of(n, {ps});
            const Dense m = dense_of(ps);
            CmpntList l(Qubits::from_count(n));
            push_random(l, rng);
            const uint64_t s = l.row(0)[0];
            const ComplexSign k = l.imul_by_op(0, ops, 0);
            // Column s of the matrix holds its single nonzero entry i^k at row t.
            for (uint64_t r = 0; r < m.dim; ++r)
                EXPECT_EQ(m(r, s), r == l.row(0)[0] ? ipow(k.value()) : cplx(0)) << "n " << n << " row " << r;
        }
    }
}

TEST(StatePauliAction, LongStringsAgreeQubitByQubit) {
    std::mt19937_64 rng(13);
    const uint64_t n = 150;
    for (int trial = 0; trial < 50; ++trial) {
        const auto ps = random_paulis(rng, n);
        const pauli::CmpntList ops = list_of(n, {ps});
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
        EXPECT_EQ(l.assign_mul_by_op(0, ops, 0, l, 0).value(), k & 3);  // source and destination one row
        EXPECT_EQ(bits_of(l, 0), want);
    }
}

TEST(StatePauliAction, CheckedFormRefusesOtherRegisters) {
    CmpntList l = expect_ok(CmpntList::from_springs(inds({1, 0}), springs_of("[1, 0]")), "l");
    pauli::CmpntList ops(Qubits::from_count(2));
    push_paulis(ops, {PauliMatrix::X, PauliMatrix::I});
    auto r = l.pauli_string_imul(0, ops, 0);
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error().message(), "Qubits-based objects are based on different qubit spaces.");
    EXPECT_EQ(l.fmt_elem(0), "[1, 0]");
    CmpntList m = CmpntList::from_springs_default(springs_of("[1, 0]"));
    EXPECT_EQ(m.pauli_string_imul(0, ops, 0), ComplexSign(0));
    EXPECT_EQ(m.fmt_elem(0), "[0, 0]");
}
