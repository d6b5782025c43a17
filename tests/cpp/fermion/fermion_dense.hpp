// Dense matrices of fermion ladder operators for the tests: the reference
// against which products, normal ordering and the algebra are checked.
// Basis index bit m is the occupation of mode m; c_m|s> = (-1)^(occupied modes
// below m) |s + m>, a_m is its transpose.
#pragma once

#include <bit>
#include <complex>
#include <cstdint>
#include <random>
#include <vector>

#include "core/container/coeffs/coeffs.hpp"
#include "core/fermion/general.hpp"
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

}  // namespace fermion_dense
