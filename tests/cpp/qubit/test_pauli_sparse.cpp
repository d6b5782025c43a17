// The sparse matrix of one Pauli string against Kronecker products.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/qubit/pauli_word.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using namespace vemo::qubit::testing;
using P = PauliMatrix;

namespace {

CmpntList one(const std::vector<P>& ps) {
    CmpntList l(Qubits::from_count(ps.size()));
    push_paulis(l, ps);
    return l;
}

using E = Entries;

}  // namespace

TEST(PauliSparse, WorkedExamples) {
    const CmpntList x0 = one({P::X, P::I});
    EXPECT_EQ(entries(*to_sparse_matrix(x0, 0, false)), (E{{0, 1, 1}, {1, 0, 1}, {2, 3, 1}, {3, 2, 1}}));
    EXPECT_EQ(entries(*to_sparse_matrix(x0, 0, true)), (E{{0, 2, 1}, {1, 3, 1}, {2, 0, 1}, {3, 1, 1}}));
    EXPECT_EQ(entries(*to_sparse_matrix(one({P::Y}), 0, false)), (E{{0, 1, cplx(0, -1)}, {1, 0, cplx(0, 1)}}));
    EXPECT_EQ(entries(*to_sparse_matrix(one({P::Z}), 0, false)), (E{{0, 0, 1}, {1, 1, -1}}));
    // 0 qubits: the 1 x 1 identity.
    const auto id = *to_sparse_matrix(one({}), 0, false);
    EXPECT_EQ(entries(id), (E{{0, 0, 1}}));
    EXPECT_EQ(id.indptr, (LargeVec<uint64_t>{0, 1}));
    EXPECT_EQ(id.n_cols, 1u);
}

TEST(PauliSparse, MatchesKroneckerProducts) {
    std::mt19937_64 rng(4);
    for (uint64_t n = 0; n <= 6; ++n)
        for (int trial = 0; trial < 15; ++trial) {
            const auto ps = random_paulis(rng, n);
            for (bool be : {false, true}) {
                const CsrMatrix m = *to_sparse_matrix(one(ps), 0, be);
                const Dense d = dense_of(ps, be);
                ASSERT_EQ(m.indptr.size(), d.dim + 1);
                Dense got(d.dim);
                for (auto [r, c, v] : entries(m)) {
                    EXPECT_NE(v, cplx(0));
                    got(r, c) = v;
                }
                EXPECT_EQ(got, d);
            }
        }
}

TEST(PauliSparse, RefusesLargeRegisters) {
    EXPECT_EQ(to_sparse_matrix(CmpntList::elem(Qubits::from_count(64)), 0, false).error(),
              (OutOfBounds{64, 64, OutOfBoundsKind::Element}));
    EXPECT_EQ(to_sparse_matrix(CmpntList::elem(Qubits::from_count(100)), 0, true).error().message(),
              "Element index 100 is out-of-bounds for a container with 64 elements.");
    // 2^63 entries cannot be allocated: a failed allocation, not a crash.
    EXPECT_THROW((void)to_sparse_matrix(CmpntList::elem(Qubits::from_count(63)), 0, false), std::bad_alloc);
}
