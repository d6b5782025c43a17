// Fermion operators as dense reference matrices (products of Jordan-Wigner
// ladder matrices), and the shared fixtures of the fermion tests.
#pragma once

#include <cstdint>
#include <map>
#include <tuple>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../common/dense.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/fermion/general.hpp"
#include "core/fermion/lincomb.hpp"
#include "core/fermion/normal.hpp"

namespace fermion_dense {

using namespace vemo::testing;
using vemo::fermion::normal::CmpntList;

inline bool has_mode(std::span<const uint64_t> row, uint64_t m) { return (row[m / 64] >> (m % 64)) & 1; }
inline void set_mode(std::span<uint64_t> row, uint64_t m) { row[m / 64] |= uint64_t{1} << (m % 64); }

// ladder(n, m, creation), built once.
inline const Dense& cached_ladder(uint64_t n, uint64_t m, bool creation) {
    static std::map<std::tuple<uint64_t, uint64_t, bool>, Dense> cache;
    auto [it, fresh] = cache.try_emplace({n, m, creation});
    if (fresh) it->second = ladder(n, m, creation);
    return it->second;
}

// The operator of normal component i: its creators ascending, then its annihilators ascending.
inline Dense of_cmpnt(uint64_t n, const CmpntList& l, uint64_t i) {
    Dense d = Dense::identity(uint64_t{1} << n);
    for (int side = 0; side < 2; ++side)
        for (uint64_t m = 0; m < n; ++m)
            if (has_mode(side == 0 ? l.cre_row(i) : l.ann_row(i), m)) d = d * cached_ladder(n, m, side == 0);
    return d;
}

// The operator of a raw product: its operators in written order.
inline Dense of_general_cmpnt(uint64_t n, const vemo::fermion::general::CmpntList& l, uint64_t i) {
    Dense d = Dense::identity(uint64_t{1} << n);
    for (uint64_t t = 0; t < l.len_of(i); ++t) d = d * cached_ladder(n, l.op(i, t).mode, l.op(i, t).is_creation);
    return d;
}

// The operator of a linear combination (first min(components, coefficients) terms).
template <class L, class V>
Dense of_lincomb(uint64_t n, const L& l, const V& coeffs) {
    Dense d(uint64_t{1} << n);
    for (uint64_t i = 0; i < std::min<uint64_t>(l.size(), coeffs.size()); ++i) {
        if constexpr (std::same_as<L, CmpntList>) d = d + of_cmpnt(n, l, i).scaled(cplx(coeffs.get(i)));
        else d = d + of_general_cmpnt(n, l, i).scaled(cplx(coeffs.get(i)));
    }
    return d;
}

// A random normal component (each mode in each set with probability p).
inline void push_random(CmpntList& l, std::mt19937_64& rng, double p = 0.35) {
    std::bernoulli_distribution b(p);
    l.push_identity();
    for (uint64_t m = 0; m < l.n_modes(); ++m) {
        if (b(rng)) set_mode(l.cre_row_mut(l.size() - 1), m);
        if (b(rng)) set_mode(l.ann_row_mut(l.size() - 1), m);
    }
}

// "F0^ F2^ F1, 1, F3": components separated by commas, creators marked "^",
// "1" the identity; "" has no components.
inline CmpntList parse_list(uint64_t n_modes, const std::string& text) {
    CmpntList l(vemo::fermion::Modes::count(n_modes));
    std::istringstream parts(text);
    std::string part, tok;
    while (std::getline(parts, part, ',')) {
        l.push_identity();
        std::istringstream in(part);
        while (in >> tok)
            if (tok != "1") {
                const bool cre = tok.back() == '^';
                const uint64_t m = std::stoull(tok.substr(1, tok.size() - 1 - cre));
                set_mode(cre ? l.cre_row_mut(l.size() - 1) : l.ann_row_mut(l.size() - 1), m);
            }
    }
    return l;
}

template <class C>
C vec_of(std::initializer_list<typename C::Scalar> v) {
    C c;
    for (auto x : v) c.push(x);
    return c;
}
inline vemo::RealVec reals(std::initializer_list<double> v) { return vec_of<vemo::RealVec>(v); }

// "(F0^ F1: 2), (: 1)" for exact comparisons of small results.
template <class C>
std::string show(const vemo::fermion::normal::lincomb::TermSet<C>& t) {
    std::string s;
    for (uint64_t i = 0; i < t.size(); ++i)
        s += (i ? ", (" : "(") + t.cmpnts().fmt_elem(i) + ": " + vemo::fmt_num(t.coeffs().get(i)) + ")";
    return s;
}

// Same components in the same order with the same coefficients, bit for bit.
template <class C>
void expect_identical(const vemo::fermion::normal::lincomb::TermSet<C>& got,
                      const vemo::fermion::normal::lincomb::TermSet<C>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (uint64_t i = 0; i < got.size(); ++i) {
        ASSERT_TRUE(vemo::words_equal(got.cmpnts().elem_u64it(i), want.cmpnts().elem_u64it(i))) << i;
        ASSERT_EQ(got.coeffs().get(i), want.coeffs().get(i)) << i;
    }
}

// Small integer coefficients (complex ones with both parts set), giving exact
// dense comparisons and many exact cancellations.
template <class C>
C small_coeffs(std::mt19937_64& rng, uint64_t n) {
    std::uniform_int_distribution<int> d(-3, 3);
    C c;
    for (uint64_t i = 0; i < n; ++i) {
        if constexpr (std::same_as<C, vemo::RealVec>) c.push(d(rng));
        else c.push(vemo::Complex(d(rng), d(rng)));
    }
    return c;
}

}  // namespace fermion_dense
