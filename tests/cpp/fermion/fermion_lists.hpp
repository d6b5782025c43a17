// The shared fixtures of the fermion tests: random and parsed component lists,
// small coefficient vectors, exact comparisons of term sets.
#pragma once

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../common/vec_of.hpp"
#include "core/container/coeffs/coeffs.hpp"
#include "core/fermion/lincomb.hpp"
#include "core/fermion/normal.hpp"

namespace fermion_lists {

using vemo::fermion::normal::CmpntList;

inline bool has_mode(std::span<const uint64_t> row, uint64_t m) { return (row[m / 64] >> (m % 64)) & 1; }
inline void set_mode(std::span<uint64_t> row, uint64_t m) { row[m / 64] |= uint64_t{1} << (m % 64); }

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

using vemo::testing::vec_of;
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

}  // namespace fermion_lists
