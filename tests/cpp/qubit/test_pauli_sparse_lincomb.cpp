// What only the core offers of sparse operator matrices and number operators:
// the basis restriction, the number-conservation filter, and the number
// operators themselves (checked against dense matrices). Python covers the rest.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "core/qubit/num_ops.hpp"
#include "core/qubit/sparse_lincomb.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using namespace vemo::qubit::pauli;
using namespace vemo::qubit::testing;
using P = PauliMatrix;

using E = Entries;

TEST(NumOps, EqualTheDiagonalOfOccupationCounts) {
    for (uint64_t n : {0, 1, 4, 5}) {
        const Qubits q = Qubits::from_offset(3, n).value();
        for (bool odd : {false, true}) {
            const auto op = odd ? num_op_odd_pos<RealVec>(q) : num_op<RealVec>(q);
            const uint64_t k = odd ? n / 2 : n;
            ASSERT_EQ(op.size(), k == 0 ? 0 : k + 1);
            const Dense m = dense_lincomb_of(op.cmpnts(), op.coeffs());
            Dense want(uint64_t{1} << n);
            for (uint64_t s = 0; s < want.dim; ++s)
                want(s, s) = std::popcount(odd ? s & 0xAAAAAAAAAAAAAAAAULL : s);
            EXPECT_EQ(m, want) << n << odd;
        }
    }
    const auto c = num_op<ComplexVec>(Qubits::from_count(1));
    EXPECT_EQ(c.coeffs().get(0), cplx(0.5, 0.0));
    EXPECT_EQ(c.coeffs().get(1), cplx(-0.5, 0.0));
    const std::vector<uint64_t> five{5};
    EXPECT_EQ(num_op_inds<RealVec>(five, Qubits::from_count(3)).error(), (OutOfBounds{5, 3, OutOfBoundsKind::Mode}));
}

TEST(PauliSparseLincomb, BasisRestriction) {
    const CmpntList xx = list_of(2, {{P::X, P::X}});
    const RealVec one = real_vec({1.0});
    const LincombView<RealVec> op{xx, one};
    for (bool be : {false, true})
        EXPECT_EQ(entries(*to_sparse_matrix(op, std::vector<uint64_t>{3, 0}, std::nullopt, be)),
                  (E{{0, 1, 1}, {1, 0, 1}}));
    // A state outside the basis contributes nothing.
    EXPECT_EQ(entries(*to_sparse_matrix(op, std::vector<uint64_t>{3, 1}, std::nullopt, false)), E{});
    // A repeated value: rows resolve to its first position.
    const CmpntList z0 = list_of(1, {{P::Z}});
    const auto m = *to_sparse_matrix(LincombView<RealVec>{z0, one}, std::vector<uint64_t>{1, 0, 1}, std::nullopt,
                                     false);
    EXPECT_EQ(entries(m), (E{{0, 0, -1}, {0, 2, -1}, {1, 1, 1}}));
    EXPECT_EQ(m.n_rows, 3u);
}

TEST(PauliSparseLincomb, ConservationFilterDropsNearlyConservedChanges) {
    const CmpntList l = list_of(1, {{P::Z}, {P::X}});
    const RealVec c = real_vec({1.0, 1e-12});
    const LincombView<RealVec> op{l, c};
    EXPECT_EQ(entries(*to_sparse_matrix(op, std::nullopt, 1e-9, false)), (E{{0, 0, 1}, {1, 1, -1}}));
    EXPECT_EQ(entries(*to_sparse_matrix(op, std::nullopt, std::nullopt, false)),
              (E{{0, 0, 1}, {0, 1, 1e-12}, {1, 0, 1e-12}, {1, 1, -1}}));
    EXPECT_EQ(entries(*to_sparse_matrix(op, std::nullopt, 1e-13, false)).size(), 4u);
    // X0 X1 + Y0 Y1 conserves the total count exactly, not the odd one: a
    // tolerance drops nothing.
    const CmpntList hop = list_of(2, {{P::X, P::X}, {P::Y, P::Y}});
    const RealVec ones = real_vec({1.0, 1.0});
    for (bool be : {false, true})
        EXPECT_EQ(entries(*to_sparse_matrix(LincombView<RealVec>{hop, ones}, std::nullopt, 1e-9, be)),
                  entries(*to_sparse_matrix(LincombView<RealVec>{hop, ones}, std::nullopt, std::nullopt, be)));
    EXPECT_EQ(entries(*to_sparse_matrix(LincombView<RealVec>{hop, ones}, std::nullopt, 1e-9, false)).size(), 2u);
}
