// Products, phases, commutation and the action on basis states, checked
// against dense matrices and against a position-by-position reference.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/qubit/pauli_elem.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using namespace vemo::qubit::testing;

namespace {

// Single-qubit product table: a * b = i^k c.
std::pair<PauliMatrix, uint32_t> ref_mul1(PauliMatrix a, PauliMatrix b) {
    const PauliMatrix c = pauli_from_bits(pauli_x(a) != pauli_x(b), pauli_z(a) != pauli_z(b));
    if (a == PauliMatrix::I || b == PauliMatrix::I || a == b) return {c, 0};
    const int ia = static_cast<int>(a), ib = static_cast<int>(b);  // X 1, Y 2, Z 3: cyclic order
    return {c, (ib - ia + 3) % 3 == 1 ? 1u : 3u};
}

std::pair<std::vector<PauliMatrix>, uint32_t> ref_mul(const std::vector<PauliMatrix>& a,
                                                      const std::vector<PauliMatrix>& b) {
    std::vector<PauliMatrix> c(a.size());
    uint32_t k = 0;
    for (size_t q = 0; q < a.size(); ++q) {
        auto [p, kk] = ref_mul1(a[q], b[q]);
        c[q] = p;
        k += kk;
    }
    return {c, k & 3};
}

CmpntList list_of(uint64_t n, const std::vector<std::vector<PauliMatrix>>& strings) {
    CmpntList l(Qubits::from_count(n));
    for (const auto& s : strings) push_paulis(l, s);
    return l;
}

using P = PauliMatrix;

}  // namespace

TEST(PauliProduct, SingleQubitTable) {
    const CmpntList l = list_of(1, {{P::X}, {P::Y}, {P::Z}});
    EXPECT_EQ(phase_of_mul(l, 0, l, 1), 1u);  // X Y = i Z
    EXPECT_EQ(phase_of_mul(l, 1, l, 0), 3u);  // Y X = -i Z
    EXPECT_EQ(phase_of_mul(l, 0, l, 2), 3u);  // X Z = -i Y
    EXPECT_EQ(phase_of_mul(l, 2, l, 0), 1u);  // Z X = i Y
    EXPECT_EQ(phase_of_mul(l, 1, l, 2), 1u);  // Y Z = i X
    EXPECT_EQ(phase_of_mul(l, 2, l, 1), 3u);
    for (uint32_t a = 0; a < 4; ++a)
        for (uint32_t b = 0; b < 4; ++b) {
            const uint64_t x1 = pauli_x(P(a)), z1 = pauli_z(P(a)), x2 = pauli_x(P(b)), z2 = pauli_z(P(b));
            EXPECT_EQ(mul_op_op_phase_u64(x1, z1, x2, z2), ref_mul1(P(a), P(b)).second) << a << b;
        }
}

TEST(PauliProduct, PhasesCancelAcrossPositions) {
    CmpntList l = list_of(2, {{P::X, P::Y}, {P::Y, P::X}});
    CmpntList dst = CmpntList::elem(Qubits::from_count(2));
    EXPECT_EQ(assign_mul(dst, 0, l, 0, l, 1)->value(), 0);
    EXPECT_EQ(dst.fmt_elem(0), "Z0 Z1");
    EXPECT_TRUE(commutes_with(l, 0, l, 1));
}

TEST(PauliProduct, RandomStringsMatchDenseMatrices) {
    std::mt19937_64 rng(7);
    for (uint64_t n = 0; n <= 6; ++n)
        for (int trial = 0; trial < 40; ++trial) {
            const auto a = random_paulis(rng, n), b = random_paulis(rng, n);
            CmpntList l = list_of(n, {a, b});
            CmpntList dst = CmpntList::elem(Qubits::from_count(n));
            const uint32_t k = assign_mul(dst, 0, l, 0, l, 1)->value();
            const Dense A = dense_of(a), B = dense_of(b);
            EXPECT_EQ(A * B, dense_of(paulis_of(dst, 0)).scaled(ipow(k)));
            EXPECT_EQ(phase_of_mul(l, 0, l, 1), k);
            EXPECT_EQ(commutes_with(l, 0, l, 1), A * B == B * A);
            // In place gives the same string and phase.
            EXPECT_EQ(imul_by_cmpnt_ref(l, 0, l, 1)->value(), k);
            EXPECT_EQ(paulis_of(l, 0), paulis_of(dst, 0));
        }
}

TEST(PauliProduct, LongStringsMatchPositionReference) {
    std::mt19937_64 rng(11);
    for (uint64_t n : {63u, 64u, 65u, 127u, 128u, 200u, 1000u})
        for (int trial = 0; trial < 20; ++trial) {
            const auto a = random_paulis(rng, n), b = random_paulis(rng, n);
            CmpntList l = list_of(n, {a, b});
            auto [c, k] = ref_mul(a, b);
            EXPECT_EQ(phase_of_mul(l, 0, l, 1), k);
            uint32_t anti = 0;
            for (uint64_t q = 0; q < n; ++q) anti += ref_mul1(a[q], b[q]).second != ref_mul1(b[q], a[q]).second;
            EXPECT_EQ(commutes_with(l, 0, l, 1), anti % 2 == 0);
            EXPECT_EQ(imul_by_cmpnt_ref(l, 0, l, 1)->value(), k);
            EXPECT_EQ(paulis_of(l, 0), c);
        }
}

TEST(PauliProduct, StringTimesItselfIsIdentity) {
    std::mt19937_64 rng(3);
    CmpntList l = list_of(130, {random_paulis(rng, 130)});
    EXPECT_TRUE(commutes_with(l, 0, l, 0));
    EXPECT_EQ(imul_by_cmpnt_ref(l, 0, l, 0)->value(), 0);  // the very row as both operands
    EXPECT_EQ(l.count(0, P::I), 130u);
}

TEST(PauliProduct, MatricesWithoutPhaseAndRegisterChecks) {
    CmpntList a = list_of(2, {{P::X, P::Z}});
    const CmpntList b = list_of(2, {{P::Y, P::Z}});
    const CmpntList other = list_of(3, {{P::Y, P::Z, P::I}});
    EXPECT_EQ(imul_by_cmpnt_ref(a, 0, other, 0).error(), DifferentQubits{});
    EXPECT_EQ(imul_by_cmpnt_ref_matrices(a, 0, other, 0).error(), DifferentQubits{});
    EXPECT_EQ(a.fmt_elem(0), "X0 Z1");  // nothing written on failure
    ASSERT_TRUE(imul_by_cmpnt_ref_matrices(a, 0, b, 0));
    EXPECT_EQ(a.fmt_elem(0), "Z0");
    EXPECT_EQ(DifferentQubits{}.message(), "Qubits-based objects are based on different qubit spaces.");
}

TEST(PauliProduct, AssignMulChecksAllThreeRegisters) {
    const CmpntList a = list_of(2, {{P::X, P::I}});
    const CmpntList b = list_of(2, {{P::Y, P::I}});
    CmpntList dst_other = CmpntList::elem(*Qubits::from_offset(3, 2));
    EXPECT_FALSE(assign_mul(dst_other, 0, a, 0, b, 0));  // only the destination differs
    EXPECT_EQ(dst_other.fmt_elem(0), "");
    CmpntList dst = CmpntList::elem(Qubits::from_count(2));
    EXPECT_EQ(assign_mul(dst, 0, a, 0, b, 0)->value(), 1);
    EXPECT_EQ(dst.fmt_elem(0), "Z0");
}

TEST(PauliCommutation, CompatibilityMatrixAndCentralizer) {
    const CmpntList l = list_of(2, {{P::X, P::I}, {P::Z, P::I}, {P::I, P::Z}});
    const BitMatrix m = l.compatibility_matrix();
    EXPECT_EQ(m.fmt_elem(0), "[1, 0, 1]");
    EXPECT_EQ(m.fmt_elem(1), "[0, 1, 1]");
    EXPECT_EQ(m.fmt_elem(2), "[1, 1, 1]");
    EXPECT_EQ(CmpntList(Qubits::from_count(2)).compatibility_matrix().n_rows(), 0u);
    const CmpntList xz = list_of(1, {{P::X}, {P::Z}});
    EXPECT_FALSE(xz.belongs_to_centralizer(0));
    EXPECT_FALSE(xz.belongs_to_centralizer(1));
    const CmpntList zz = list_of(2, {{P::Z, P::I}, {P::I, P::Z}});
    EXPECT_TRUE(zz.belongs_to_centralizer(0));
    EXPECT_TRUE(zz.belongs_to_centralizer(1));
    EXPECT_TRUE(list_of(2, {{P::X, P::X}, {P::Z, P::Z}}).belongs_to_centralizer(0));

    std::mt19937_64 rng(5);
    CmpntList r(Qubits::from_count(70));
    for (int i = 0; i < 67; ++i) push_paulis(r, random_paulis(rng, 70));
    const BitMatrix rm = r.compatibility_matrix();
    for (uint64_t i = 0; i < r.size(); ++i)
        for (uint64_t j = 0; j < r.size(); ++j) EXPECT_EQ(rm.get_bit_unchecked(i, j), r.commutes(i, j));
}

TEST(PauliState, ActionMatchesDenseMatrices) {
    std::mt19937_64 rng(13);
    for (uint64_t n = 1; n <= 6; ++n)
        for (int trial = 0; trial < 30; ++trial) {
            const auto a = random_paulis(rng, n);
            const CmpntList l = list_of(n, {a});
            const uint64_t s = rng() & ((uint64_t{1} << n) - 1);
            std::vector<uint64_t> state{s};
            const uint32_t k = imul_by_op(state, l, 0).value();
            const Dense A = dense_of(a);
            // Column s of the matrix holds the image of |s>.
            for (uint64_t r = 0; r < (uint64_t{1} << n); ++r)
                EXPECT_EQ(A(r, s), r == state[0] ? ipow(k) : cplx(0)) << n << " " << s << " " << r;
            auto [t, k1] = mul_state_u64(l.words(0), s);
            EXPECT_EQ(t, state[0]);
            EXPECT_EQ(k1, k);
            std::vector<uint64_t> dst{0}, src{s};
            EXPECT_EQ(assign_mul_by_op(dst, l, 0, src).value(), k);
            EXPECT_EQ(dst[0], state[0]);
        }
}

TEST(PauliState, EdgeCasesAndLongStates) {
    const CmpntList l = list_of(2, {{P::Y, P::I}, {P::Z, P::I}, {P::X, P::X}});
    EXPECT_EQ(mul_state_u64(l.words(0), 0), (std::pair<uint64_t, uint32_t>{1, 1}));
    EXPECT_EQ(mul_state_u64(l.words(0), 1), (std::pair<uint64_t, uint32_t>{0, 3}));
    EXPECT_EQ(mul_state_u64(l.words(1), 1).second, 2u);
    EXPECT_EQ(mul_state_u64(l.words(2), 0b01), (std::pair<uint64_t, uint32_t>{0b10, 0}));
    // No words: the identity on the one basis state.
    const CmpntList empty = CmpntList::elem(Qubits::from_count(0));
    EXPECT_EQ(mul_state_u64(empty.words(0), 0), (std::pair<uint64_t, uint32_t>{0, 0}));

    std::mt19937_64 rng(17);
    const uint64_t n = 150;
    const auto a = random_paulis(rng, n);
    const CmpntList big = list_of(n, {a});
    std::vector<uint64_t> st(3);
    std::vector<bool> bits(n);
    for (uint64_t q = 0; q < n; ++q) {
        bits[q] = rng() & 1;
        if (bits[q]) st[q / 64] |= uint64_t{1} << (q % 64);
    }
    uint32_t k_ref = 0;
    for (uint64_t q = 0; q < n; ++q) {
        if (a[q] == P::Y) k_ref += bits[q] ? 3 : 1;
        if (a[q] == P::Z && bits[q]) k_ref += 2;
    }
    const auto before = st;
    EXPECT_EQ(imul_by_op(st, big, 0).value(), k_ref & 3);
    for (uint64_t q = 0; q < n; ++q)
        EXPECT_EQ(((st[q / 64] >> (q % 64)) & 1) != 0, bits[q] != pauli_x(a[q])) << q;
    EXPECT_NE(st, before);
}

TEST(PauliAssign, FromVectorsAndMaps) {
    CmpntList l = list_of(5, {{P::Z, P::Z, P::Z, P::Z, P::Z}});
    ASSERT_TRUE(assign_vec(l, 0, std::vector<P>{P::X, P::Y}));
    EXPECT_EQ(l.fmt_elem(0), "X0 Y1");
    EXPECT_EQ(assign_vec(l, 0, std::vector<P>(6, P::X)).error(), (OutOfBounds{5, 5, OutOfBoundsKind::Mode}));
    EXPECT_EQ(l.fmt_elem(0), "X0 Y1");
    ASSERT_TRUE(assign_vec(l, 0, std::vector<P>{}));
    EXPECT_EQ(l.fmt_elem(0), "");
    CmpntList zero = CmpntList::elem(Qubits::from_count(0));
    EXPECT_TRUE(assign_vec(zero, 0, std::vector<P>{}));

    const std::vector<std::pair<uint64_t, P>> bad{{0, P::X}, {7, P::Z}};
    ASSERT_TRUE(assign_vec(l, 0, std::vector<P>{P::Y}));
    EXPECT_EQ(assign_map(l, 0, bad).error(), (OutOfBounds{7, 5, OutOfBoundsKind::Mode}));
    EXPECT_EQ(l.fmt_elem(0), "Y0");
    ASSERT_TRUE(assign_map(l, 0, std::vector<std::pair<uint64_t, P>>{{4, P::Z}, {1, P::X}}));
    EXPECT_EQ(l.fmt_elem(0), "X1 Z4");
    ASSERT_TRUE(assign_map(l, 0, std::vector<std::pair<uint64_t, P>>{}));
    EXPECT_EQ(l.fmt_elem(0), "");
    auto e = elem_from_map(Qubits::from_count(3), std::vector<std::pair<uint64_t, P>>{{2, P::Y}});
    ASSERT_TRUE(e);
    EXPECT_EQ(e->size(), 1u);
    EXPECT_EQ(e->fmt_elem(0), "Y2");
}
