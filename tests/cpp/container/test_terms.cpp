// Terms and the scaled-add kernels, checked against a reference accumulation
// and the invariants (distinct elements, a map that describes the list, one
// coefficient per element). Term-set lookups and removals are checked from
// Python through the arrays' maps.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <random>
#include <vector>

#include "core/container/bit_matrix.hpp"
#include "core/container/terms.hpp"

using namespace vemo;

namespace {

using Key = std::vector<uint64_t>;
const Key A = {1, 0}, B = {0, 1}, C = {5, 7}, D = {~uint64_t{0}, 3};
const double qnan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();

// A list of two-word components.
BitMatrix list_of(const std::vector<Key>& rows) {
    BitMatrix m(0, 128);
    for (const Key& k : rows) push_u64it(m, std::span<const uint64_t>(k));
    return m;
}
Key key_at(const BitMatrix& m, uint64_t i) { return Key(m.row(i).begin(), m.row(i).end()); }

template <class V>
struct Combo {
    BitMatrix list = list_of({});
    Map map;
    V coeffs;
    using S = typename V::Scalar;
    TermSetMutView<BitMatrix, V> view() { return {list, map, coeffs}; }
    void add(const Key& k, S c) { scaled_iadd_u64it(view(), std::span<const uint64_t>(k), c); }
    void add_all(const BitMatrix& l, const V& c, S s) { scaled_iadd(view(), TermsView<BitMatrix, V>{l, c}, s); }
    std::vector<std::pair<Key, S>> terms() const {
        std::vector<std::pair<Key, S>> out;
        for (uint64_t i = 0; i < list.size(); ++i) out.emplace_back(key_at(list, i), coeffs.get(i));
        return out;
    }
    void expect_consistent() const {
        ASSERT_EQ(coeffs.size(), list.size());
        ASSERT_EQ(map.size(), list.size());
        for (uint64_t i = 0; i < list.size(); ++i)
            EXPECT_EQ(SetView<BitMatrix>(list, map).lookup(list.row(i)), std::optional<uint64_t>(i));
    }
};
using R = std::vector<std::pair<Key, double>>;

}  // namespace

TEST(ScaledIadd, ExactZeroTest) {
    Combo<RealVec> a;
    a.add(A, 2.0);
    a.add(A, -2.0);  // x then -x: no trace
    a.add(B, 0.5);
    a.add(B, 0.25);
    a.add(C, 0.0);   // a zero term for an absent component is appended and removed at once
    a.add(D, -0.0);
    EXPECT_EQ(a.terms(), (R{{B, 0.75}}));
    a.add(A, qnan);  // NaN is never zero, whatever is added later
    a.add(A, 1.0);
    a.add(C, inf);
    a.add(C, -inf);
    ASSERT_EQ(a.list.size(), 3u);
    EXPECT_TRUE(std::isnan(a.coeffs.get(1)) && std::isnan(a.coeffs.get(2)));
    a.expect_consistent();

    Combo<ComplexVec> z;
    z.add(A, {1, 1e-300});
    z.add(A, {-1, 0});
    EXPECT_EQ(z.coeffs.get(0), Complex(0, 1e-300));  // kept
    z.add(B, {-0.0, 1});
    z.add(B, {-0.0, -1});  // -0.0 + 0.0i after the sum: removed
    z.add(C, {-0.0, 0.0});
    z.add(D, {0, qnan});
    z.add(D, {0, 0});
    ASSERT_EQ(z.list.size(), 2u);
    EXPECT_EQ(key_at(z.list, 1), D);
}

TEST(ScaledIadd, BatchesMatchTermByTermAdditionAndAReference) {
    // Repeats and cancellations within one batch of looked-up terms give exactly
    // what single additions give, element order included. Small integers keep
    // sums exact, so cancellations happen often.
    std::mt19937_64 rng(5);
    for (int trial = 0; trial < 200; ++trial) {
        std::vector<Key> pool;
        const int n_pool = 1 + static_cast<int>(rng() % 40);
        for (int k = 0; k < n_pool; ++k) pool.push_back({rng() % 8, rng() % 3});
        Combo<RealVec> batched, single;
        std::map<Key, double> ref;
        for (int round = 0; round < 4; ++round) {
            std::vector<Key> rows;
            RealVec rc;
            for (int t = 0, n = static_cast<int>(rng() % 70); t < n; ++t) {
                rows.push_back(pool[rng() % pool.size()]);
                rc.push(static_cast<double>(static_cast<int>(rng() % 5) - 2));
            }
            const double s = round % 2 ? -1.0 : 2.0;
            batched.add_all(list_of(rows), rc, s);
            for (size_t t = 0; t < rows.size(); ++t) {
                single.add(rows[t], s * rc.get(t));
                if ((ref[rows[t]] += s * rc.get(t)) == 0.0) ref.erase(rows[t]);
            }
            ASSERT_EQ(batched.terms(), single.terms());
            batched.expect_consistent();
        }
        const auto t = batched.terms();
        const std::map<Key, double> got(t.begin(), t.end());
        EXPECT_EQ(got, ref);
    }
}

TEST(Terms, PushSelfAppendAndToOwned) {
    Terms<BitMatrix, ComplexSignVec> t{list_of({}), ComplexSignVec()};
    t.self_append();
    EXPECT_EQ(t.size(), 0u);
    const BitMatrix src = list_of({B, A});
    t.push_elem_coeff(ElemRef<BitMatrix>{&src, 1}, ComplexSign(1));
    t.self_append();  // [A: +i] -> [A: +i, A: +i]
    t.push_elem_coeff(ElemRef<BitMatrix>{&src, 0}, ComplexSign(2));
    t.self_append();
    const std::vector<Key> keys = {A, A, B, A, A, B};
    const std::vector<int> phases = {1, 1, 2, 1, 1, 2};
    ASSERT_EQ(t.size(), 6u);
    for (uint64_t k = 0; k < 6; ++k) {
        EXPECT_EQ(key_at(t.cmpnts, k), keys[k]);
        EXPECT_EQ(t.coeffs.get(k), ComplexSign(phases[k]));
    }
    auto owned = t.view().to_owned();
    t.cmpnts.clear_row(0);
    EXPECT_EQ(key_at(owned.cmpnts, 0), A);
}
