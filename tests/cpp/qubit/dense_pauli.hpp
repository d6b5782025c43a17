// Pauli lists as dense reference matrices, and random Pauli strings.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <random>
#include <tuple>
#include <vector>

#include "../common/dense.hpp"
#include "core/container/coeffs/vecs.hpp"
#include "core/qubit/pauli_list.hpp"
#include "core/qubit/sparse.hpp"

namespace vemo::qubit::testing {

using namespace vemo::testing;

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
