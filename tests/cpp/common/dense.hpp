// Dense reference matrices for the tests, built independently of the library:
// Kronecker products of the 2 x 2 Pauli matrices, and fermion ladder
// operators as their Jordan-Wigner products. Basis index bit q is qubit
// (or mode) q.
#pragma once

#include <complex>
#include <cstdint>
#include <vector>

namespace vemo::testing {

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
    Dense dagger() const {
        Dense m(dim);
        for (uint64_t i = 0; i < dim; ++i)
            for (uint64_t j = 0; j < dim; ++j) m(j, i) = std::conj((*this)(i, j));
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

// The ladder operator of mode m on n modes: Z on the modes below m, then
// (X - iY)/2 (creation, |0> -> |1>) or (X + iY)/2 (annihilation) at m.
inline Dense ladder(uint64_t n, uint64_t m, bool creation) {
    std::vector<int> zs(n, 0);
    for (uint64_t q = 0; q < m; ++q) zs[q] = 3;
    std::vector<int> xs = zs, ys = zs;
    xs[m] = 1, ys[m] = 2;
    return (kron_of(xs) + kron_of(ys).scaled(cplx(0, creation ? -1 : 1))).scaled(0.5);
}

}  // namespace vemo::testing
