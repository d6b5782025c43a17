// Dense vectors of basis-state linear combinations: the worked cases, the
// boundaries at 0 and 63/64 qubits, exact-zero reading and round trips on
// random sparse vectors in both orders.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <new>
#include <random>
#include <vector>

#include "core/cmpnt/springs.hpp"
#include "core/container/set.hpp"
#include "core/qubit/state_dense.hpp"

using namespace vemo;
using namespace vemo::qubit;
using vemo::qubit::state::CmpntList;
using namespace vemo::qubit::state::lincomb;
using V = std::vector<double>;

namespace {

CmpntList states_of(std::string_view text, uint64_t n) {
    return expect_ok(CmpntList::from_springs(Qubits::from_count(n), expect_ok(from_str<BinarySprings>(text), "text")),
                     "state list");
}

RealVec reals(const V& v) {
    RealVec c;
    for (double x : v) c.push(x);
    return c;
}

// An output term set (list, map, coefficients) on Count(n).
template <class C>
struct Out {
    CmpntList list;
    Map map;
    C coeffs;
    explicit Out(uint64_t n) : list(Qubits::from_count(n)) {}
    TermSetMutView<CmpntList, C> view() { return {list, map, coeffs}; }
    template <class T>
    void load(const std::vector<T>& src, bool big_endian) {
        ASSERT_TRUE(assign_from_dense(view(), std::span<const T>(src), big_endian).has_value());
        // The map describes the list: one pair per state, each found at its index.
        EXPECT_EQ(map.size(), list.size());
        EXPECT_EQ(coeffs.size(), list.size());
        for (uint64_t i = 0; i < list.size(); ++i)
            EXPECT_EQ(SetView<CmpntList>(list, map).lookup(list.elem_u64it(i)), std::optional(i));
    }
};

}  // namespace

TEST(StateToDense, WorkedCases) {
    const CmpntList l = states_of("[1, 0, 0], [0, 0, 1]", 3);
    EXPECT_EQ(*to_dense(l, reals({0.5, 2.0}), false), (V{0, 0.5, 0, 0, 2.0, 0, 0, 0}));
    EXPECT_EQ(*to_dense(l, reals({0.5, 2.0}), true), (V{0, 2.0, 0, 0, 0.5, 0, 0, 0}));
    // Entries are assigned: a repeated state keeps its last coefficient, even 0.
    const CmpntList r = states_of("[0, 1], [1, 1], [0, 1]", 2);
    EXPECT_EQ(*to_dense(r, reals({1.0, 7.0, 3.0}), false), (V{0, 0, 3.0, 7.0}));
    EXPECT_EQ(*to_dense(r, reals({1.0, 7.0, 0.0}), false), (V{0, 0, 0.0, 7.0}));
    // Only the first min(states, coefficients) terms take part.
    EXPECT_EQ(*to_dense(r, reals({4.0}), false), (V{0, 0, 4.0, 0}));
    EXPECT_EQ(*to_dense(states_of("[1, 0]", 2), reals({1, 9, 9}), false), (V{0, 1, 0, 0}));
}

TEST(StateToDense, Boundaries) {
    // 0 qubits: one entry, the last component's coefficient, in both orders.
    CmpntList z;
    EXPECT_EQ(*to_dense(z, reals({}), false), (V{0.0}));
    z.resize(2);
    for (bool be : {false, true}) EXPECT_EQ(*to_dense(z, reals({5.0, 6.0}), be), (V{6.0}));
    // 64 qubits and more are refused; below that an impossible size is bad_alloc.
    for (uint64_t n : {64u, 200u})
        EXPECT_EQ(to_dense(CmpntList(Qubits::from_count(n)), reals({}), true).error(),
                  (OutOfBounds{n, 64, OutOfBoundsKind::Element}));
    EXPECT_EQ(to_dense(CmpntList(Qubits::from_count(64)), reals({}), false).error().message(),
              "Element index 64 is out-of-bounds for a container with 64 elements.");
    for (uint64_t n : {63u, 52u}) {
        EXPECT_THROW((void)to_dense(CmpntList(Qubits::from_count(n)), reals({}), false), std::bad_alloc) << n;
        EXPECT_THROW((void)to_dense(CmpntList(Qubits::from_count(n)), ComplexVec(), true), std::bad_alloc) << n;
    }
    // A state with bits past its register would index past the vector: refused.
    CmpntList bad(Qubits::from_count(2));
    bad.resize(1);
    bad.bits_mut().row_mut(0)[0] = 4;
    EXPECT_THROW((void)to_dense(bad, reals({1.0}), false), InternalError);
}

TEST(StateFromDense, WorkedCases) {
    Out<RealVec> o(2);
    o.load(V{0, 0.5, 0, -1}, false);
    EXPECT_EQ(o.list.to_string(), "[1, 0], [1, 1]");
    EXPECT_EQ(o.coeffs, reals({0.5, -1}));
    o.load(V{0, 0.5, 0, -1}, true);
    EXPECT_EQ(o.list.to_string(), "[0, 1], [1, 1]");
    // At most 2^n entries are read; a short source leaves the rest zero.
    o.load(V{1, 0, 0, 2, 3, 4, 5, 6}, false);
    EXPECT_EQ(o.list.to_string(), "[0, 0], [1, 1]");
    o.load(V{0, 9}, false);
    EXPECT_EQ(o.list.to_string(), "[1, 0]");
    EXPECT_EQ(o.coeffs, reals({9}));
    o.load(V{}, false);  // whatever was there is cleared
    EXPECT_EQ(o.list.size(), 0u);
    EXPECT_EQ(o.list.qubits(), Qubits::from_count(2));

    Out<RealVec> z(0);
    for (bool be : {false, true}) {
        z.load(V{5.0, 6.0}, be);
        EXPECT_EQ(z.coeffs, reals({5.0}));
    }
}

TEST(StateFromDense, ExactZeroTest) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    Out<RealVec> r(2);
    r.load(V{-0.0, nan, 1e-300, 0.0}, false);
    ASSERT_EQ(r.list.size(), 2u);
    EXPECT_TRUE(std::isnan(r.coeffs.get(0)));
    EXPECT_EQ(r.coeffs.get(1), 1e-300);

    Out<ComplexVec> c(2);
    c.load(std::vector<Complex>{{-0.0, 0.0}, {0.0, -0.0}, {0.0, 2.0}, {nan, 0.0}}, false);
    EXPECT_EQ(c.list.to_string(), "[0, 1], [1, 1]");
    EXPECT_EQ(c.coeffs.get(0), Complex(0.0, 2.0));
}

TEST(StateFromDense, SixtyThreeAndSixtyFourQubits) {
    // 64 qubits: refused before anything is cleared.
    Out<RealVec> o(64);
    o.list.resize(1);
    o.coeffs = reals({2.0});
    refresh_map(o.list, o.map);
    const V src{1.0, 1.0};
    EXPECT_EQ(assign_from_dense(o.view(), std::span<const double>(src), false).error(),
              (OutOfBounds{64, 64, OutOfBoundsKind::Element}));
    EXPECT_EQ(o.list.size(), 1u);
    EXPECT_EQ(o.map.size(), 1u);
    // 63 qubits: only the source is read, at full-width big-endian indices.
    Out<RealVec> w(63);
    w.load(V{0, 1, 0, 2}, true);
    EXPECT_EQ(w.list.row(0)[0], uint64_t{1} << 62);
    EXPECT_EQ(w.list.row(1)[0], uint64_t{3} << 61);
}

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
            std::vector<T> src(uint64_t{1} << n, T());
            for (auto& v : src)
                if (rng() % 3 == 0) v = random_amp<T>(rng);
            Out<C> o(n);
            o.load(src, be);
            // Each state's coefficient is the source entry at its own dense
            // index, a plain sum of powers of two.
            for (uint64_t i = 0; i < o.list.size(); ++i) {
                uint64_t k = 0;
                for (uint64_t q = 0; q < n; ++q)
                    if (o.list.get_bit_unchecked(i, q)) k += uint64_t{1} << (be ? n - 1 - q : q);
                EXPECT_EQ(o.coeffs.get(i), src[k]);
                EXPECT_FALSE(is_exact_zero(src[k]));
            }
            EXPECT_EQ(*to_dense(o.list, o.coeffs, be), src) << "n " << n << " big_endian " << be;
            // The other order gives the same amplitudes, permuted back on reading.
            Out<C> o2(n);
            o2.load(*to_dense(o.list, o.coeffs, !be), !be);
            EXPECT_EQ(*to_dense(o2.list, o2.coeffs, be), src);
        }
    }
}

TEST(StateDenseRoundTrip, RealSparseVectors) { dense_round_trips<RealVec>(21); }
TEST(StateDenseRoundTrip, ComplexSparseVectors) { dense_round_trips<ComplexVec>(22); }
