// What only the core offers of sparse operator matrices and number operators:
// the basis restriction, the number-conservation filter, the number operators
// themselves (checked against dense matrices), and the fill on several threads
// (bit-equal to one thread). Python covers the rest.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <random>
#include <type_traits>
#include <variant>
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
    EXPECT_EQ(std::get<CsrMatrix<int32_t>>(m).n_rows, 3u);
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

namespace {

// Strings that meet on rows: a few x words, each with several z words, some
// strings repeated with the negated coefficient (their entries cancel), and
// coefficients of equal sizes (group sums cancel on some rows) or zero
// (explicit zeros, of either sign after the phase).
template <class C>
std::pair<CmpntList, C> cancelling_op(uint64_t n, uint64_t n_x, std::mt19937_64& rng) {
    CmpntList l(Qubits::from_count(n));
    C c;
    const double sizes[] = {1.0, -1.0, 0.5, -0.5, 0.0, -0.0};
    for (uint64_t g = 0; g < n_x; ++g) {
        auto ps = random_paulis(rng, n);
        for (uint64_t t = 0, m = 1 + rng() % 4; t < m; ++t) {
            for (auto& p : ps)  // keep the x bit, change the z bit
                if (rng() % 3 == 0) p = static_cast<PauliMatrix>(static_cast<int>(p) ^ 3);
            const double v = sizes[rng() % 6];
            typename C::Scalar x{};
            if constexpr (std::same_as<C, RealVec>) x = v;
            else x = rng() & 1 ? cplx(v, 0) : cplx(0, v);
            for (int k = 0, copies = rng() % 4 == 0 ? 2 : 1; k < copies; ++k, x = -x) {
                push_paulis(l, ps);
                c.push(x);
            }
        }
    }
    return {std::move(l), std::move(c)};
}

// Any thread count gives one thread's matrix, the values compared as bytes
// (so 0.0 and -0.0 differ).
template <class C>
void expect_threads_same(uint64_t n, uint64_t n_x, uint64_t seed) {
    std::mt19937_64 rng(seed);
    const auto [l, c] = cancelling_op<C>(n, n_x, rng);
    for (bool be : {false, true})
        for (std::optional<double> atol : {std::optional<double>{}, std::optional<double>{1e9}}) {
            const auto one = std::get<CsrMatrix<int32_t>>(
                *to_sparse_matrix(LincombView<C>{l, c}, std::nullopt, atol, be, 1));
            for (unsigned t : {2u, 3u, 8u}) {
                const auto m = std::get<CsrMatrix<int32_t>>(
                    *to_sparse_matrix(LincombView<C>{l, c}, std::nullopt, atol, be, t));
                EXPECT_TRUE(m.n_rows == one.n_rows && m.indptr == one.indptr && m.indices == one.indices &&
                            m.data.size() == one.data.size() &&
                            std::memcmp(m.data.data(), one.data.data(), m.data.size() * sizeof(cplx)) == 0)
                    << n << " qubits, " << t << " threads, big_endian " << be << ", filtered " << atol.has_value();
            }
        }
}

}  // namespace

TEST(PauliSparseLincomb, ThreadsGiveTheSameBits) {
    for (uint64_t seed : {1, 2, 3}) {
        expect_threads_same<RealVec>(11, 40, seed);
        expect_threads_same<ComplexVec>(12, 25, seed);
    }
    // Few rows a thread, many groups; and a single string on fewer rows than a block.
    expect_threads_same<ComplexVec>(9, 300, 4);
    expect_threads_same<RealVec>(5, 1, 5);
}

// The index type is the one SciPy keeps without a copy: 32-bit only while the
// dimension and the room both fit in int32.
TEST(PauliSparseLincomb, IndexTypeAtTheInt32Boundary) {
    constexpr uint64_t max = INT32_MAX;
    auto is_32bit = [](uint64_t dim, AllocationCount room) {
        const AnyCsrMatrix m = with_csr_index(dim, room, [&]<class I>(std::type_identity<I>) {
            CsrMatrix<I> out;
            out.n_rows = dim;
            return out;
        });
        EXPECT_EQ(std::visit([](const auto& held) { return held.n_rows; }, m), dim);
        return std::holds_alternative<CsrMatrix<int32_t>>(m);
    };
    EXPECT_TRUE(is_32bit(max, max));
    EXPECT_TRUE(is_32bit(1, 0));
    EXPECT_FALSE(is_32bit(max + 1, 1));   // the dimension
    EXPECT_FALSE(is_32bit(1, max + 1));   // the room
    EXPECT_FALSE(is_32bit(max, count_product(max, max)));
    EXPECT_FALSE(is_32bit(uint64_t{1} << 63, count_product(uint64_t{1} << 63, UINT64_MAX)));
    // The 64-bit fill, used only past 2^31 entries, stores what the 32-bit one does.
    std::mt19937_64 rng(6);
    const auto [l, c] = cancelling_op<ComplexVec>(8, 30, rng);
    const sparse_detail::GroupedTerms<ComplexVec> gt(LincombView<ComplexVec>{l, c}, 8, false);
    const sparse_detail::ConservationFilter keep_all;
    for (unsigned threads : {1u, 3u})
        EXPECT_EQ(entries(sparse_detail::fill_full_matrix<int64_t, false>(gt, keep_all, 8, threads)),
                  entries(sparse_detail::fill_full_matrix<int32_t, false>(gt, keep_all, 8, threads)));
}
