// Basis-state lists: construction from state texts, element operations,
// standardisation, and the action of Pauli strings checked against dense
// matrices and a qubit-by-qubit reference.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "core/container/set.hpp"
#include "core/qubit/state.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using vemo::qubit::state::CmpntList;
using namespace vemo::qubit::testing;

namespace {

BinarySprings springs_of(std::string_view text) {
    auto s = from_str<BinarySprings>(text);
    if (!s) ADD_FAILURE() << "state text does not parse: " << text;
    return s ? std::move(*s) : BinarySprings();
}

// The bits of state i, position 0 first.
std::vector<bool> bits_of(const CmpntList& l, uint64_t i) {
    std::vector<bool> v;
    for (uint64_t q = 0; q < l.n_qubit(); ++q) v.push_back(l.get_bit_unchecked(i, q));
    return v;
}

void push_bits(CmpntList& l, const std::vector<bool>& b) {
    l.resize(l.size() + 1);
    for (uint64_t q = 0; q < b.size(); ++q) l.set_bit_unchecked(l.size() - 1, q, b[q]);
}

std::vector<bool> random_bits(std::mt19937_64& rng, uint64_t n) {
    std::vector<bool> v(n);
    for (uint64_t q = 0; q < n; ++q) v[q] = rng() & 1;
    return v;
}

Qubits inds(std::vector<uint64_t> v) { return expect_ok(Qubits::from_inds(std::move(v)), "register"); }

pauli::CmpntList one_string(uint64_t n, const std::vector<PauliMatrix>& ps) {
    pauli::CmpntList l(Qubits::from_count(n));
    push_paulis(l, ps);
    return l;
}

}  // namespace

// ---- construction from state texts ----

TEST(StateList, FromSpringsSetsMarkedPositions) {
    auto l = CmpntList::from_springs(Qubits::from_count(3), springs_of("[1, 0, 1], [0, 0, 0]"));
    ASSERT_TRUE(l.has_value());
    ASSERT_EQ(l->size(), 2u);
    EXPECT_EQ(bits_of(*l, 0), (std::vector<bool>{true, false, true}));
    EXPECT_EQ(bits_of(*l, 1), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(l->row(0)[0], 0b101u);
    EXPECT_EQ(l->to_string(), "[1, 0, 1], [0, 0, 0]");
}

TEST(StateList, FromSpringsRefusesMarkedPositionsOutsideTheRegister) {
    auto bad = CmpntList::from_springs(Qubits::from_count(2), springs_of("[1, 0, 1], [0, 0, 0]"));
    ASSERT_FALSE(bad.has_value());
    EXPECT_EQ(bad.error(), (OutOfBounds{2, 2, OutOfBoundsKind::Bit}));
    EXPECT_EQ(bad.error().message(), "Bit index 2 is out-of-bounds for bit matrix with 2 bits per row.");
    // The first failing string in text order is reported, even after good ones.
    auto later = CmpntList::from_springs(Qubits::from_count(2), springs_of("[1, 1], [0, 0, 0, 1]"));
    ASSERT_FALSE(later.has_value());
    EXPECT_EQ(later.error(), (OutOfBounds{3, 2, OutOfBoundsKind::Bit}));
    // Zeros past the register are never tested.
    auto zeros = CmpntList::from_springs(Qubits::from_count(2), springs_of("[1, 1, 0, 0]"));
    ASSERT_TRUE(zeros.has_value());
    EXPECT_EQ(bits_of(*zeros, 0), (std::vector<bool>{true, true}));
}

TEST(StateList, FromSpringsUsesPositionsNotRegisterIndices) {
    auto l = CmpntList::from_springs(inds({5, 7}), springs_of("[0, 1]"));
    ASSERT_TRUE(l.has_value());
    EXPECT_EQ(l->row(0)[0], 0b10u);
    EXPECT_EQ(l->qubits(), inds({5, 7}));
    EXPECT_FALSE(CmpntList::from_springs(inds({5, 7}), springs_of("[0, 0, 1]")).has_value());
}

TEST(StateList, FromSpringsDefaultCountsZerosToo) {
    const CmpntList a = CmpntList::from_springs_default(springs_of("[0, 0, 0]"));
    EXPECT_EQ(a.qubits(), Qubits::from_count(3));
    ASSERT_EQ(a.size(), 1u);
    EXPECT_EQ(a.row(0)[0], 0u);

    const CmpntList b = CmpntList::from_springs_default(springs_of("[0, 1, 0, 0]"));
    EXPECT_EQ(b.qubits(), Qubits::from_count(4));
    EXPECT_EQ(bits_of(b, 0), (std::vector<bool>{false, true, false, false}));

    const CmpntList c = CmpntList::from_springs_default(springs_of("[1], [0, 0, 1, 0, 0], []"));
    EXPECT_EQ(c.n_qubit(), 5u);
    EXPECT_EQ(c.to_string(), "[1, 0, 0, 0, 0], [0, 0, 1, 0, 0], [0, 0, 0, 0, 0]");

    const CmpntList none = CmpntList::from_springs_default(springs_of(""));
    EXPECT_EQ(none.qubits(), Qubits::from_count(0));
    EXPECT_EQ(none.size(), 0u);
}

TEST(StateList, FromSpringsDefaultWidestText) {
    // A last written position of 65535 needs 65536 qubits, in full width.
    std::string t = "[";
    for (int k = 0; k < 65536; ++k) t += k ? (k == 65535 ? ", 1" : ", 0") : "1";
    t += "]";
    const CmpntList l = CmpntList::from_springs_default(springs_of(t));
    EXPECT_EQ(l.n_qubit(), 65536u);
    EXPECT_EQ(l.words_per_row(), 1024u);
    EXPECT_EQ(l.count(0, true), 2u);
    EXPECT_TRUE(l.get_bit_unchecked(0, 65535));
    EXPECT_TRUE(l.get_bit_unchecked(0, 0));
}

// ---- element operations ----

TEST(StateList, ElementWordsAndGeometry) {
    CmpntList l(Qubits::from_count(70));
    EXPECT_EQ(l.words_per_row(), 2u);
    push_bits(l, {});
    l.set_bit_unchecked(0, 69, true);
    l.set_bit_unchecked(0, 1, true);
    const Words w = l.elem_u64it(0);
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w.parts[0][0], 2u);
    EXPECT_EQ(w.parts[0][1], uint64_t{1} << 5);
    EXPECT_EQ(l.count(0, true), 2u);
    EXPECT_EQ(l.count(0, false), 68u);

    const CmpntList e = CmpntList::elem(inds({4, 2}));
    EXPECT_EQ(e.size(), 1u);
    EXPECT_EQ(e.fmt_elem(0), "[0, 0]");
    EXPECT_EQ(e.count(0, false), 2u);
}

TEST(StateList, ZeroQubitStatesHaveNoWords) {
    CmpntList l;
    EXPECT_EQ(l.qubits(), Qubits::from_count(0));
    l.resize(2);
    EXPECT_EQ(l.elem_u64it(0).size(), 0u);
    EXPECT_EQ(l.fmt_elem(1), "[]");
    EXPECT_EQ(l.count(0, true), 0u);
    EXPECT_EQ(l.count(0, false), 0u);
    EXPECT_TRUE(words_equal(l.elem_u64it(0), l.elem_u64it(1)));
}

TEST(StateList, ResizePopAndSwapClone) {
    CmpntList l(Qubits::from_count(3));
    push_bits(l, {1, 0, 0});
    push_bits(l, {0, 1, 0});
    push_bits(l, {0, 0, 1});
    l.pop_and_swap(0);
    EXPECT_EQ(l.to_string(), "[0, 0, 1], [0, 1, 0]");
    l.pop_and_swap(1);
    EXPECT_EQ(l.to_string(), "[0, 0, 1]");
    l.resize(3);
    EXPECT_EQ(l.to_string(), "[0, 0, 1], [0, 0, 0], [0, 0, 0]");
    l.resize(1);
    EXPECT_EQ(l.size(), 1u);

    const CmpntList e = l.empty_clone();
    EXPECT_EQ(e.size(), 0u);
    EXPECT_EQ(e.qubits(), l.qubits());
    EXPECT_EQ(e.words_per_row(), l.words_per_row());
    EXPECT_TRUE(e.compatible_with(l));
}

TEST(StateList, EqualityAndCompatibilityFollowRegisters) {
    CmpntList a(Qubits::from_count(2)), b(expect_ok(Qubits::from_offset(1, 2), "offset"));
    push_bits(a, {1, 0});
    push_bits(b, {1, 0});
    EXPECT_FALSE(a == b);
    EXPECT_FALSE(a.compatible_with(b));
    EXPECT_TRUE(words_equal(a.elem_u64it(0), b.elem_u64it(0)));
    CmpntList c = a;
    EXPECT_TRUE(a == c);
    c.set_bit_unchecked(0, 1, true);
    EXPECT_FALSE(a == c);
    EXPECT_TRUE(a.compatible_with(c));
}

TEST(StateList, RelabelKeepsBitsAndNamesNewCountFirst) {
    CmpntList l = CmpntList::from_springs_default(springs_of("[0, 1, 1]"));
    ASSERT_TRUE(l.relabel(inds({5, 7, 9})).has_value());
    EXPECT_EQ(l.qubits(), inds({5, 7, 9}));
    EXPECT_EQ(l.to_string(), "[0, 1, 1]");
    auto bad = l.relabel(Qubits::from_count(2));
    ASSERT_FALSE(bad.has_value());
    EXPECT_EQ(bad.error().message(), "Mode counts 2 and 3 differ.");
    EXPECT_EQ(l.qubits(), inds({5, 7, 9}));
}

TEST(StateList, GenericSetKeepsStatesUnique) {
    CmpntList l = CmpntList::from_springs_default(springs_of("[1, 0, 1], [0, 1], [1, 0, 1]"));
    Set<CmpntList> s = Set<CmpntList>::empty_from(l);
    for (uint64_t i = 0; i < l.size(); ++i) s.insert_u64it_or_get_index(l.elem_u64it(i));
    EXPECT_EQ(s.size(), 2u);
    EXPECT_EQ(s.lookup(l.elem_u64it(2)), std::optional<uint64_t>(0));
    EXPECT_EQ(s.elements().to_string(), "[1, 0, 1], [0, 1, 0]");
}

// ---- standardisation ----

TEST(StateStandardize, CountRegisterKeepsLowPositions) {
    const CmpntList l = CmpntList::from_springs_default(springs_of("[1, 0, 0, 1], [0, 1, 1, 1]"));
    auto narrow = l.standardized(2);
    ASSERT_TRUE(narrow.has_value());
    EXPECT_EQ(narrow->qubits(), Qubits::from_count(2));
    EXPECT_EQ(narrow->to_string(), "[1, 0], [0, 1]");
    auto wide = l.standardized(66);
    ASSERT_TRUE(wide.has_value());
    EXPECT_EQ(wide->words_per_row(), 2u);
    EXPECT_EQ(wide->count(1, true), 3u);
    auto same = l.standardized(4);
    ASSERT_TRUE(same.has_value());
    EXPECT_EQ(*same, l);
    // Narrowing then widening loses the dropped positions for good.
    auto back = narrow->standardized(4);
    EXPECT_EQ(back->to_string(), "[1, 0, 0, 0], [0, 1, 0, 0]");
}

TEST(StateStandardize, IndexRegisterMovesBitsToIndices) {
    CmpntList l(inds({3, 1}));
    push_bits(l, {1, 0});
    push_bits(l, {0, 1});
    push_bits(l, {1, 1});
    auto s = l.standardized(4);
    ASSERT_TRUE(s.has_value());
    EXPECT_EQ(s->qubits(), Qubits::from_count(4));
    EXPECT_EQ(s->to_string(), "[0, 0, 0, 1], [0, 1, 0, 0], [0, 1, 0, 1]");
    EXPECT_EQ(l.qubits(), inds({3, 1}));  // the source is unchanged

    CmpntList o(expect_ok(Qubits::from_offset(2, 2), "offset"));
    push_bits(o, {1, 1});
    ASSERT_TRUE(o.standardize(5).has_value());
    EXPECT_EQ(o.to_string(), "[0, 0, 1, 1, 0]");
}

TEST(StateStandardize, TooFewQubitsIsRefusedBeforeAnyChange) {
    CmpntList l(inds({3, 1}));
    push_bits(l, {1, 1});
    const CmpntList before = l;
    auto r = l.standardize(3);
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error(), (OutOfBounds{3, 3, OutOfBoundsKind::Mode}));
    EXPECT_EQ(l, before);

    CmpntList o(expect_ok(Qubits::from_offset(2, 3), "offset"));
    push_bits(o, {0, 0, 0});
    // Index 4 is the first not below 4, even though its position holds a 0.
    EXPECT_EQ(o.standardized(4).error(), (OutOfBounds{4, 4, OutOfBoundsKind::Mode}));
    EXPECT_TRUE(o.standardized(5).has_value());
}

TEST(StateStandardize, ScatteredIndicesAcrossWordsMatchBitByBit) {
    std::mt19937_64 rng(7);
    const uint64_t n = 130;
    std::vector<uint64_t> perm(n);
    for (uint64_t j = 0; j < n; ++j) perm[j] = 3 * j + (j % 5);  // distinct, up to 391
    std::shuffle(perm.begin(), perm.end(), rng);
    CmpntList l(inds(perm));
    for (int r = 0; r < 20; ++r) push_bits(l, random_bits(rng, n));
    auto s = l.standardized(400);
    ASSERT_TRUE(s.has_value());
    for (uint64_t r = 0; r < l.size(); ++r) {
        std::vector<bool> want(400);
        for (uint64_t j = 0; j < n; ++j) want[perm[j]] = l.get_bit_unchecked(r, j);
        EXPECT_EQ(bits_of(*s, r), want);
    }
}

// ---- Pauli strings acting on states ----

TEST(StatePauliAction, SingleQubitRules) {
    CmpntList l = CmpntList::from_springs_default(springs_of("[0], [1], [1]"));
    const auto y = one_string(1, {PauliMatrix::Y});
    const auto z = one_string(1, {PauliMatrix::Z});
    EXPECT_EQ(l.imul_by_op(0, y, 0), ComplexSign(1));  // Y|0> = i|1>
    EXPECT_EQ(l.fmt_elem(0), "[1]");
    EXPECT_EQ(l.imul_by_op(0, y, 0), ComplexSign(3));  // Y|1> = -i|0>
    EXPECT_EQ(l.fmt_elem(0), "[0]");
    EXPECT_EQ(l.imul_by_op(1, z, 0), ComplexSign(2));  // Z|1> = -|1>
    EXPECT_EQ(l.fmt_elem(1), "[1]");
    const auto id = one_string(1, {PauliMatrix::I});
    EXPECT_EQ(l.imul_by_op(2, id, 0), ComplexSign(0));
    EXPECT_EQ(l.fmt_elem(2), "[1]");

    CmpntList two = CmpntList::from_springs_default(springs_of("[1, 0]"));
    EXPECT_EQ(two.imul_by_op(0, one_string(2, {PauliMatrix::X, PauliMatrix::X}), 0), ComplexSign(0));
    EXPECT_EQ(two.fmt_elem(0), "[0, 1]");
}

TEST(StatePauliAction, AgreesWithDenseMatrices) {
    std::mt19937_64 rng(11);
    for (uint64_t n = 1; n <= 6; ++n) {
        for (int trial = 0; trial < 40; ++trial) {
            const auto ps = random_paulis(rng, n);
            const auto ops = one_string(n, ps);
            const Dense m = dense_of(ps);
            CmpntList l(Qubits::from_count(n));
            push_bits(l, random_bits(rng, n));
            const uint64_t s = l.row(0)[0];
            const ComplexSign k = l.imul_by_op(0, ops, 0);
            const uint64_t t = l.row(0)[0];
            // Column s of the matrix holds its single nonzero entry i^k at row t.
            for (uint64_t r = 0; r < m.dim; ++r) {
                const cplx want = r == t ? ipow(k.value()) : cplx(0);
                EXPECT_EQ(m(r, s), want) << "n " << n << " row " << r;
            }
        }
    }
}

TEST(StatePauliAction, LongStringsAgreeQubitByQubit) {
    std::mt19937_64 rng(13);
    const uint64_t n = 150;
    for (int trial = 0; trial < 50; ++trial) {
        const auto ps = random_paulis(rng, n);
        const auto ops = one_string(n, ps);
        CmpntList l(Qubits::from_count(n));
        const auto b = random_bits(rng, n);
        push_bits(l, b);
        CmpntList dst(Qubits::from_count(n));
        dst.resize(1);
        // Reference: the single-qubit rules, phases summed.
        uint32_t k = 0;
        std::vector<bool> want = b;
        for (uint64_t q = 0; q < n; ++q) {
            switch (ps[q]) {
                case PauliMatrix::I: break;
                case PauliMatrix::X: want[q] = !b[q]; break;
                case PauliMatrix::Y: want[q] = !b[q]; k += b[q] ? 3 : 1; break;
                case PauliMatrix::Z: k += b[q] ? 2 : 0; break;
            }
        }
        EXPECT_EQ(dst.assign_mul_by_op(0, ops, 0, l, 0).value(), k & 3);
        EXPECT_EQ(bits_of(dst, 0), want);
        EXPECT_EQ(bits_of(l, 0), b);  // the source is untouched
        EXPECT_EQ(l.imul_by_op(0, ops, 0).value(), k & 3);
        EXPECT_EQ(bits_of(l, 0), want);
    }
}

TEST(StatePauliAction, AssignWithinOneList) {
    CmpntList l = CmpntList::from_springs_default(springs_of("[1, 0], [0, 0]"));
    const auto ops = one_string(2, {PauliMatrix::Y, PauliMatrix::X});
    EXPECT_EQ(l.assign_mul_by_op(1, ops, 0, l, 0), ComplexSign(3));
    EXPECT_EQ(l.to_string(), "[1, 0], [0, 1]");
    EXPECT_EQ(l.assign_mul_by_op(0, ops, 0, l, 0), ComplexSign(3));  // source and destination one row
    EXPECT_EQ(l.fmt_elem(0), "[0, 1]");
}

TEST(StatePauliAction, CheckedFormRefusesOtherRegisters) {
    CmpntList l(inds({1, 0}));
    push_bits(l, {1, 0});
    const auto ops = one_string(2, {PauliMatrix::X, PauliMatrix::I});
    auto r = l.pauli_string_imul(0, ops, 0);
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error().message(), "Qubits-based objects are based on different qubit spaces.");
    EXPECT_EQ(l.fmt_elem(0), "[1, 0]");

    CmpntList m(Qubits::from_count(2));
    push_bits(m, {1, 0});
    auto ok = m.pauli_string_imul(0, ops, 0);
    ASSERT_TRUE(ok.has_value());
    EXPECT_EQ(*ok, ComplexSign(0));
    EXPECT_EQ(m.fmt_elem(0), "[0, 0]");
}
