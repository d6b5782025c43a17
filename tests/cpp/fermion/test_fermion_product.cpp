// Products of normal-ordered components: the worked expansions, agreement with
// dense matrices of ladder operators, associativity, and products too deep for
// a recursive walk or too wide to be held.
#include <gtest/gtest.h>

#include <map>
#include <new>
#include <random>
#include <string>
#include <vector>

#include "core/fermion/product.hpp"
#include "fermion_dense.hpp"

using namespace vemo;
using namespace vemo::fermion;
using fermion_dense::parse_list;
using normal::CmpntList;
using normal::mul_cmpnts;
using normal::Product;
using V = std::vector<std::string>;

namespace {

// Rows as "+F2^ F2", "-1", ... in row order.
V rows(const Product& p) {
    V out;
    EXPECT_EQ(p.cmpnts.size(), p.signs.size());
    for (uint64_t r = 0; r < p.cmpnts.size(); ++r) {
        const std::string body = p.cmpnts.fmt_elem(r);
        out.push_back((p.signs.get(r).is_minus_one ? "-" : "+") + (body.empty() ? "1" : body));
    }
    return out;
}

V mul(const std::string& x, const std::string& y) {
    const CmpntList a = parse_list(4, x), b = parse_list(4, y);
    const Product p = mul_cmpnts({&a, 0}, {&b, 0});
    EXPECT_EQ(p.cmpnts.modes(), Modes::count(4));
    return rows(p);
}

// A product's rows as the operator they sum to, on n modes.
fermion_dense::Dense<double> dense_of(uint64_t n, const Product& p) {
    RealVec c;
    for (uint64_t r = 0; r < p.signs.size(); ++r) c.push(p.signs.get(r).to_real());
    return fermion_dense::of_normal<double>(n, p.cmpnts, c);
}

void set_mode(std::span<uint64_t> row, uint64_t m) { row[m / 64] |= uint64_t{1} << (m % 64); }

}  // namespace

TEST(FermionProduct, WorkedExpansions) {
    const struct {
        const char *x, *y;
        V rows;
    } cases[] = {
        {"F1 F2", "F1^ F2^", {"-1", "+F2^ F2", "+F1^ F1", "+F1^ F2^ F1 F2"}},
        {"F0", "F0^", {"+1", "-F0^ F0"}},
        {"F0 F2", "F0^ F1^ F2^", {"+F1^", "-F1^ F2^ F2", "+F0^ F1^ F0", "+F0^ F1^ F2^ F0 F2"}},
        {"F0^ F0", "F0^", {"+F0^"}},
        {"F0^ F0 F1", "F0^ F1^", {"-F0^", "+F0^ F1^ F1"}},
        {"F0 F1", "F0^ F1^ F0", {"-F0", "-F1^ F0 F1"}},
        {"F0^ F0", "F0^ F0", {"+F0^ F0"}},
        // No shared mode: a single reordered term.
        {"F0", "F1^ F1", {"-F1^ F0 F1"}},
        {"F0 F1", "F2^", {"+F2^ F0 F1"}},
        {"F2^ F3", "F1^", {"+F1^ F2^ F3"}},
        {"F2", "F0^ F1^", {"+F0^ F1^ F2"}},
        {"F1^", "F0^", {"-F0^ F1^"}},
        {"F1", "F0", {"-F0 F1"}},
        // Vanishing products have no rows.
        {"F0^", "F0^", {}},
        {"F0", "F0", {}},
        {"F1^ F2", "F1^", {}},
        {"F3", "F1^ F3", {}},
        // The identity is neutral.
        {"1", "F0^ F2^ F1 F3", {"+F0^ F2^ F1 F3"}},
        {"F1^ F1", "1", {"+F1^ F1"}},
    };
    for (const auto& c : cases) EXPECT_EQ(mul(c.x, c.y), c.rows) << c.x << " * " << c.y;
}

TEST(FermionProduct, Spaces) {
    const CmpntList id = parse_list(0, "1");
    EXPECT_EQ(rows(mul_cmpnts({&id, 0}, {&id, 0})), V{"+1"});
    // The result lives on the left operand's space.
    CmpntList a(Modes::spin_major_pairs(2));
    a.push_identity();
    EXPECT_EQ(mul_cmpnts({&a, 0}, {&a, 0}).cmpnts.modes(), Modes::spin_major_pairs(2));
}

// Every product of random components on up to 6 modes equals the dense product,
// with distinct rows.
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
                ASSERT_EQ(dense_of(n, p).max_abs_diff(dense[i] * dense[j]), 0.0)
                    << l.fmt_elem(i) << " * " << l.fmt_elem(j) << " on " << n << " modes";
                for (uint64_t r = 0; r < p.cmpnts.size(); ++r)
                    for (uint64_t s = r + 1; s < p.cmpnts.size(); ++s)
                        ASSERT_FALSE(words_equal(p.cmpnts.elem_u64it(r), p.cmpnts.elem_u64it(s)));
            }
    }
}

// On 130 modes the parities carry across words: a monotone relabelling of six
// modes into one word keeps every sign.
TEST(FermionProduct, AgreesWithSignRuleAcrossWords) {
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<uint64_t> pick(0, 129);
    std::bernoulli_distribution b(0.45);
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<uint64_t> used;
        while (used.size() < 6) {
            const uint64_t m = pick(rng);
            if (std::find(used.begin(), used.end(), m) == used.end()) used.push_back(m);
        }
        std::sort(used.begin(), used.end());
        CmpntList wide(Modes::count(130)), narrow(Modes::count(6));
        for (uint64_t f = 0; f < 2; ++f) {
            wide.push_identity();
            narrow.push_identity();
            for (uint64_t k = 0; k < 6; ++k)
                for (bool cre : {true, false})
                    if (b(rng)) {
                        set_mode(cre ? wide.cre_row_mut(f) : wide.ann_row_mut(f), used[k]);
                        set_mode(cre ? narrow.cre_row_mut(f) : narrow.ann_row_mut(f), k);
                    }
        }
        const Product pw = mul_cmpnts({&wide, 0}, {&wide, 1}), pn = mul_cmpnts({&narrow, 0}, {&narrow, 1});
        ASSERT_EQ(pw.cmpnts.size(), pn.cmpnts.size());
        const auto bit = [](std::span<const uint64_t> row, uint64_t m) { return (row[m / 64] >> (m % 64)) & 1; };
        for (uint64_t r = 0; r < pn.cmpnts.size(); ++r) {
            ASSERT_EQ(pw.signs.get(r), pn.signs.get(r)) << wide.fmt_elem(0) << " * " << wide.fmt_elem(1);
            for (uint64_t k = 0; k < 6; ++k) {
                ASSERT_EQ(bit(pw.cmpnts.cre_row(r), used[k]), bit(pn.cmpnts.cre_row(r), k));
                ASSERT_EQ(bit(pw.cmpnts.ann_row(r), used[k]), bit(pn.cmpnts.ann_row(r), k));
            }
        }
    }
}

TEST(FermionProduct, Associative) {
    // Rows of p times component j of l (or j times the rows), summed by text.
    const auto mul_sum = [](const Product& p, const CmpntList& l, uint64_t j, bool p_left) {
        std::map<std::string, int> m;
        for (uint64_t r = 0; r < p.cmpnts.size(); ++r) {
            const Product q = p_left ? mul_cmpnts({&p.cmpnts, r}, {&l, j}) : mul_cmpnts({&l, j}, {&p.cmpnts, r});
            for (uint64_t t = 0; t < q.cmpnts.size(); ++t)
                m[q.cmpnts.fmt_elem(t)] += p.signs.get(r).is_minus_one == q.signs.get(t).is_minus_one ? 1 : -1;
        }
        std::erase_if(m, [](const auto& kv) { return kv.second == 0; });
        return m;
    };
    std::mt19937_64 rng(3);
    CmpntList l(Modes::count(10));
    for (int k = 0; k < 30; ++k) fermion_dense::push_random(l, rng, 0.3);
    std::uniform_int_distribution<uint64_t> pick(0, l.size() - 1);
    for (int trial = 0; trial < 2000; ++trial) {
        const uint64_t x = pick(rng), y = pick(rng), z = pick(rng);
        ASSERT_EQ(mul_sum(mul_cmpnts({&l, x}, {&l, y}), l, z, true), mul_sum(mul_cmpnts({&l, y}, {&l, z}), l, x, false))
            << l.fmt_elem(x) << " | " << l.fmt_elem(y) << " | " << l.fmt_elem(z);
    }
}

// (c_all a_all) c_all on 50000 modes: every shared mode is forced, one term
// c_all with sign (-1)^(n(n-1)/2), with no walk deep enough to exhaust the stack.
TEST(FermionProduct, ManyForcedSharedModes) {
    const uint64_t n = 50000;
    CmpntList l(Modes::count(n));
    l.push_identity();
    l.push_identity();
    for (uint64_t m = 0; m < n; ++m) {
        set_mode(l.cre_row_mut(0), m);
        set_mode(l.ann_row_mut(0), m);
        set_mode(l.cre_row_mut(1), m);
    }
    const Product p = mul_cmpnts({&l, 0}, {&l, 1});
    ASSERT_EQ(p.cmpnts.size(), 1u);
    EXPECT_TRUE(words_equal(p.cmpnts.elem_u64it(0), l.elem_u64it(1)));
    EXPECT_EQ(p.signs.get(0).is_minus_one, (n * (n - 1) / 2) % 2 == 1);
}

// 2^64 terms (or 2^63 rows of 4 words) are refused before anything is allocated.
TEST(FermionProduct, TooManyTermsIsRefused) {
    CmpntList l(Modes::count(128));
    l.push_identity();
    l.push_identity();
    normal::ProductHelper h;
    const auto prepare = [&](uint64_t shared) {
        l.ann_row_mut(0)[0] = shared;
        l.cre_row_mut(1)[0] = shared;
        return h.prepare(l.cre_row(0), l.ann_row(0), l.cre_row(1), l.ann_row(1));
    };
    EXPECT_THROW(prepare(~uint64_t{0}), std::bad_alloc);
    EXPECT_THROW(mul_cmpnts({&l, 0}, {&l, 1}), std::bad_alloc);
    EXPECT_THROW(prepare(~uint64_t{0} >> 1), std::bad_alloc);
    EXPECT_EQ(prepare((uint64_t{1} << 12) - 1), 4096u);
    EXPECT_EQ(h.n_branch(), 12u);
    EXPECT_EQ(mul_cmpnts({&l, 0}, {&l, 1}).cmpnts.size(), 4096u);
}

// One helper across products of different shapes gives fresh results.
TEST(FermionProduct, HelperIsReusable) {
    normal::ProductHelper h;
    const CmpntList l = parse_list(4, "F0 F2, F0^ F1^ F2^, F0^, F1^");
    const auto prepare = [&](uint64_t i, uint64_t j) {
        return h.prepare(l.cre_row(i), l.ann_row(i), l.cre_row(j), l.ann_row(j));
    };
    std::vector<uint64_t> cre(1), ann(1);
    ASSERT_EQ(prepare(0, 1), 4u);
    ASSERT_EQ(prepare(2, 3), 1u);
    EXPECT_FALSE(h.row(0, cre, ann));
    EXPECT_EQ(cre[0], 3u);
    EXPECT_EQ(ann[0], 0u);
    ASSERT_EQ(prepare(3, 2), 1u);
    EXPECT_TRUE(h.row(0, cre, ann));
    ASSERT_EQ(prepare(2, 2), 0u);
    EXPECT_EQ(h.n_rows(), 0u);
}
