// Dense matrices of fermion ladder operators for the tests: the reference
// against which products, normal ordering and the algebra are checked.
// Basis index bit m is the occupation of mode m; c_m|s> = (-1)^(occupied modes
// below m) |s + m>, a_m is its transpose.
#pragma once

#include <bit>
#include <complex>
#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/container/coeffs/coeffs.hpp"
#include "core/fermion/general.hpp"
#include "core/fermion/lincomb.hpp"
#include "core/fermion/normal.hpp"

namespace fermion_dense {

using vemo::fermion::normal::CmpntList;

template <class T>
struct Dense {
    uint64_t dim = 0;
    std::vector<T> a;

    explicit Dense(uint64_t n_modes, bool unit = false) : dim(uint64_t{1} << n_modes), a(dim * dim, T(0)) {
        if (unit)
            for (uint64_t s = 0; s < dim; ++s) at(s, s) = T(1);
    }
    T& at(uint64_t i, uint64_t j) { return a[i * dim + j]; }
    T at(uint64_t i, uint64_t j) const { return a[i * dim + j]; }

    Dense operator*(const Dense& o) const {
        Dense c(0);
        c.dim = dim;
        c.a.assign(dim * dim, T(0));
        for (uint64_t i = 0; i < dim; ++i)
            for (uint64_t k = 0; k < dim; ++k)
                if (at(i, k) != T(0))
                    for (uint64_t j = 0; j < dim; ++j) c.at(i, j) += at(i, k) * o.at(k, j);
        return c;
    }
    Dense& operator+=(const Dense& o) {
        for (size_t k = 0; k < a.size(); ++k) a[k] += o.a[k];
        return *this;
    }
    Dense operator+(const Dense& o) const {
        Dense c = *this;
        return c += o;
    }
    Dense scaled(T s) const {
        Dense c = *this;
        for (auto& x : c.a) x *= s;
        return c;
    }
    Dense adjoint() const {
        Dense c = *this;
        for (uint64_t i = 0; i < dim; ++i)
            for (uint64_t j = 0; j < dim; ++j) c.at(i, j) = conj_of(at(j, i));
        return c;
    }
    double max_abs_diff(const Dense& o) const {
        double m = 0;
        for (size_t k = 0; k < a.size(); ++k) m = std::max(m, std::abs(a[k] - o.a[k]));
        return m;
    }
    bool is_zero() const {
        for (auto x : a)
            if (x != T(0)) return false;
        return true;
    }

private:
    static T conj_of(T x) {
        if constexpr (std::is_same_v<T, double>) return x;
        else return std::conj(x);
    }
};

template <class T>
Dense<T> ladder(uint64_t n, uint64_t m, bool creation) {
    Dense<T> d(n);
    for (uint64_t s = 0; s < d.dim; ++s) {
        const bool occ = (s >> m) & 1;
        if (occ == creation) continue;
        const T sign = (std::popcount(s & ((uint64_t{1} << m) - 1)) % 2) ? T(-1) : T(1);
        d.at(s ^ (uint64_t{1} << m), s) = sign;
    }
    return d;
}

// The operator of component i: its creators ascending, then its annihilators ascending.
template <class T>
Dense<T> of_cmpnt(uint64_t n, const CmpntList& l, uint64_t i) {
    Dense<T> d(n, true);
    for (int side = 0; side < 2; ++side) {
        const auto row = side == 0 ? l.cre_row(i) : l.ann_row(i);
        for (uint64_t m = 0; m < n; ++m)
            if ((row[m / 64] >> (m % 64)) & 1) d = d * ladder<T>(n, m, side == 0);
    }
    return d;
}

// The operator of a linear combination (first min(components, coefficients) terms).
template <class T, class L, class V>
Dense<T> of_lincomb(uint64_t n, const L& l, const V& coeffs, Dense<T> (*of)(uint64_t, const L&, uint64_t)) {
    Dense<T> d(n);
    for (uint64_t i = 0; i < std::min<uint64_t>(l.size(), coeffs.size()); ++i)
        d += of(n, l, i).scaled(T(coeffs.get(i)));
    return d;
}
template <class T, class V>
Dense<T> of_normal(uint64_t n, const CmpntList& l, const V& coeffs) {
    return of_lincomb<T>(n, l, coeffs, &of_cmpnt<T>);
}

// The operator of a raw product: its operators in written order.
template <class T>
Dense<T> of_general_cmpnt(uint64_t n, const vemo::fermion::general::CmpntList& l, uint64_t i) {
    Dense<T> d(n, true);
    for (uint64_t t = 0; t < l.len_of(i); ++t) {
        const auto op = l.op(i, t);
        d = d * ladder<T>(n, op.mode, op.is_creation);
    }
    return d;
}

// A random normal component (each mode in each set with probability p).
inline void push_random(CmpntList& l, std::mt19937_64& rng, double p = 0.35) {
    std::bernoulli_distribution b(p);
    l.push_identity();
    const uint64_t i = l.size() - 1;
    for (uint64_t m = 0; m < l.n_modes(); ++m) {
        if (b(rng)) l.cre_row_mut(i)[m / 64] |= uint64_t{1} << (m % 64);
        if (b(rng)) l.ann_row_mut(i)[m / 64] |= uint64_t{1} << (m % 64);
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
        while (in >> tok) {
            if (tok == "1") continue;
            const bool cre = tok.back() == '^';
            const uint64_t m = std::stoull(tok.substr(1, tok.size() - 1 - cre));
            auto row = cre ? l.cre_row_mut(l.size() - 1) : l.ann_row_mut(l.size() - 1);
            row[m / 64] |= uint64_t{1} << (m % 64);
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
    for (uint64_t i = 0; i < t.size(); ++i) {
        if (i) s += ", ";
        s += '(';
        s += t.cmpnts().fmt_elem(i);
        s += ": ";
        s += vemo::fmt_num(t.coeffs().get(i));
        s += ')';
    }
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
