// Pauli lists as dense reference matrices, and random Pauli strings.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "../common/dense.hpp"
#include "core/qubit/pauli_list.hpp"

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

}  // namespace vemo::qubit::testing
