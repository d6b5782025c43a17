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
    static Dense identity(uint64_t d) {
        Dense m(d);
        for (uint64_t i = 0; i < d; ++i) m(i, i) = 1;
        return m;
    }
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

inline Dense kron(const Dense& A, const Dense& B) {
    Dense m(A.dim * B.dim);
    for (uint64_t i = 0; i < A.dim; ++i)
        for (uint64_t j = 0; j < A.dim; ++j)
            for (uint64_t k = 0; k < B.dim; ++k)
                for (uint64_t l = 0; l < B.dim; ++l) m(i * B.dim + k, j * B.dim + l) = A(i, j) * B(k, l);
    return m;
}

// I, X, Y, Z for the codes 0..3.
inline Dense pauli2(int p) {
    Dense m(2);
    const cplx i(0, 1);
    const cplx v[4][4] = {{1, 0, 0, 1}, {0, 1, 1, 0}, {0, -i, i, 0}, {1, 0, 0, -1}};
    for (int k = 0; k < 4; ++k) m.a[k] = v[p][k];
    return m;
}

// kron(P_{n-1}, ..., P_0) for factor codes listed from position 0 (little-endian),
// or kron(P_0, ..., P_{n-1}) (big-endian).
inline Dense kron_of(const std::vector<int>& codes, bool big_endian = false) {
    Dense m = Dense::identity(1);
    for (size_t k = 0; k < codes.size(); ++k) {
        const Dense f = pauli2(codes[big_endian ? k : codes.size() - 1 - k]);
        m = kron(m, f);
    }
    return m;
}

inline cplx ipow(uint32_t k) {
    static const cplx v[4] = {{1, 0}, {0, 1}, {-1, 0}, {0, -1}};
    return v[k & 3];
}

// Little-endian: position 0 is bit 0 of the basis index; big-endian is the reverse.
inline Dense dense_of(const std::vector<PauliMatrix>& ps, bool big_endian = false) {
    std::vector<int> codes;
    for (PauliMatrix p : ps) codes.push_back(static_cast<int>(p));
    return kron_of(codes, big_endian);
}

inline std::vector<PauliMatrix> paulis_of(const pauli::CmpntList& l, uint64_t i) {
    std::vector<PauliMatrix> v;
    for (uint64_t q = 0; q < l.n_qubit(); ++q) v.push_back(l.get_pauli_unchecked(i, q));
    return v;
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
    for (uint64_t t = 0; t < std::min<uint64_t>(l.size(), c.size()); ++t) m = m + dense_of(paulis_of(l, t)).scaled(c.get(t));
    return m;
}

// The stored entries of a CSR matrix as (row, column, value) in storage order.
using Entries = std::vector<std::tuple<uint64_t, uint64_t, cplx>>;
inline Entries entries(const CsrMatrix& m) {
    Entries out;
    for (uint64_t r = 0; r < m.n_rows; ++r)
        for (uint64_t k = m.indptr[r]; k < m.indptr[r + 1]; ++k) out.emplace_back(r, m.indices[k], m.data[k]);
    return out;
}

}  // namespace vemo::qubit::testing
