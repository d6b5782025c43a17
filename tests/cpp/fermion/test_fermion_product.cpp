// Products of normal-ordered components: the worked expansions (row order
// included), signs across words, and products too deep for a recursive walk or
// too wide to be held. Dense agreement is checked from Python.
#include <gtest/gtest.h>

#include <new>
#include <random>
#include <string>
#include <vector>

#include "core/fermion/product.hpp"
#include "fermion_lists.hpp"

using namespace vemo;
using namespace vemo::fermion;
using namespace fermion_lists;
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

}  // namespace

TEST(FermionProduct, WorkedExpansions) {
    const struct {
        const char *x, *y;
        V rows;
    } cases[] = {
        {"F1 F2", "F1^ F2^", {"-1", "+F2^ F2", "+F1^ F1", "+F1^ F2^ F1 F2"}},
        {"F0 F2", "F0^ F1^ F2^", {"+F1^", "-F1^ F2^ F2", "+F0^ F1^ F0", "+F0^ F1^ F2^ F0 F2"}},
        {"F0 F1", "F0^ F1^ F0", {"-F0", "-F1^ F0 F1"}},
        {"F1", "F0", {"-F0 F1"}},
        {"F1^ F2", "F1^", {}},
    };
    for (const auto& c : cases) {
        const CmpntList a = parse_list(4, c.x), b = parse_list(4, c.y);
        EXPECT_EQ(rows(mul_cmpnts({&a, 0}, {&b, 0})), c.rows) << c.x << " * " << c.y;
    }
    const CmpntList id = parse_list(0, "1");
    EXPECT_EQ(rows(mul_cmpnts({&id, 0}, {&id, 0})), V{"+1"});
    // The result lives on the left operand's space.
    CmpntList s(Modes::spin_major_pairs(2));
    s.push_identity();
    EXPECT_EQ(mul_cmpnts({&s, 0}, {&s, 0}).cmpnts.modes(), Modes::spin_major_pairs(2));
}

// On 130 modes the parities carry across words: a monotone relabelling of six
// modes into one word keeps every sign.
TEST(FermionProduct, AgreesWithSignRuleAcrossWords) {
    std::mt19937_64 rng(11);
    std::bernoulli_distribution b(0.45);
    for (int trial = 0; trial < 300; ++trial) {
        std::vector<uint64_t> used;
        while (used.size() < 6)
            if (const uint64_t m = rng() % 130; std::find(used.begin(), used.end(), m) == used.end()) used.push_back(m);
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
        for (uint64_t r = 0; r < pn.cmpnts.size(); ++r) {
            ASSERT_EQ(pw.signs.get(r), pn.signs.get(r)) << wide.fmt_elem(0) << " * " << wide.fmt_elem(1);
            for (uint64_t k = 0; k < 6; ++k) {
                ASSERT_EQ(has_mode(pw.cmpnts.cre_row(r), used[k]), has_mode(pn.cmpnts.cre_row(r), k));
                ASSERT_EQ(has_mode(pw.cmpnts.ann_row(r), used[k]), has_mode(pn.cmpnts.ann_row(r), k));
            }
        }
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

// 2^64 terms (or 2^63 rows of 4 words) are refused before anything is
// allocated; one helper across products of different shapes gives fresh results.
TEST(FermionProduct, TooManyTermsIsRefusedAndHelperIsReusable) {
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
    const CmpntList s = parse_list(4, "F0 F2, F0^ F1^ F2^, F0^, F1^");
    const auto prep = [&](uint64_t i, uint64_t j) { return h.prepare(s.cre_row(i), s.ann_row(i), s.cre_row(j), s.ann_row(j)); };
    std::vector<uint64_t> cre(1), ann(1);
    ASSERT_EQ(prep(0, 1), 4u);
    ASSERT_EQ(prep(3, 2), 1u);
    EXPECT_TRUE(h.row(0, cre, ann));
    EXPECT_EQ(cre[0], 3u);
    EXPECT_EQ(ann[0], 0u);
    ASSERT_EQ(prep(2, 2), 0u);
    EXPECT_EQ(h.n_rows(), 0u);
}
