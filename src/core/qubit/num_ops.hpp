// Number operators as Pauli linear combinations: N_S = sum over q in S of
// (I - Z_q) / 2 = (|S| / 2) I - (1/2) sum over q in S of Z_q, for a set S of
// register positions. The identity comes first (when S is not empty), then one
// Z string per position in the order given; consumers use the result only
// through order-independent operations.
#pragma once

#include <array>
#include <cstdint>
#include <expected>
#include <span>
#include <utility>
#include <vector>

#include "core/base/errors.hpp"
#include "core/container/terms.hpp"
#include "core/qubit/lincomb.hpp"

namespace vemo::qubit::pauli {

template <FieldVec C>
using LincombSet = TermSet<CmpntList, C>;

// N over `inds`, distinct positions of the register; a position not below the
// qubit count fails (kind Mode) and the partial result is discarded.
template <FieldVec C>
std::expected<LincombSet<C>, OutOfBounds> num_op_inds(std::span<const uint64_t> inds, const Qubits& qubits) {
    using T = typename C::Scalar;
    auto out = LincombSet<C>::empty_from(CmpntList(qubits));
    const std::array<std::pair<uint64_t, PauliMatrix>, 0> identity{};
    // k / 2 is exact; a zero coefficient (k = 0) is removed by the kernel.
    if (auto r = add_from_pauli_map(out.mut_view(), identity, T(static_cast<double>(inds.size()) / 2.0)); !r)
        return std::unexpected(r.error());
    for (uint64_t q : inds) {
        const std::array<std::pair<uint64_t, PauliMatrix>, 1> z{{{q, PauliMatrix::Z}}};
        if (auto r = add_from_pauli_map(out.mut_view(), z, T(-0.5)); !r) return std::unexpected(r.error());
    }
    return out;
}

// N over every position 0..n-1.
template <FieldVec C>
LincombSet<C> num_op(const Qubits& qubits) {
    std::vector<uint64_t> inds(qubits.size());
    for (uint64_t q = 0; q < inds.size(); ++q) inds[q] = q;
    return expect_ok(num_op_inds<C>(inds, qubits), "number operator over register positions");
}

// N over the odd positions 1, 3, 5, ... below n.
template <FieldVec C>
LincombSet<C> num_op_odd_pos(const Qubits& qubits) {
    std::vector<uint64_t> inds;
    for (uint64_t q = 1; q < qubits.size(); q += 2) inds.push_back(q);
    return expect_ok(num_op_inds<C>(inds, qubits), "number operator over odd register positions");
}

}  // namespace vemo::qubit::pauli
