// Pauli lists as dense reference matrices (Kronecker products of the 2 x 2
// Pauli matrices, built independently of the library), and random Pauli strings.
#pragma once

#include <complex>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <tuple>
#include <vector>

#include "core/container/coeffs/vecs.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/sparse.hpp"

namespace vemo::qubit::testing {

using cplx = std::complex<double>;

struct Dense {
    uint64_t dim = 0;
    std::vector<cplx> a;  // row-major
    explicit Dense(uint64_t d = 0) : dim(d), a(d * d) {}
    cplx& operator()(uint64_t r, uint64_t c) { return a[r * dim + c]; }
    cplx operator()(uint64_t r, uint64_t c) const { return a[r * dim + c]; }
    Dense operator*(const Dense& o) const {
        Dense m(dim);
        for (uint64_t i = 0; i < dim; ++i)
            for (uint64_t k = 0; k < dim; ++k)
                if ((*this)(i, k) != cplx(0))
                    for (uint64_t j = 0; j < dim; ++j) m(i, j) += (*this)(i, k) * o(k, j);
        return m;
    }
    Dense operator+(const Dense& o) const {
        Dense m = *this;
        for (size_t k = 0; k < a.size(); ++k) m.a[k] += o.a[k];
        return m;
    }
    Dense scaled(cplx s) const {
        Dense m = *this;
        for (auto& v : m.a) v *= s;
        return m;
    }
    bool operator==(const Dense& o) const {
        if (dim != o.dim) return false;
        for (size_t k = 0; k < a.size(); ++k)
            if (std::abs(a[k] - o.a[k]) > 1e-12) return false;
        return true;
    }
};

inline cplx ipow(uint32_t k) {
    static const cplx v[4] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    return v[k & 3];
}

// The Kronecker product of the 2 x 2 factors of string i, position 0 at bit 0
// of the basis index (the last factor).
inline Dense dense_of(const pauli::CmpntList& l, uint64_t i) {
    const cplx I(0, 1), f[4][4] = {{1, 0, 0, 1}, {0, 1, 1, 0}, {0, -I, I, 0}, {1, 0, 0, -1}};
    Dense m(1);
    m.a[0] = 1;
    for (uint64_t q = l.n_qubit(); q-- > 0;) {
        const cplx* p = f[static_cast<int>(l.get_pauli_unchecked(i, q))];
        Dense k(2 * m.dim);
        for (uint64_t r = 0; r < m.dim; ++r)
            for (uint64_t c = 0; c < m.dim; ++c)
                for (uint64_t x = 0; x < 4; ++x) k(2 * r + x / 2, 2 * c + x % 2) = m(r, c) * p[x];
        m = std::move(k);
    }
    return m;
}

inline std::vector<PauliMatrix> random_paulis(std::mt19937_64& rng, uint64_t n) {
    std::vector<PauliMatrix> v(n);
    for (auto& p : v) p = static_cast<PauliMatrix>(rng() & 3);
    return v;
}

inline void push_paulis(pauli::CmpntList& l, const std::vector<PauliMatrix>& ps) {
    l.resize(l.size() + 1);
    for (uint64_t q = 0; q < ps.size(); ++q) l.set_pauli_unchecked(l.size() - 1, q, ps[q]);
}

inline pauli::CmpntList list_of(Qubits q, const std::vector<std::vector<PauliMatrix>>& strings) {
    pauli::CmpntList l(std::move(q));
    for (const auto& s : strings) push_paulis(l, s);
    return l;
}
inline pauli::CmpntList list_of(uint64_t n, const std::vector<std::vector<PauliMatrix>>& strings) {
    return list_of(Qubits::from_count(n), strings);
}

inline RealVec real_vec(std::initializer_list<double> v) {
    RealVec out;
    for (double x : v) out.push(x);
    return out;
}

// The sum of c_t times the matrix of string t over the first min(strings, coefficients) terms.
template <class C>
Dense dense_lincomb_of(const pauli::CmpntList& l, const C& c) {
    Dense m(uint64_t{1} << l.n_qubit());
    for (uint64_t t = 0; t < std::min<uint64_t>(l.size(), c.size()); ++t) m = m + dense_of(l, t).scaled(c.get(t));
    return m;
}

// The stored entries of a CSR matrix as (row, column, value) in storage order.
using Entries = std::vector<std::tuple<uint64_t, uint64_t, cplx>>;
template <class I>
Entries entries(const CsrMatrix<I>& m) {
    Entries out;
    for (uint64_t r = 0; r < m.n_rows; ++r)
        for (auto k = static_cast<uint64_t>(m.indptr[r]); k < static_cast<uint64_t>(m.indptr[r + 1]); ++k)
            out.emplace_back(r, static_cast<uint64_t>(m.indices[k]), m.data[k]);
    return out;
}
inline Entries entries(const AnyCsrMatrix& m) {
    return std::visit([](const auto& held) { return entries(held); }, m);
}

}  // namespace vemo::qubit::testing
