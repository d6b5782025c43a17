// Dense vectors of basis-state linear combinations: the worked cases, the
// boundaries at 0 and 63/64 qubits, exact-zero reading, round trips on random
// sparse vectors, and the Pauli action seen through dense matrices.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <new>
#include <random>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "core/container/set.hpp"
#include "core/qubit/state_dense.hpp"
#include "dense_pauli.hpp"

using namespace vemo;
using namespace vemo::qubit;
using vemo::qubit::state::CmpntList;
using namespace vemo::qubit::state::lincomb;
using namespace vemo::qubit::testing;

namespace {

CmpntList states_of(std::string_view text, uint64_t n) {
    auto s = from_str<BinarySprings>(text);
    if (!s) ADD_FAILURE() << "state text does not parse: " << text;
    return expect_ok(CmpntList::from_springs(Qubits::from_count(n), *s), "state list");
}

RealVec reals(std::vector<double> v) {
    RealVec c;
    for (double x : v) c.push(x);
    return c;
}

// The dense index of bits b0 b1 ... as a plain sum of powers of two.
uint64_t index_of(const std::vector<bool>& b, bool big_endian) {
    uint64_t k = 0;
    const uint64_t n = b.size();
    for (uint64_t q = 0; q < n; ++q)
        if (b[q]) k += uint64_t{1} << (big_endian ? n - 1 - q : q);
    return k;
}

// An output term set (list, map, coefficients) on Count(n).
template <class C>
struct Out {
    CmpntList list;
    Map map;
    C coeffs;
    explicit Out(uint64_t n) : list(Qubits::from_count(n)) {}
    TermSetMutView<CmpntList, C> view() { return {list, map, coeffs}; }
};

// The map describes the list: one pair per state, each state found at its index.
template <class C>
void expect_map_describes_list(const Out<C>& o) {
    EXPECT_EQ(o.map.size(), o.list.size());
    EXPECT_EQ(o.coeffs.size(), o.list.size());
    const SetView<CmpntList> view(o.list, o.map);
    for (uint64_t i = 0; i < o.list.size(); ++i) EXPECT_EQ(view.lookup(o.list.elem_u64it(i)), std::optional(i));
}

}  // namespace

// ---- to_dense ----

TEST(StateToDense, WorkedCasesInBothOrders) {
    const CmpntList l = states_of("[1, 0, 0], [0, 0, 1]", 3);
    const RealVec c = reals({0.5, 2.0});
    auto little = to_dense(l, c, false);
    ASSERT_TRUE(little.has_value());
    EXPECT_EQ(*little, (std::vector<double>{0, 0.5, 0, 0, 2.0, 0, 0, 0}));
    auto big = to_dense(l, c, true);
    ASSERT_TRUE(big.has_value());
    EXPECT_EQ(*big, (std::vector<double>{0, 2.0, 0, 0, 0.5, 0, 0, 0}));
}

TEST(StateToDense, RepeatedStateKeepsItsLastCoefficient) {
    const CmpntList l = states_of("[0, 1], [1, 1], [0, 1]", 2);
    EXPECT_EQ(*to_dense(l, reals({1.0, 7.0, 3.0}), false), (std::vector<double>{0, 0, 3.0, 7.0}));
    // Assignment, not addition: a zero coefficient also overwrites.
    EXPECT_EQ(*to_dense(l, reals({1.0, 7.0, 0.0}), false), (std::vector<double>{0, 0, 0.0, 7.0}));
}

TEST(StateToDense, OnlyTermsWithBothStateAndCoefficientTakePart) {
    const CmpntList l = states_of("[1, 0], [0, 1], [1, 1]", 2);
    EXPECT_EQ(*to_dense(l, reals({4.0}), false), (std::vector<double>{0, 4.0, 0, 0}));
    EXPECT_EQ(*to_dense(l, reals({}), false), (std::vector<double>{0, 0, 0, 0}));
    EXPECT_EQ(*to_dense(l, reals({1, 2, 3, 9, 9}), false), (std::vector<double>{0, 1, 2, 3}));
}

TEST(StateToDense, ZeroQubits) {
    CmpntList l;
    EXPECT_EQ(*to_dense(l, reals({}), false), (std::vector<double>{0.0}));
    l.resize(2);
    for (bool be : {false, true}) EXPECT_EQ(*to_dense(l, reals({5.0, 6.0}), be), (std::vector<double>{6.0}));
    ComplexVec c;
    c.push(Complex(1, -2));
    EXPECT_EQ(*to_dense(l, c, true), (std::vector<Complex>{Complex(1, -2)}));
}

TEST(StateToDense, SixtyFourQubitsAndMoreAreRefused) {
    for (uint64_t n : {64u, 65u, 200u}) {
        CmpntList l(Qubits::from_count(n));
        l.resize(1);
        auto r = to_dense(l, reals({1.0}), false);
        ASSERT_FALSE(r.has_value());
        EXPECT_EQ(r.error(), (OutOfBounds{n, 64, OutOfBoundsKind::Element}));
    }
    EXPECT_EQ(to_dense(CmpntList(Qubits::from_count(64)), reals({}), true).error().message(),
              "Element index 64 is out-of-bounds for a container with 64 elements.");
}

TEST(StateToDense, ImpossibleSizesThrowBadAlloc) {
    // Below 64 qubits the size is representable but cannot be allocated.
    for (uint64_t n : {63u, 60u, 52u}) {
        CmpntList l(Qubits::from_count(n));
        EXPECT_THROW((void)to_dense(l, reals({}), false), std::bad_alloc) << n;
        EXPECT_THROW((void)to_dense(l, ComplexVec(), true), std::bad_alloc) << n;
    }
}

TEST(StateToDense, BigEndianIsTheBitReversedLittleEndian) {
    std::mt19937_64 rng(3);
    for (uint64_t n = 1; n <= 10; ++n) {
        CmpntList l(Qubits::from_count(n));
        RealVec c;
        std::vector<std::vector<bool>> bits;
        for (int t = 0; t < 12; ++t) {
            std::vector<bool> b(n);
            for (uint64_t q = 0; q < n; ++q) b[q] = rng() & 1;
            l.resize(l.size() + 1);
            for (uint64_t q = 0; q < n; ++q) l.set_bit_unchecked(l.size() - 1, q, b[q]);
            bits.push_back(b);
            c.push(static_cast<double>(t + 1));
        }
        const auto little = *to_dense(l, c, false);
        const auto big = *to_dense(l, c, true);
        for (size_t t = 0; t < bits.size(); ++t) {
            EXPECT_EQ(little[index_of(bits[t], false)], big[index_of(bits[t], true)]);
        }
        std::vector<double> sorted_l = little, sorted_b = big;
        std::sort(sorted_l.begin(), sorted_l.end());
        std::sort(sorted_b.begin(), sorted_b.end());
        EXPECT_EQ(sorted_l, sorted_b);
    }
}

// ---- assign_from_dense ----

TEST(StateFromDense, WorkedCases) {
    Out<RealVec> o(2);
    const std::vector<double> src{0, 0.5, 0, -1};
    ASSERT_TRUE(assign_from_dense(o.view(), std::span<const double>(src), false).has_value());
    EXPECT_EQ(o.list.to_string(), "[1, 0], [1, 1]");
    EXPECT_EQ(o.coeffs, reals({0.5, -1}));
    expect_map_describes_list(o);

    ASSERT_TRUE(assign_from_dense(o.list, o.map, o.coeffs, std::span<const double>(src), true).has_value());
    EXPECT_EQ(o.list.to_string(), "[0, 1], [1, 1]");
    EXPECT_EQ(o.coeffs, reals({0.5, -1}));
    expect_map_describes_list(o);
}

TEST(StateFromDense, ReadsAtMostTwoToTheN) {
    Out<RealVec> o(2);
    const std::vector<double> eight{1, 0, 0, 2, 3, 4, 5, 6};
    ASSERT_TRUE(assign_from_dense(o.view(), std::span<const double>(eight), false).has_value());
    EXPECT_EQ(o.list.to_string(), "[0, 0], [1, 1]");
    EXPECT_EQ(o.coeffs, reals({1, 2}));

    const std::vector<double> two{0, 9};
    ASSERT_TRUE(assign_from_dense(o.view(), std::span<const double>(two), false).has_value());
    EXPECT_EQ(o.list.to_string(), "[1, 0]");
    EXPECT_EQ(o.coeffs, reals({9}));
    expect_map_describes_list(o);
}

TEST(StateFromDense, ClearsWhateverWasThere) {
    Out<RealVec> o(3);
    o.list = states_of("[1, 1, 1], [0, 1, 0]", 3);
    o.coeffs = reals({1, 2});
    refresh_map(o.list, o.map);
    const std::vector<double> zeros(8, 0.0);
    ASSERT_TRUE(assign_from_dense(o.view(), std::span<const double>(zeros), false).has_value());
    EXPECT_EQ(o.list.size(), 0u);
    EXPECT_EQ(o.coeffs.size(), 0u);
    EXPECT_EQ(o.map.size(), 0u);
    EXPECT_EQ(o.list.qubits(), Qubits::from_count(3));

    o.list = states_of("[1, 1, 1]", 3);
    o.coeffs = reals({1});
    refresh_map(o.list, o.map);
    ASSERT_TRUE(assign_from_dense(o.view(), std::span<const double>(), false).has_value());
    EXPECT_EQ(o.list.size(), 0u);
    EXPECT_EQ(o.map.size(), 0u);
}

TEST(StateFromDense, ExactZeroTest) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Out<RealVec> r(2);
    const std::vector<double> src{-0.0, nan, 1e-300, 0.0};
    ASSERT_TRUE(assign_from_dense(r.view(), std::span<const double>(src), false).has_value());
    ASSERT_EQ(r.list.size(), 2u);
    EXPECT_EQ(r.list.row(0)[0], 1u);
    EXPECT_TRUE(std::isnan(r.coeffs.get(0)));
    EXPECT_EQ(r.coeffs.get(1), 1e-300);

    Out<ComplexVec> c(2);
    const std::vector<Complex> csrc{Complex(-0.0, 0.0), Complex(0.0, -0.0), Complex(0.0, 2.0), Complex(nan, 0.0)};
    ASSERT_TRUE(assign_from_dense(c.view(), std::span<const Complex>(csrc), false).has_value());
    EXPECT_EQ(c.list.to_string(), "[0, 1], [1, 1]");
    EXPECT_EQ(c.coeffs.get(0), Complex(0.0, 2.0));
    EXPECT_TRUE(std::isnan(c.coeffs.get(1).real()));
    expect_map_describes_list(c);
}

TEST(StateFromDense, ZeroQubits) {
    Out<RealVec> o(0);
    const std::vector<double> src{5.0, 6.0};
    for (bool be : {false, true}) {
        ASSERT_TRUE(assign_from_dense(o.view(), std::span<const double>(src), be).has_value());
        ASSERT_EQ(o.list.size(), 1u);
        EXPECT_EQ(o.list.elem_u64it(0).size(), 0u);
        EXPECT_EQ(o.coeffs, reals({5.0}));
        expect_map_describes_list(o);
    }
}

TEST(StateFromDense, SixtyFourQubitsAreRefusedBeforeClearing) {
    Out<RealVec> o(64);
    o.list.resize(1);
    o.list.set_bit_unchecked(0, 63, true);
    o.coeffs = reals({2.0});
    refresh_map(o.list, o.map);
    const std::vector<double> src{1.0, 1.0};
    auto r = assign_from_dense(o.view(), std::span<const double>(src), false);
    ASSERT_FALSE(r.has_value());
    EXPECT_EQ(r.error(), (OutOfBounds{64, 64, OutOfBoundsKind::Element}));
    EXPECT_EQ(o.list.size(), 1u);
    EXPECT_EQ(o.coeffs, reals({2.0}));
    EXPECT_EQ(o.map.size(), 1u);
}

TEST(StateFromDense, SixtyThreeQubitsReadOnlyTheSource) {
    // 2^63 is far beyond the source: only its entries are read, at full-width indices.
    Out<RealVec> o(63);
    const std::vector<double> src{0, 1, 0, 2};
    ASSERT_TRUE(assign_from_dense(o.view(), std::span<const double>(src), true).has_value());
    ASSERT_EQ(o.list.size(), 2u);
    EXPECT_EQ(o.list.row(0)[0], uint64_t{1} << 62);
    EXPECT_EQ(o.list.row(1)[0], uint64_t{3} << 61);
    expect_map_describes_list(o);
}

// ---- round trips ----

template <class T>
T random_amp(std::mt19937_64& rng) {
    std::uniform_real_distribution<double> d(-1.0, 1.0);
    if constexpr (std::is_same_v<T, double>) return d(rng);
    else return T(d(rng), (rng() & 1) ? d(rng) : 0.0);
}

template <class C>
void dense_round_trips(uint64_t seed) {
    using T = typename C::Scalar;
    std::mt19937_64 rng(seed);
    for (uint64_t n = 0; n <= 10; ++n) {
        for (bool be : {false, true}) {
            const uint64_t dim = uint64_t{1} << n;
            std::vector<T> src(dim, T());
            for (auto& v : src)
                if (rng() % 3 == 0) v = random_amp<T>(rng);
            Out<C> o(n);
            ASSERT_TRUE(assign_from_dense(o.view(), std::span<const T>(src), be).has_value());
            expect_map_describes_list(o);
            uint64_t nonzero = 0;
            for (const auto& v : src) nonzero += !is_exact_zero(v);
            EXPECT_EQ(o.list.size(), nonzero);
            // Each state's coefficient is the source entry at its own dense index.
            for (uint64_t i = 0; i < o.list.size(); ++i) {
                std::vector<bool> b(n);
                for (uint64_t q = 0; q < n; ++q) b[q] = o.list.get_bit_unchecked(i, q);
                EXPECT_EQ(o.coeffs.get(i), src[index_of(b, be)]);
            }
            auto back = to_dense(o.list, o.coeffs, be);
            ASSERT_TRUE(back.has_value());
            EXPECT_EQ(*back, src) << "n " << n << " big_endian " << be;
            // The other order gives the same amplitudes, permuted.
            auto other = to_dense(o.list, o.coeffs, !be);
            Out<C> o2(n);
            ASSERT_TRUE(assign_from_dense(o2.view(), std::span<const T>(*other), !be).has_value());
            EXPECT_EQ(*to_dense(o2.list, o2.coeffs, be), src);
        }
    }
}

TEST(StateDenseRoundTrip, RealSparseVectors) { dense_round_trips<RealVec>(21); }
TEST(StateDenseRoundTrip, ComplexSparseVectors) { dense_round_trips<ComplexVec>(22); }

TEST(StateDenseRoundTrip, DistinctStatesSurviveAsASet) {
    std::mt19937_64 rng(5);
    const uint64_t n = 9;
    CmpntList l(Qubits::from_count(n));
    Map m;
    RealVec c;
    for (int t = 0; t < 60; ++t) {
        CmpntList one = CmpntList::elem(Qubits::from_count(n));
        one.row_mut(0)[0] = rng() & 511;
        SetMutView<CmpntList> s(l, m);
        if (s.insert_u64it_or_get_index(one.elem_u64it(0)).second) c.push(static_cast<double>(t) + 0.25);
    }
    for (bool be : {false, true}) {
        Out<RealVec> o(n);
        const auto d = *to_dense(l, c, be);
        ASSERT_TRUE(assign_from_dense(o.view(), std::span<const double>(d), be).has_value());
        ASSERT_EQ(o.list.size(), l.size());
        const SetView<CmpntList> back(o.list, o.map);
        for (uint64_t i = 0; i < l.size(); ++i) {
            auto j = back.lookup(l.elem_u64it(i));
            ASSERT_TRUE(j.has_value());
            EXPECT_EQ(o.coeffs.get(*j), c.get(i));
        }
    }
}

// ---- the Pauli action through dense vectors ----

TEST(StateDensePauli, ActionOnCombinationsMatchesMatrixTimesVector) {
    std::mt19937_64 rng(17);
    for (uint64_t n = 1; n <= 6; ++n) {
        for (bool be : {false, true}) {
            const auto ps = random_paulis(rng, n);
            pauli::CmpntList ops(Qubits::from_count(n));
            push_paulis(ops, ps);
            const Dense m = dense_of(ps, be);

            // A random combination of distinct states.
            const uint64_t dim = uint64_t{1} << n;
            std::vector<Complex> psi(dim);
            for (auto& v : psi)
                if (rng() & 1) v = random_amp<Complex>(rng);
            Out<ComplexVec> o(n);
            ASSERT_TRUE(assign_from_dense(o.view(), std::span<const Complex>(psi), be).has_value());

            // P acts state by state; each phase scales its coefficient.
            for (uint64_t i = 0; i < o.list.size(); ++i) {
                const ComplexSign k = o.list.imul_by_op(i, ops, 0);
                o.coeffs.set(i, o.coeffs.get(i) * ipow(k.value()));
            }
            const auto got = *to_dense(o.list, o.coeffs, be);
            for (uint64_t r = 0; r < dim; ++r) {
                cplx want = 0;
                for (uint64_t s = 0; s < dim; ++s) want += m(r, s) * psi[s];
                EXPECT_NEAR(std::abs(got[r] - want), 0.0, 1e-12) << "n " << n << " row " << r;
            }
        }
    }
}
