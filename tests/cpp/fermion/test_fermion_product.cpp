// Products of normal-ordered components: the worked expansions, agreement with
// dense matrices of ladder operators, associativity, and products too deep for
// a recursive walk or too wide to be held.
#include <gtest/gtest.h>

#include <map>
#include <new>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/fermion/product.hpp"
#include "fermion_dense.hpp"

using namespace vemo;
using namespace vemo::fermion;
using normal::CmpntList;
using normal::mul_cmpnts;
using normal::Product;

namespace {

// "c0 c2 a1 a3" (or "1" / "" for the identity) as a one-row list.
CmpntList cmpnt(uint64_t n_modes, const std::string& text) {
    CmpntList l(Modes::count(n_modes));
    l.push_identity();
    std::istringstream in(text);
    std::string tok;
    while (in >> tok) {
        if (tok == "1") continue;
        const uint64_t m = std::stoull(tok.substr(1));
        auto row = tok[0] == 'c' ? l.cre_row_mut(0) : l.ann_row_mut(0);
        row[m / 64] |= uint64_t{1} << (m % 64);
    }
    return l;
}

std::string body(const CmpntList& l, uint64_t i) {
    std::string s;
    for (int side = 0; side < 2; ++side) {
        const auto row = side == 0 ? l.cre_row(i) : l.ann_row(i);
        for (uint64_t m = 0; m < l.n_modes(); ++m)
            if ((row[m / 64] >> (m % 64)) & 1) {
                if (!s.empty()) s += ' ';
                s += side == 0 ? 'c' : 'a';
                s += std::to_string(m);
            }
    }
    return s.empty() ? "1" : s;
}

// Rows as "+c2 a2", "-1", ... in row order.
std::vector<std::string> rows(const Product& p) {
    std::vector<std::string> out;
    EXPECT_EQ(p.cmpnts.size(), p.signs.size());
    for (uint64_t r = 0; r < p.cmpnts.size(); ++r)
        out.push_back(std::string(1, p.signs.get(r).is_minus_one ? '-' : '+').append(body(p.cmpnts, r)));
    return out;
}

std::vector<std::string> mul(const std::string& x, const std::string& y, uint64_t n = 4) {
    const CmpntList a = cmpnt(n, x), b = cmpnt(n, y);
    return rows(mul_cmpnts({&a, 0}, {&b, 0}));
}

using V = std::vector<std::string>;

}  // namespace

TEST(FermionProduct, WorkedExpansions) {
    EXPECT_EQ(mul("a1 a2", "c1 c2"), (V{"-1", "+c2 a2", "+c1 a1", "+c1 c2 a1 a2"}));
    EXPECT_EQ(mul("a0", "c0"), (V{"+1", "-c0 a0"}));
    EXPECT_EQ(mul("a0 a2", "c0 c1 c2"), (V{"+c1", "-c1 c2 a2", "+c0 c1 a0", "+c0 c1 c2 a0 a2"}));
    EXPECT_EQ(mul("c0 a0", "c0"), (V{"+c0"}));
    EXPECT_EQ(mul("c0 a0 a1", "c0 c1"), (V{"-c0", "+c0 c1 a1"}));
    EXPECT_EQ(mul("a0 a1", "c0 c1 a0"), (V{"-a0", "-c1 a0 a1"}));
    EXPECT_EQ(mul("c0 a0", "c0 a0"), (V{"+c0 a0"}));
}

TEST(FermionProduct, SingleTermsAndReorderings) {
    EXPECT_EQ(mul("a0", "c1 a1"), (V{"-c1 a0 a1"}));
    EXPECT_EQ(mul("a0 a1", "c2"), (V{"+c2 a0 a1"}));
    EXPECT_EQ(mul("c2 a3", "c1"), (V{"+c1 c2 a3"}));
    EXPECT_EQ(mul("a2", "c0 c1"), (V{"+c0 c1 a2"}));
    EXPECT_EQ(mul("c0", "c1"), (V{"+c0 c1"}));
    EXPECT_EQ(mul("c1", "c0"), (V{"-c0 c1"}));
    EXPECT_EQ(mul("a0", "a1"), (V{"+a0 a1"}));
    EXPECT_EQ(mul("a1", "a0"), (V{"-a0 a1"}));
}

TEST(FermionProduct, VanishingProductsHaveNoRows) {
    for (auto [x, y] : {std::pair{"c0", "c0"}, {"a0", "a0"}, {"c1 a2", "c1"}, {"a3", "c1 a3"}}) {
        const CmpntList a = cmpnt(4, x), b = cmpnt(4, y);
        const Product p = mul_cmpnts({&a, 0}, {&b, 0});
        EXPECT_EQ(p.cmpnts.size(), 0u) << x << " * " << y;
        EXPECT_EQ(p.signs.size(), 0u);
        EXPECT_EQ(p.cmpnts.modes(), Modes::count(4));
    }
}

TEST(FermionProduct, IdentityIsNeutral) {
    for (const char* x : {"1", "c0", "a3", "c0 c2 a1 a3", "c1 a1"}) {
        const V expected{std::string("+").append(body(cmpnt(4, x), 0))};
        EXPECT_EQ(mul("1", x), expected);
        EXPECT_EQ(mul(x, "1"), expected);
    }
}

TEST(FermionProduct, ZeroModeSpace) {
    const CmpntList id = cmpnt(0, "");
    const Product p = mul_cmpnts({&id, 0}, {&id, 0});
    ASSERT_EQ(p.cmpnts.size(), 1u);
    EXPECT_FALSE(p.signs.get(0).is_minus_one);
    EXPECT_EQ(p.cmpnts.fmt_elem(0), "");
}

TEST(FermionProduct, ResultLivesOnTheLeftSpace) {
    CmpntList a(Modes::spin_major_pairs(2)), b(Modes::spin_major_pairs(2));
    a.push_identity();
    b.push_identity();
    EXPECT_EQ(mul_cmpnts({&a, 0}, {&b, 0}).cmpnts.modes(), Modes::spin_major_pairs(2));
}

// Every product of random components on up to 6 modes equals the dense product.
TEST(FermionProduct, AgreesWithDenseMatrices) {
    std::mt19937_64 rng(7);
    for (uint64_t n = 1; n <= 6; ++n) {
        CmpntList l(Modes::count(n));
        for (int k = 0; k < 40; ++k) fermion_dense::push_random(l, rng, k % 2 ? 0.5 : 0.3);
        std::vector<fermion_dense::Dense<double>> dense;
        for (uint64_t i = 0; i < l.size(); ++i) dense.push_back(fermion_dense::of_cmpnt<double>(n, l, i));
        for (uint64_t i = 0; i < l.size(); ++i)
            for (uint64_t j = 0; j < l.size(); ++j) {
                const Product p = mul_cmpnts({&l, i}, {&l, j});
                const RealVec c = [&] {
                    RealVec v;
                    for (uint64_t r = 0; r < p.signs.size(); ++r) v.push(p.signs.get(r).to_real());
                    return v;
                }();
                const auto got = fermion_dense::of_normal<double>(n, p.cmpnts, c);
                ASSERT_EQ(got.max_abs_diff(dense[i] * dense[j]), 0.0)
                    << l.fmt_elem(i) << " * " << l.fmt_elem(j) << " on " << n << " modes";
                // Rows are distinct components.
                for (uint64_t r = 0; r < p.cmpnts.size(); ++r)
                    for (uint64_t s = r + 1; s < p.cmpnts.size(); ++s)
                        ASSERT_FALSE(words_equal(p.cmpnts.elem_u64it(r), p.cmpnts.elem_u64it(s)));
            }
    }
}

// Products that straddle word boundaries: the parities carried across words.
TEST(FermionProduct, AgreesWithSignRuleAcrossWords) {
    // On 130 modes, compare against the same product with the modes relabelled
    // into one word: a monotone relabelling keeps every sign.
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<uint64_t> pick(0, 129);
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<uint64_t> used;
        while (used.size() < 6) {
            const uint64_t m = pick(rng);
            if (std::find(used.begin(), used.end(), m) == used.end()) used.push_back(m);
        }
        std::sort(used.begin(), used.end());
        CmpntList wide(Modes::count(130)), narrow(Modes::count(6));
        std::bernoulli_distribution b(0.45);
        for (int f = 0; f < 2; ++f) {
            wide.push_identity();
            narrow.push_identity();
            for (uint64_t k = 0; k < 6; ++k) {
                if (b(rng)) {
                    wide.cre_row_mut(f)[used[k] / 64] |= uint64_t{1} << (used[k] % 64);
                    narrow.cre_row_mut(f)[0] |= uint64_t{1} << k;
                }
                if (b(rng)) {
                    wide.ann_row_mut(f)[used[k] / 64] |= uint64_t{1} << (used[k] % 64);
                    narrow.ann_row_mut(f)[0] |= uint64_t{1} << k;
                }
            }
        }
        const Product pw = mul_cmpnts({&wide, 0}, {&wide, 1});
        const Product pn = mul_cmpnts({&narrow, 0}, {&narrow, 1});
        ASSERT_EQ(pw.cmpnts.size(), pn.cmpnts.size());
        for (uint64_t r = 0; r < pn.cmpnts.size(); ++r) {
            ASSERT_EQ(pw.signs.get(r), pn.signs.get(r)) << wide.fmt_elem(0) << " * " << wide.fmt_elem(1);
            const auto bit = [&](std::span<const uint64_t> row, uint64_t m) { return (row[m / 64] >> (m % 64)) & 1; };
            for (uint64_t k = 0; k < 6; ++k) {
                ASSERT_EQ(bit(pw.cmpnts.cre_row(r), used[k]), bit(pn.cmpnts.cre_row(r), k));
                ASSERT_EQ(bit(pw.cmpnts.ann_row(r), used[k]), bit(pn.cmpnts.ann_row(r), k));
            }
        }
    }
}

namespace {

// (x y) z and x (y z) summed into maps from component text to coefficient.
std::map<std::string, int> expand(const Product& p) {
    std::map<std::string, int> m;
    for (uint64_t r = 0; r < p.cmpnts.size(); ++r) m[p.cmpnts.fmt_elem(r)] += p.signs.get(r).is_minus_one ? -1 : 1;
    return m;
}
std::map<std::string, int> mul_sum(const Product& lhs, const CmpntList& rhs, uint64_t j, bool rhs_first) {
    std::map<std::string, int> m;
    for (uint64_t r = 0; r < lhs.cmpnts.size(); ++r) {
        const Product p = rhs_first ? mul_cmpnts({&rhs, j}, {&lhs.cmpnts, r}) : mul_cmpnts({&lhs.cmpnts, r}, {&rhs, j});
        const int s = lhs.signs.get(r).is_minus_one ? -1 : 1;
        for (auto [k, v] : expand(p)) m[k] += s * v;
    }
    std::erase_if(m, [](const auto& kv) { return kv.second == 0; });
    return m;
}

}  // namespace

TEST(FermionProduct, Associative) {
    std::mt19937_64 rng(3);
    CmpntList l(Modes::count(10));
    for (int k = 0; k < 30; ++k) fermion_dense::push_random(l, rng, 0.3);
    std::uniform_int_distribution<uint64_t> pick(0, l.size() - 1);
    for (int trial = 0; trial < 2000; ++trial) {
        const uint64_t x = pick(rng), y = pick(rng), z = pick(rng);
        const auto left = mul_sum(mul_cmpnts({&l, x}, {&l, y}), l, z, false);
        const auto right = mul_sum(mul_cmpnts({&l, y}, {&l, z}), l, x, true);
        ASSERT_EQ(left, right) << l.fmt_elem(x) << " | " << l.fmt_elem(y) << " | " << l.fmt_elem(z);
    }
}

// Tens of thousands of shared modes, all forced: one term, no deep walk.
TEST(FermionProduct, ManyForcedSharedModes) {
    const uint64_t n = 50000;
    CmpntList l(Modes::count(n));
    l.push_identity();
    l.push_identity();
    for (uint64_t t = 0; t < l.words_per_row(); ++t) {
        const uint64_t full = t + 1 < l.words_per_row() || n % 64 == 0 ? ~uint64_t{0} : (uint64_t{1} << (n % 64)) - 1;
        l.cre_row_mut(0)[t] = full;  // c_0 ... c_{n-1} a_0 ... a_{n-1}
        l.ann_row_mut(0)[t] = full;
        l.cre_row_mut(1)[t] = full;  // c_0 ... c_{n-1}
    }
    const Product p = mul_cmpnts({&l, 0}, {&l, 1});
    ASSERT_EQ(p.cmpnts.size(), 1u);
    EXPECT_TRUE(words_equal(p.cmpnts.elem_u64it(0), l.elem_u64it(1)));
    // (c_all a_all) c_all = c_all a_all c_all; against the small cases' pattern:
    // n = 1: c0 a0 c0 = c0 (+); the sign is that of the pairing, checked below.
    for (uint64_t small = 1; small <= 5; ++small) {
        CmpntList s(Modes::count(small));
        s.push_identity();
        s.push_identity();
        const uint64_t full = (uint64_t{1} << small) - 1;
        s.cre_row_mut(0)[0] = s.ann_row_mut(0)[0] = s.cre_row_mut(1)[0] = full;
        const auto d = fermion_dense::of_cmpnt<double>(small, s, 0) * fermion_dense::of_cmpnt<double>(small, s, 1);
        const Product ps = mul_cmpnts({&s, 0}, {&s, 1});
        ASSERT_EQ(ps.cmpnts.size(), 1u);
        RealVec c;
        c.push(ps.signs.get(0).to_real());
        EXPECT_EQ(fermion_dense::of_normal<double>(small, ps.cmpnts, c).max_abs_diff(d), 0.0);
    }
    // The sign of c_all a_all c_all is (-1)^(n(n-1)/2) (from the pattern a_all c_all = (-1)^(n(n-1)/2) on c_all).
    EXPECT_EQ(p.signs.get(0).is_minus_one, normal::reversal_parity(n));
}

// 2^64 terms (or more) are refused before anything is allocated.
TEST(FermionProduct, TooManyTermsIsRefused) {
    CmpntList l(Modes::count(128));
    l.push_identity();
    l.push_identity();
    l.ann_row_mut(0)[0] = ~uint64_t{0};  // a_0 ... a_63
    l.cre_row_mut(1)[0] = ~uint64_t{0};  // c_0 ... c_63: 64 optional modes
    EXPECT_THROW(mul_cmpnts({&l, 0}, {&l, 1}), std::bad_alloc);
    normal::ProductHelper h;
    EXPECT_THROW(h.prepare(l.cre_row(0), l.ann_row(0), l.cre_row(1), l.ann_row(1)), std::bad_alloc);
    // 63 optional modes: 2^63 rows of 4 words overflow any list; also refused.
    l.ann_row_mut(0)[0] = ~uint64_t{0} >> 1;
    l.cre_row_mut(1)[0] = ~uint64_t{0} >> 1;
    EXPECT_THROW(h.prepare(l.cre_row(0), l.ann_row(0), l.cre_row(1), l.ann_row(1)), std::bad_alloc);
    // 12 optional modes: 4096 rows, each distinct.
    l.ann_row_mut(0)[0] = (uint64_t{1} << 12) - 1;
    l.cre_row_mut(1)[0] = (uint64_t{1} << 12) - 1;
    EXPECT_EQ(h.prepare(l.cre_row(0), l.ann_row(0), l.cre_row(1), l.ann_row(1)), 4096u);
    EXPECT_EQ(h.n_branch(), 12u);
    EXPECT_EQ(mul_cmpnts({&l, 0}, {&l, 1}).cmpnts.size(), 4096u);
}

TEST(FermionProduct, HelperIsReusable) {
    // One helper across products of different shapes gives the fresh results.
    normal::ProductHelper h;
    const CmpntList a = cmpnt(4, "a0 a2"), b = cmpnt(4, "c0 c1 c2"), c = cmpnt(4, "c0"), d = cmpnt(4, "c1");
    std::vector<uint64_t> cre(1), ann(1);
    ASSERT_EQ(h.prepare(a.cre_row(0), a.ann_row(0), b.cre_row(0), b.ann_row(0)), 4u);
    ASSERT_EQ(h.prepare(c.cre_row(0), c.ann_row(0), d.cre_row(0), d.ann_row(0)), 1u);
    EXPECT_FALSE(h.row(0, cre, ann));
    EXPECT_EQ(cre[0], 3u);
    EXPECT_EQ(ann[0], 0u);
    ASSERT_EQ(h.prepare(d.cre_row(0), d.ann_row(0), c.cre_row(0), c.ann_row(0)), 1u);
    EXPECT_TRUE(h.row(0, cre, ann));
    ASSERT_EQ(h.prepare(c.cre_row(0), c.ann_row(0), c.cre_row(0), c.ann_row(0)), 0u);
    EXPECT_EQ(h.n_rows(), 0u);
}
