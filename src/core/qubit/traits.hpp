// What qubit objects share: being based on a register, and the error of
// combining objects on different registers.
#pragma once

#include <concepts>
#include <expected>
#include <string>

#include "core/qubit/mode.hpp"

namespace vemo::qubit {

struct DifferentQubits {
    bool operator==(const DifferentQubits&) const = default;
    std::string message() const { return "Qubits-based objects are based on different qubit spaces."; }
    std::string debug() const { return "DifferentQubits"; }
};

// Projection onto a subspace whose basis lists one state more than once.
struct SubspaceNonorthogonal {
    bool operator==(const SubspaceNonorthogonal&) const = default;
    std::string message() const { return "The subspace is non-orthogonal (it contains repeated basis vectors)"; }
};

// An object based on a qubit register.
template <class T>
concept QubitsBased = requires(const T& t) {
    { t.qubits() } -> std::convertible_to<const Qubits&>;
};

template <QubitsBased A, QubitsBased B>
bool same_qubits(const A& a, const B& b) {
    return a.qubits() == b.qubits();
}

inline std::expected<void, DifferentQubits> check_same(const Qubits& a, const Qubits& b) {
    if (a == b) return {};
    return std::unexpected(DifferentQubits{});
}

// All three on one register: a's and then b's register are compared with c's.
template <QubitsBased A, QubitsBased B, QubitsBased C>
std::expected<void, DifferentQubits> check_transitive(const A& a, const B& b, const C& c) {
    if (a.qubits() == c.qubits() && b.qubits() == c.qubits()) return {};
    return std::unexpected(DifferentQubits{});
}

// A list's new register must have the current one's length: its positions
// keep their contents and stand for the new register's qubits. The error names
// the new length first.
inline std::expected<void, BasisError> relabel_register(Qubits& current, Qubits replacement) {
    if (replacement.size() != current.size())
        return std::unexpected(BasisError(DifferentModeCounts{replacement.size(), current.size()}));
    current = std::move(replacement);
    return {};
}

// Standardising, written once for the qubit lists over their own
// general_standardized (every position moves to its register index on
// Count(n)) and resize_standardize (a Count register only changes size).
//
// relabelled_copy is the frame of a general_standardized: every register
// index must be below n, otherwise the largest one is reported (kind Mode,
// length n) and nothing is built; move_row(out, r) then moves row r's
// set positions to their register indices in out, a list on Count(n) of
// zero rows.
template <class L, class MoveRow>
std::expected<L, OutOfBounds> relabelled_copy(const L& l, uint64_t n, MoveRow move_row) {
    if (auto top = l.qubits().largest_index(); top && *top >= n)
        return std::unexpected(OutOfBounds{*top, n, OutOfBoundsKind::Mode});
    L out(Qubits::from_count(n));
    out.resize(l.size());
    for (uint64_t r = 0; r < l.size(); ++r) move_row(out, r);
    return out;
}
template <class L>
std::expected<void, OutOfBounds> general_standardize_in_place(L& l, uint64_t n) {
    auto s = l.general_standardized(n);
    if (!s) return std::unexpected(s.error());
    l = std::move(*s);
    return {};
}
template <class L>
std::expected<L, OutOfBounds> standardized_copy(const L& l, uint64_t n) {
    if (l.qubits().is_count()) {
        L out = l;
        if (l.n_qubit() != n) out.resize_standardize(n);
        return out;
    }
    return l.general_standardized(n);
}
// In place; on failure the list is unchanged.
template <class L>
std::expected<void, OutOfBounds> standardize_in_place(L& l, uint64_t n) {
    if (l.qubits().is_count()) {
        if (l.n_qubit() != n) l.resize_standardize(n);
        return {};
    }
    return general_standardize_in_place(l, n);
}

}  // namespace vemo::qubit
