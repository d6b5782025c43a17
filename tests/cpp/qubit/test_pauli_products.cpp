// Products, phases, commutation, the action on basis states and the sparse
// matrix of single Pauli strings, checked against dense matrices and against
// a position-by-position reference.
#include <gtest/gtest.h>

#include <new>
#include <random>
#include <vector>

#include "core/qubit/pauli_elem.hpp"
#include "core/qubit/pauli_word.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using namespace vemo::qubit::testing;
using P = PauliMatrix;

namespace {

// a * b = i^k c at one position; X, Y, Z (codes 1, 2, 3) in cyclic order give k = 1.
std::pair<P, uint32_t> ref_mul1(P a, P b) {
    const P c = pauli_from_bits(pauli_x(a) != pauli_x(b), pauli_z(a) != pauli_z(b));
    if (a == P::I || b == P::I || a == b) return {c, 0};
    return {c, (int(b) - int(a) + 3) % 3 == 1 ? 1u : 3u};
}

}  // namespace

// Products, phases, commutation, the action on a basis state (column s holds
// the image of |s>) and the sparse matrix in both bit orders, against dense matrices.
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

            const uint64_t s = rng() & ((uint64_t{1} << n) - 1);
            std::vector<uint64_t> state{s}, moved{0};
            const uint32_t ks = imul_by_op(state, l, 0).value();
            for (uint64_t r = 0; r < A.dim; ++r) EXPECT_EQ(A(r, s), r == state[0] ? ipow(ks) : cplx(0));
            EXPECT_EQ(mul_state_u64(l.words(0), s), (std::pair<uint64_t, uint32_t>{state[0], ks}));
            EXPECT_EQ(assign_mul_by_op(moved, l, 0, std::vector<uint64_t>{s}).value(), ks);
            EXPECT_EQ(moved, state);

            for (bool be : {false, true}) {
                const CsrMatrix m = *to_sparse_matrix(l, 0, be);
                ASSERT_EQ(m.indptr.size(), A.dim + 1);
                Dense got(A.dim);
                for (auto [r, c, x] : entries(m)) got(r, c) = x;
                EXPECT_EQ(got, dense_of(a, be));
                EXPECT_EQ(m.data.size(), A.dim);  // one nonzero per row
            }
            EXPECT_EQ(imul_by_cmpnt_ref(l, 0, l, 1)->value(), k);
            EXPECT_EQ(paulis_of(l, 0), paulis_of(dst, 0));
        }
}

TEST(PauliProduct, LongStringsMatchPositionReference) {
    std::mt19937_64 rng(11);
    for (uint64_t n : {63u, 64u, 65u, 128u, 200u, 1000u})
        for (int trial = 0; trial < 20; ++trial) {
            const auto a = random_paulis(rng, n), b = random_paulis(rng, n);
            CmpntList l = list_of(n, {a, b});
            std::vector<P> c(n);
            uint32_t k = 0, anti = 0;
            for (uint64_t q = 0; q < n; ++q) {
                uint32_t kq;
                std::tie(c[q], kq) = ref_mul1(a[q], b[q]);
                k += kq;
                anti += kq != 0;
            }
            EXPECT_EQ(phase_of_mul(l, 0, l, 1), k & 3);
            EXPECT_EQ(commutes_with(l, 0, l, 1), anti % 2 == 0);
            EXPECT_EQ(imul_by_cmpnt_ref(l, 0, l, 1)->value(), k & 3);
            EXPECT_EQ(paulis_of(l, 0), c);
            // The very row as both operands: the identity with k = 0.
            EXPECT_EQ(imul_by_cmpnt_ref(l, 1, l, 1)->value(), 0);
            EXPECT_EQ(l.count(1, P::I), n);
        }
}

TEST(PauliProduct, RegisterChecksWriteNothing) {
    CmpntList a = list_of(2, {{P::X, P::Z}});
    const CmpntList b = list_of(2, {{P::Y, P::Z}});
    const CmpntList other = list_of(3, {{P::Y, P::Z, P::I}});
    EXPECT_EQ(imul_by_cmpnt_ref(a, 0, other, 0).error(), DifferentQubits{});
    EXPECT_EQ(imul_by_cmpnt_ref_matrices(a, 0, other, 0).error(), DifferentQubits{});
    CmpntList dst_other = CmpntList::elem(*Qubits::from_offset(3, 2));
    EXPECT_FALSE(assign_mul(dst_other, 0, a, 0, b, 0));  // only the destination differs
    EXPECT_EQ(a.fmt_elem(0), "X0 Z1");
    EXPECT_EQ(dst_other.fmt_elem(0), "");
    ASSERT_TRUE(imul_by_cmpnt_ref_matrices(a, 0, b, 0));
    EXPECT_EQ(a.fmt_elem(0), "Z0");
    EXPECT_EQ(SubspaceNonorthogonal{}.message(), "The subspace is non-orthogonal (it contains repeated basis vectors)");
}

TEST(PauliCommutation, CompatibilityMatrixAndCentralizer) {
    const CmpntList l = list_of(2, {{P::X, P::I}, {P::Z, P::I}, {P::I, P::Z}});
    const BitMatrix m = l.compatibility_matrix();
    EXPECT_EQ(m.fmt_elem(0) + m.fmt_elem(1) + m.fmt_elem(2), "[1, 0, 1][0, 1, 1][1, 1, 1]");
    EXPECT_EQ(CmpntList(Qubits::from_count(2)).compatibility_matrix().n_rows(), 0u);
    const CmpntList xz = list_of(1, {{P::X}, {P::Z}}), zz = list_of(2, {{P::Z, P::I}, {P::I, P::Z}});
    EXPECT_FALSE(xz.belongs_to_centralizer(0) || xz.belongs_to_centralizer(1));
    EXPECT_TRUE(zz.belongs_to_centralizer(0) && zz.belongs_to_centralizer(1));
}

TEST(PauliAssign, FromVectorsAndMaps) {
    CmpntList l = list_of(5, {{P::Z, P::Z, P::Z, P::Z, P::Z}});
    ASSERT_TRUE(assign_vec(l, 0, std::vector<P>{P::X, P::Y}));
    EXPECT_EQ(l.fmt_elem(0), "X0 Y1");  // the trailing positions become I
    EXPECT_EQ(assign_vec(l, 0, std::vector<P>(6, P::X)).error(), (OutOfBounds{5, 5, OutOfBoundsKind::Mode}));
    using Map = std::vector<std::pair<uint64_t, P>>;
    EXPECT_EQ(assign_map(l, 0, Map{{0, P::X}, {7, P::Z}}).error(), (OutOfBounds{7, 5, OutOfBoundsKind::Mode}));
    EXPECT_EQ(l.fmt_elem(0), "X0 Y1");
    ASSERT_TRUE(assign_map(l, 0, Map{{4, P::Z}, {1, P::X}}));
    EXPECT_EQ(l.fmt_elem(0), "X1 Z4");
    ASSERT_TRUE(assign_map(l, 0, Map{}));
    EXPECT_EQ(l.fmt_elem(0), "");
    CmpntList zero = CmpntList::elem(Qubits::from_count(0));
    EXPECT_TRUE(assign_vec(zero, 0, std::vector<P>{}));
    EXPECT_EQ(elem_from_map(Qubits::from_count(3), Map{{2, P::Y}})->to_string(), "Y2");
}

TEST(PauliSparse, RefusesLargeRegisters) {
    EXPECT_EQ(to_sparse_matrix(CmpntList::elem(Qubits::from_count(64)), 0, false).error(),
              (OutOfBounds{64, 64, OutOfBoundsKind::Element}));
    EXPECT_EQ(to_sparse_matrix(CmpntList::elem(Qubits::from_count(100)), 0, true).error().message(),
              "Element index 100 is out-of-bounds for a container with 64 elements.");
    // 2^63 entries cannot be allocated: a failed allocation, not a crash.
    EXPECT_THROW((void)to_sparse_matrix(CmpntList::elem(Qubits::from_count(63)), 0, false), std::bad_alloc);
}
